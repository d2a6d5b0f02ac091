#include "oned/VekBarRow.h"

namespace orvel {

namespace {

// Samples at a line's ends that may hold a sliver of another colour.
constexpr double borderSliver = 2;

}  // namespace

void TVekBarRow::reset(TVekPointF origin, TVekPointF step) {
    origin_ = origin;
    step_ = step;
    length_ = 0;
    lastEdge_ = 0;
    leadingBar_ = false;
    widths_.clear();
    starts_.clear();
}


void TVekBarRow::finish(double length) {
    length_ = length;
    addElement(length, !widths_.empty() && !isBar(widths_.size() - 1));
}


bool TVekBarRow::isQuiet(size_t i, double width) const {
    if (i >= widths_.size() || isBar(i)) return false;
    // A sliver of another colour at the picture's border (its frame, a
    // vignette) does not end the quiet zone before it.
    const bool atEnd = starts_[i] < borderSliver || length_ - end(i) < borderSliver;
    return widths_[i] >= (atEnd ? 0.5 : 1.0) * width;
}

TVekBarRow TVekBarRow::reversed() const {
    TVekBarRow other;
    reverseInto(other);
    return other;
}

// Each element but the last ends at an edge, which is where the next one
// starts; the leading zero-width space ends at none.
void TVekBarRow::invertInto(TVekBarRow& other) const {
    other.reset(origin_, step_);
    for (size_t i = leadingBar_ ? 1 : 0; i + 1 < widths_.size(); ++i) other.addElement(starts_[i + 1], !isBar(i));
    other.finish(length_);
}

void TVekBarRow::reverseInto(TVekBarRow& other) const {
    other.reset(point(length_), -1.0 * step_);
    for (size_t k = widths_.size(); k-- > 1;) other.addElement(length_ - starts_[k], isBar(k));
    other.finish(length_);
}

}  // namespace orvel
