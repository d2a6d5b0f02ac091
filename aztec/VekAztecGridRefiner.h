#pragma once

#include <cstdint>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"

namespace orvel {

// Fits the map of a whole symbol to the modules whose colour is known before
// decoding: the bull's-eye rings, the orientation marks and, in full-range
// symbols, the reference grid (rows and columns at multiples of 16 from the
// centre, dark where x + y is even) out to the symbol's border. Each pair of
// neighbours of different colour puts an edge half-way between them; where
// the picture shows that edge near the predicted place, it pins the map. The
// map from the bull's-eye alone is good near the core and drifts towards the
// border of a large symbol; this one is fitted to the symbol's size.
class TVekAztecGridRefiner {
public:
    // symbol: symbol module coordinates (centre module at (0, 0)) to the
    // picture. Gives the given map back when too few edges are found.
    static TVekPerspectiveTransform refine(const TVekBitMatrix& bits, const TVekPerspectiveTransform& symbol,
                                           bool compact, int32_t size);
};

}  // namespace orvel
