#pragma once

#include <cstdint>
#include <vector>

#include "oned/VekBarRow.h"

namespace orvel {

// The edges of the first scan lines of a picture's dark-on-light read, kept
// for its light-on-dark read of the same lines: the edges of a line's
// negative profile are the very same, bars and spaces exchanged, so the
// second read takes them over instead of finding them again.
class TVekEdgeMemo {
public:
    // Keeps `row`, the edges of the row (`isRow`) or column at `at` found at
    // the usual or the faint threshold, while there is room.
    void keep(bool isRow, int32_t at, bool faint, const TVekBarRow& row);
    // The kept row inverted into `inverted`; false when it was not kept.
    bool recallInverted(bool isRow, int32_t at, bool faint, TVekBarRow& inverted) const;

private:
    struct TLine {
        bool isRow;
        int32_t at;
        bool faint;
        TVekBarRow row;
    };
    // The light read's first round of lines, at either threshold.
    static constexpr size_t capacity = 128;
    std::vector<TLine> lines_;
};

}  // namespace orvel
