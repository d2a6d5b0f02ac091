#pragma once

// Pictures for the benchmarks: photos of the shared corpus, scaled to the
// sizes the benchmarks measure.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <system_error>

#include "foundation/VekImage.h"

namespace orvel::bench {

// The first of the named photos present in the shared corpus (ORVEL_CORPUS or
// /work/shared/corpus), or an empty path when there is none.
inline std::filesystem::path corpusPhoto(std::initializer_list<const char*> names) {
    const char* fromEnvironment = std::getenv("ORVEL_CORPUS");
    const std::filesystem::path corpus = fromEnvironment ? fromEnvironment : "/work/shared/corpus";
    for (const char* name : names) {
        std::error_code error;
        if (std::filesystem::is_regular_file(corpus / name, error)) return corpus / name;
    }
    return {};
}

// Bilinear scaling keeps the photo's grey transitions, so the thresholded
// picture has the ragged region outlines of a real capture.
inline TVekImage scaleTo(const TVekImage& source, int width, int height) {
    TVekImage result(width, height);
    for (int y = 0; y < height; ++y) {
        const double sy = (y + 0.5) * source.height / height - 0.5;
        const int y0 = std::max(0, static_cast<int>(std::floor(sy)));
        const int y1 = std::min(source.height - 1, y0 + 1);
        const double fy = std::clamp(sy - y0, 0.0, 1.0);
        for (int x = 0; x < width; ++x) {
            const double sx = (x + 0.5) * source.width / width - 0.5;
            const int x0 = std::max(0, static_cast<int>(std::floor(sx)));
            const int x1 = std::min(source.width - 1, x0 + 1);
            const double fx = std::clamp(sx - x0, 0.0, 1.0);
            uint32_t colour = 0;
            for (int shift : {0, 8, 16}) {
                auto channel = [&](int px, int py) { return (source.getPixelInt(px, py) >> shift) & 0xFF; };
                const double top = channel(x0, y0) * (1 - fx) + channel(x1, y0) * fx;
                const double bottom = channel(x0, y1) * (1 - fx) + channel(x1, y1) * fx;
                colour |= static_cast<uint32_t>(top * (1 - fy) + bottom * fy) << shift;
            }
            result.setPixel(x, y, colour);
        }
    }
    return result;
}

}  // namespace orvel::bench
