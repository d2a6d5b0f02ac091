#include "oned/VekSplitBarMender.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

// Blocks on each side whose extremes set a block's level: some seven dozen
// samples, wider than a digit of the usual symbol, so that a run of wide
// bars does not pull the level into the bars.
constexpr size_t levelReach = 3;

}  // namespace

bool TVekSplitBarMender::crossesLevel(const float* profile, size_t count, const TVekBarRow& row, size_t i) const {
    // The samples inside the element; the nearest one when it is narrower
    // than a sample.
    auto first = static_cast<size_t>(std::max(0.0, std::ceil(row.start(i))));
    auto last = static_cast<size_t>(std::max(0.0, std::floor(row.end(i))));
    last = std::min(last, count - 1);
    if (first > last) first = last = std::min(count - 1, static_cast<size_t>(std::nearbyint(0.5 * (row.start(i) + row.end(i)))));
    const bool bar = TVekBarRow::isBar(i);
    for (size_t k = first; k <= last; ++k) {
        const size_t block = k / TVekBlockRange::blockSize;
        const float level = 0.5f * (range_.low(block) + range_.high(block));
        if (bar ? profile[k] < level : profile[k] >= level) return true;
    }
    return false;
}

bool TVekSplitBarMender::mend(const float* profile, size_t count, const TVekBarRow& row, TVekBarRow& mended) {
    if (count < 2 || row.size() < 5) return false;
    range_.measure(profile, count, levelReach);
    // Elements at the line's ends have no neighbour on one side to join.
    spurious_.assign(row.size(), false);
    for (size_t i = 1; i + 1 < row.size(); ++i) spurious_[i] = !crossesLevel(profile, count, row, i);
    // Two such elements side by side are a smudge that the level cannot
    // part either: they stay as they are.
    const auto joined = [&](size_t i) {
        return spurious_[i] && !spurious_[i - 1] && (i + 1 >= row.size() || !spurious_[i + 1]);
    };
    bool any = false;
    for (size_t i = 1; i + 1 < row.size() && !any; ++i) any = joined(i);
    if (!any) return false;
    mended.reset(row.point(0), row.point(1) - row.point(0));
    // An element is written when the edge that ends it is kept: the edges on
    // both sides of a joined element go, its neighbours run together.
    for (size_t i = 0; i + 1 < row.size(); ++i) {
        if ((i > 0 && joined(i)) || joined(i + 1)) continue;
        mended.addElement(row.end(i), TVekBarRow::isBar(i));
    }
    mended.finish(row.end(row.size() - 1));
    return true;
}

}  // namespace orvel
