#pragma once

#include <cstdint>

#include "foundation/VekImage.h"
#include "foundation/VekPoint.h"

namespace orvel {

// A sampling grid of an Aztec symbol: its direction (the top side) and its
// module size in pixels.
struct TVekAztecGrid {
    double angle = 0;
    double moduleSize = 0;
};

// Adjusts the direction and module size of a full-range symbol's grid to its
// reference grid. The bull's-eye alone gives the direction to about a degree
// and the module size to about a percent, which is too coarse for the far
// corners of a large symbol; the centre row and column of the reference grid
// reach the symbol's border, alternating dark (even distances from the centre)
// and light from distance 8 outwards. The grid that agrees with the most of
// these modules wins; the given one when none agrees better.
TVekAztecGrid fitReferenceGrid(const TVekImage& picture, const TVekPoint& centre, const TVekAztecGrid& grid,
                               int32_t halfSize);

}  // namespace orvel
