#include "foundation/VekGridSampler.h"

#include <cmath>

namespace orvel {

namespace {

// The pixel index along one axis for a coordinate, or -1 when it lies too far
// outside [0, size).
int32_t pixelIndex(double coordinate, int32_t size) {
    if (!(coordinate >= -TVekGridSampler::edgeTolerance && coordinate < size + TVekGridSampler::edgeTolerance))
        return -1;  // also refuses NaN
    const auto index = static_cast<int32_t>(std::floor(coordinate));
    return index < 0 ? 0 : index >= size ? size - 1 : index;
}

}  // namespace

std::optional<TVekBitMatrix> TVekGridSampler::sample(const TVekBitMatrix& picture, int32_t columns, int32_t rows,
                                                     const TVekPerspectiveTransform& moduleToPicture) {
    if (columns <= 0 || rows <= 0 || picture.empty()) return std::nullopt;
    TVekBitMatrix modules(columns, rows);
    for (int32_t r = 0; r < rows; ++r) {
        uint8_t* target = modules.row(r);
        for (int32_t c = 0; c < columns; ++c) {
            const TVekPointF centre = moduleToPicture.map({c + 0.5, r + 0.5});
            const int32_t x = pixelIndex(centre.x, picture.width());
            const int32_t y = pixelIndex(centre.y, picture.height());
            if (x < 0 || y < 0) return std::nullopt;
            target[c] = picture.row(y)[x];
        }
    }
    return modules;
}

}  // namespace orvel
