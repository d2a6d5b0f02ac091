#pragma once

#include <cstddef>
#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekBlockRange.h"

namespace orvel {

// The binarized view of a scan line, where it disagrees with its grey
// edges: an element whose extreme stays on the wrong side of the level
// halfway between the darkest and the lightest samples around it (a light
// ripple inside a wide bar from a sharpening overshoot or moire, a dark
// speck in a space) is no element of the symbol, and is joined with its two
// neighbours into one. The other edges keep the grey edges' places, which
// blur moves less than a level does. Keeps its scratch buffers between lines
// of one read.
class TVekSplitBarMender {
public:
    // `row` was found on `profile` (`count` levels, dark low). Writes into
    // `mended` and returns true when some element was joined; false leaves
    // `mended` unspecified.
    bool mend(const float* profile, size_t count, const TVekBarRow& row, TVekBarRow& mended);

private:
    // True when element `i` of `row` crosses the level to its own side.
    bool crossesLevel(const float* profile, size_t count, const TVekBarRow& row, size_t i) const;

    // A block's level is half-way between its range's extremes.
    TVekBlockRange range_;
    std::vector<bool> spurious_;
};

}  // namespace orvel
