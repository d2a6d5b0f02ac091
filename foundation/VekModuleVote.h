#pragma once

#include <cstdint>

#include "foundation/VekImage.h"
#include "foundation/VekPoint.h"

namespace orvel {

// The colour of one module of a black-and-white picture by a majority vote
// of the pixels around its centre, as the documented QR Code and Aztec
// readers sample their grids.
class TVekModuleVote {
public:
    // A window of 7, 5, 3 or 1 pixels a side for module sizes above 7, 5, 3
    // or otherwise; 1 (dark) with a strict majority of dark pixels, else 0.
    static int32_t sample(const TVekImage& picture, const TVekPoint& point, double moduleSize);
};

}  // namespace orvel
