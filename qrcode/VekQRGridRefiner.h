#pragma once

#include <cstdint>
#include <optional>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"

namespace orvel {

// Samples a symbol whose surface is not flat (cloth, a bent page) or whose
// perspective the finders only roughly give. Starting from a projective grid,
// it looks for each edge between two sampled modules of different colour near
// where the grid puts it, and moves the grid locally by how far the edges
// were off: the symbol's own module edges (finders, timing, data) clock it.
class TVekQRGridRefiner {
public:
    // The dimension × dimension modules read through the refined grid, or
    // none when the grid leaves the picture.
    static std::optional<TVekBitMatrix> sample(const TVekBitMatrix& bits, int32_t dimension,
                                               const TVekPerspectiveTransform& moduleToPicture);
};

}  // namespace orvel
