#include "maxicode/VekMaxiCodeBullsEyeFinder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

namespace orvel {

namespace {

// Rings narrower than this many pixels cannot be told from noise.
constexpr double kMinRingWidth = 1.2;
// Rings thinner than this many pixels need not pass a diagonal check.
constexpr double kThinRings = 4.0;

// The ring width the nine inner runs (gap, ring, gap, ring, centre, ring,
// gap, ring, gap) show, or 0 when their proportions are not a bull's-eye's.
// Printers differ in the light centre: from one and a half ring widths to
// three and more. The outer rings' outer edges may merge with neighbouring
// modules: of the two outer runs only a least width is asked.
double ringWidthOf(const std::array<int32_t, 11>& runs) {
    // Integer bounds first (sixteen times the unit is twice the sum of the
    // eight ring and gap runs): most windows of a busy row fail here, before
    // any division.
    int32_t even = 0;
    for (size_t i = 1; i < 10; ++i)
        if (i != 5) even += runs[i];
    const int32_t unit16 = 2 * even;
    if (unit16 < 16 * kMinRingWidth) return 0;
    for (size_t i = 1; i < 10; ++i) {
        if (i == 5) continue;
        // runs[i] < 0.5 * unit - 0.5 or runs[i] > 1.6 * unit + 0.5
        if (32 * runs[i] < unit16 - 16 || 10 * runs[i] > unit16 + 5) return 0;
    }
    // runs[5] < 0.9 * unit or runs[5] > 4.5 * unit + 1
    if (160 * runs[5] < 9 * unit16 || 32 * runs[5] > 9 * unit16 + 32) return 0;
    // The two outer runs: at least half a unit.
    if (32 * runs[0] < unit16 || 32 * runs[10] < unit16) return 0;
    const int32_t before = runs[1] + runs[2] + runs[3] + runs[4], after = runs[6] + runs[7] + runs[8] + runs[9];
    // |before - after| > 1.5 * unit + 1
    if (32 * std::abs(before - after) > 3 * unit16 + 32) return 0;
    return even / 8.0;
}

// The ring width of eleven runs that could be a row near a bull's-eye's
// centre, 0 when they cannot. Off the centre the chords through the inner
// ring grow (to about one and three quarter ring widths where the row just
// grazes the centre) as the centre's shrinks, while the outer rings and gaps
// keep their widths. Ink spread and blur move width from gaps to rings (a
// one-pixel gap beside a four-pixel ring at small sizes), but a ring and its
// neighbouring gap keep their sum: the four such pairs of the outer rings
// and gaps set the unit and must agree; single runs only get loose bounds.
double nearRings(const std::array<int32_t, 11>& runs) {
    const std::array<int32_t, 4> pairs{runs[1] + runs[2], runs[2] + runs[3], runs[7] + runs[8], runs[8] + runs[9]};
    const int32_t sum = pairs[0] + pairs[1] + pairs[2] + pairs[3];  // eight units
    if (sum < 8) return 0;
    for (const int32_t pair : pairs) {
        // pair < 1.4 * unit - 1 or pair > 2.6 * unit + 1
        if (40 * pair < 7 * sum - 40 || 40 * pair > 13 * sum + 40) return 0;
    }
    for (size_t i = 1; i < 10; ++i) {
        // any run but the centre > 2.5 * unit + 1
        if (i != 5 && 16 * runs[i] > 5 * sum + 16) return 0;
    }
    // runs[5] > 5 * unit + 2
    if (8 * runs[5] > 5 * sum + 16) return 0;
    const int32_t before = runs[1] + runs[2] + runs[3] + runs[4], after = runs[6] + runs[7] + runs[8] + runs[9];
    // |before - after| > 2 * unit + 2
    if (4 * std::abs(before - after) > sum + 8) return 0;
    return sum / 8.0;
}

// Where the run of the shade starting at x ends: eight pixels a step
// (picture backgrounds are long runs), the first differing byte found from
// the lowest set bit of their difference.
int32_t runEnd(const uint8_t* row, int32_t x, int32_t width, uint8_t shade) {
    if constexpr (std::endian::native == std::endian::little) {
        const uint64_t pattern = 0x0101010101010101ull * shade;
        for (; x + 8 <= width; x += 8) {
            uint64_t eight = 0;
            std::memcpy(&eight, row + x, sizeof eight);
            if (const uint64_t diff = eight ^ pattern; diff != 0) return x + std::countr_zero(diff) / 8;
        }
    }
    while (x < width && row[x] == shade) ++x;
    return x;
}

// Calls onWindow(runs, starts) for every window of eleven runs of the row
// that starts dark, until it returns false.
template <typename OnWindow>
void forEachWindow(const uint8_t* row, int32_t width, OnWindow&& onWindow) {
    std::array<int32_t, 11> runs{};
    std::array<int32_t, 11> starts{};
    int32_t x = 0;
    while (x < width && row[x] == 0) ++x;  // the first window starts dark
    int32_t count = 0;                     // runs collected in the window
    while (x < width) {
        const int32_t start = x;
        x = runEnd(row, x, width, row[x]);
        starts[static_cast<size_t>(count)] = start;
        runs[static_cast<size_t>(count)] = x - start;
        if (++count < 11) continue;
        if (!onWindow(runs, starts)) return;
        // Slide by two runs: the next window starts dark again.
        for (size_t i = 0; i + 2 < runs.size(); ++i) {
            runs[i] = runs[i + 2];
            starts[i] = starts[i + 2];
        }
        count = 9;
    }
}

// Walks from (x, y) in direction (dx, dy) while the pixel shade stays, and
// collects the run lengths of the centre run's remainder and the five runs
// beyond it. False when the picture ends first or a run is far too long.
bool runsFrom(const TVekBitMatrix& bits, int32_t x, int32_t y, int32_t dx, int32_t dy, double unit,
              std::array<int32_t, 6>& runs) {
    const int32_t limit = static_cast<int32_t>(std::ceil(5 * unit)) + 2;
    // Steps that stay inside the picture, and the pointer stride of one.
    constexpr int32_t kUnbounded = std::numeric_limits<int32_t>::max();
    const int32_t stepsX = dx > 0 ? bits.width() - 1 - x : dx < 0 ? x : kUnbounded;
    const int32_t stepsY = dy > 0 ? bits.height() - 1 - y : dy < 0 ? y : kUnbounded;
    const int32_t steps = std::min(stepsX, stepsY);
    const ptrdiff_t stride = static_cast<ptrdiff_t>(dy) * bits.width() + dx;
    const uint8_t* start = bits.row(y) + x;
    bool shade = *start != 0;
    size_t index = 0;
    runs.fill(0);
    for (int32_t step = 0; index < runs.size();) {
        if (step > steps) return false;
        if ((start[step * stride] != 0) != shade) {
            shade = !shade;
            ++index;
            continue;
        }
        if (++runs[index] > limit) return index == runs.size() - 1;
        ++step;
    }
    return true;
}

// Checks the line through (x, y) in direction (dx, dy) and centres the point
// on it; the unit found along the line, 0 when it is no bull's-eye.
double crossCheck(const TVekBitMatrix& bits, double& x, double& y, int32_t dx, int32_t dy, double rowUnit) {
    const int32_t ix = static_cast<int32_t>(x), iy = static_cast<int32_t>(y);
    if (ix < 0 || iy < 0 || ix >= bits.width() || iy >= bits.height() || bits.get(ix, iy)) return 0;
    std::array<int32_t, 6> forward{}, backward{};
    if (!runsFrom(bits, ix, iy, dx, dy, 1.8 * rowUnit, forward)) return 0;
    // The bounds of ringWidthOf keep any two rings and gaps within
    // 10 * widest <= 32 * narrowest + 21: one side alone can fail them.
    const auto [narrowest, widest] = std::minmax({forward[1], forward[2], forward[3], forward[4]});
    if (10 * widest > 32 * narrowest + 21) return 0;
    if (!runsFrom(bits, ix, iy, -dx, -dy, 1.8 * rowUnit, backward)) return 0;
    std::array<int32_t, 11> runs{};
    for (size_t i = 0; i < 5; ++i) {
        runs[i] = backward[5 - i];
        runs[10 - i] = forward[5 - i];
    }
    runs[5] = forward[0] + backward[0] - 1;
    const double unit = ringWidthOf(runs);
    if (unit == 0) return 0;
    // Move to the middle of the centre run.
    const double shift = (forward[0] - backward[0]) / 2.0;
    x = ix + 0.5 + shift * dx;
    y = iy + 0.5 + shift * dy;
    return unit;
}

// Confirms a row window whose runs look like a bull's-eye down the column,
// along the row again and the diagonals, and adds it to the candidates (or
// counts one more row for a candidate already there).
void confirm(const TVekBitMatrix& bits, double cx, double cy, double unit,
             std::vector<TVekMaxiCodeBullsEyeCandidate>& found) {
    // A row off the centre still cuts all rings: the middles of column and
    // row chords, taken in turn, close in on the centre of a tilted view too.
    double vertical = crossCheck(bits, cx, cy, 0, 1, unit);
    double horizontal = vertical > 0 ? crossCheck(bits, cx, cy, 1, 0, unit) : 0;
    if (horizontal > 0) {
        vertical = crossCheck(bits, cx, cy, 0, 1, horizontal);
        horizontal = vertical > 0 ? crossCheck(bits, cx, cy, 1, 0, vertical) : 0;
    }
    if (horizontal <= 0) return;
    double dx = cx, dy = cy;
    const double diagonal = crossCheck(bits, dx, dy, 1, 1, horizontal);
    dx = cx, dy = cy;
    const double antiDiagonal = crossCheck(bits, dx, dy, 1, -1, horizontal);
    // Diagonal steps cut thin rings into runs too coarse to judge: below
    // that width the column and row decide.
    const bool thinRings = horizontal < kThinRings;
    if (!thinRings && diagonal <= 0 && antiDiagonal <= 0) return;
    double sum = vertical + horizontal;
    int32_t lines = 2;
    for (const double d : {diagonal, antiDiagonal})
        if (d > 0) sum += d * std::sqrt(2.0), ++lines;
    const double width = sum / lines;
    auto same = std::find_if(found.begin(), found.end(), [&](const TVekMaxiCodeBullsEyeCandidate& c) {
        return distance(c.centre, {cx, cy}) < 2 * std::max(width, c.ringWidth);
    });
    if (same != found.end()) {
        ++same->rowsSeen;
    } else if (found.size() < TVekMaxiCodeBullsEyeFinder::maxCandidates) {
        found.push_back({{cx, cy}, width, 1});
    }
}

}  // namespace

std::vector<TVekMaxiCodeBullsEyeCandidate> TVekMaxiCodeBullsEyeFinder::find(const TVekBitMatrix& bits, int32_t rowStep) {
    std::vector<TVekMaxiCodeBullsEyeCandidate> found;
    if (bits.empty()) return found;
    rowStep = std::max(1, rowStep);
    const int32_t width = bits.width(), height = bits.height();
    // Every row looks for a bull's-eye through its centre. Rows a step
    // apart cross a bull's-eye off its centre too, where the chords through
    // the inner rings grow as the centre's shrinks: those take looser
    // proportions, and the column through the chord's middle then finds the
    // centre's row.
    const bool everyRow = rowStep == 1;
    for (int32_t y = 0; y < height; y += rowStep) {
        forEachWindow(bits.row(y), width, [&](const std::array<int32_t, 11>& runs, const std::array<int32_t, 11>& starts) {
            const double unit = everyRow ? ringWidthOf(runs) : nearRings(runs);
            if (unit > 0) confirm(bits, starts[5] + runs[5] / 2.0, y + 0.5, unit, found);
            return true;
        });
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.rowsSeen > b.rowsSeen; });
    return found;
}

}  // namespace orvel
