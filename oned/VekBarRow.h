#pragma once

#include <cstddef>
#include <vector>

#include "foundation/VekPointF.h"

namespace orvel {

// The bars and spaces one scan line crossed, as widths in samples between
// sub-pixel edges. Element 0 is always a space (the light run before the
// first bar, possibly of width 0), so bars have odd indices. The line maps a
// position along it to a picture point, so a decoded stretch can be located.
class TVekBarRow {
public:
    TVekBarRow() = default;
    TVekBarRow(TVekPointF origin, TVekPointF step) : origin_(origin), step_(step) {}

    // Starts again with no elements, for a line from `origin` by `step` per sample.
    void reset(TVekPointF origin, TVekPointF step);
    // Adds the element that runs from the last edge to `edge`; `isBar` tells
    // its colour (a bar first gets a zero-width space before it).
    void addElement(double edge, bool isBar) {
        if (widths_.empty() && isBar) {
            widths_.push_back(0);
            starts_.push_back(0);
            leadingBar_ = true;
        }
        widths_.push_back(edge - lastEdge_);
        starts_.push_back(lastEdge_);
        lastEdge_ = edge;
    }
    // Closes the row with the element from the last edge to `length`.
    void finish(double length);

    size_t size() const { return widths_.size(); }
    double width(size_t i) const { return widths_[i]; }
    double start(size_t i) const { return starts_[i]; }
    double end(size_t i) const { return starts_[i] + widths_[i]; }
    static bool isBar(size_t i) { return (i & 1) != 0; }
    // The sum of `count` widths from element `first`: from the first one's
    // start to where the next one starts (the last one's end), in one step.
    double sum(size_t first, size_t count) const {
        if (count == 0) return 0;
        const size_t next = first + count;
        return (next < starts_.size() ? starts_[next] : starts_[next - 1] + widths_[next - 1]) - starts_[first];
    }
    TVekPointF point(double position) const { return origin_ + position * step_; }
    // True when element `i` is a space of at least `width`, or of half of it
    // where it runs to the end of the line: a symbol there cannot go on
    // unseen beyond the picture's border with its guard where it stands.
    bool isQuiet(size_t i, double width) const;

    // True when `other` has the very widths of this row (its line aside).
    bool sameElements(const TVekBarRow& other) const { return widths_ == other.widths_; }

    // The same line read the other way.
    TVekBarRow reversed() const;
    // The same, into `other`, whose buffers are kept from line to line.
    void reverseInto(TVekBarRow& other) const;
    // The same line with bars and spaces exchanged, as the edges of the
    // line's negative profile make it, into `other`.
    void invertInto(TVekBarRow& other) const;

private:
    TVekPointF origin_;
    TVekPointF step_{1, 0};
    double length_ = 0;
    double lastEdge_ = 0;
    bool leadingBar_ = false;  // element 0 is the zero-width space before a first bar
    std::vector<double> widths_;
    std::vector<double> starts_;
};

}  // namespace orvel
