#pragma once

#include <cstdint>
#include <optional>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"

namespace orvel {

// Reads a grid of modules off a binarized picture through a perspective
// transform from module space (module (c, r) covers [c, c+1] × [r, r+1]) to
// picture coordinates; each module is the pixel under its centre.
class TVekGridSampler {
public:
    // How far a module centre may fall outside the picture, in pixels, and
    // still be read (from the nearest edge pixel): finders drawn right up to
    // the picture's edge put their outer modules there.
    static constexpr double edgeTolerance = 1.0;

    // The columns × rows matrix, or none when a module centre leaves the
    // picture by more than the tolerance or the transform is not finite on
    // the grid: the grid is refused instead of read outside the picture.
    static std::optional<TVekBitMatrix> sample(const TVekBitMatrix& picture, int32_t columns, int32_t rows,
                                               const TVekPerspectiveTransform& moduleToPicture);
};

}  // namespace orvel
