#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "foundation/VekBitmap.h"

namespace orvel {

// The colour types of PNG.
enum class TVekPngColour { grey, greyAlpha, palette, rgb, rgba };

// Pixels laid out as a PNG file stores them: rows of `rowBytes()` bytes,
// samples of 16 bits big-endian, samples under 8 bits packed from the high
// bit of each byte, each row starting on a new byte.
struct TVekPngRaster {
    int32_t width = 0;
    int32_t height = 0;
    TVekPngColour colour = TVekPngColour::rgb;
    int bitDepth = 8;  // 1, 2, 4, 8 or 16 as PNG allows for the colour type
    bool interlaced = false;
    std::vector<uint8_t> data;
    std::vector<std::array<uint8_t, 3>> palette;  // red, green, blue
    std::vector<uint8_t> paletteAlpha;            // the tRNS opacity of the first palette entries

    int channels() const;
    size_t rowBytes() const;
    // An 8-bit RGB raster of the picture.
    static TVekPngRaster fromBitmap(const TVekBitmap& bitmap);
};

// The raster compressed into a PNG file by libpng. Raises TVekException when
// libpng refuses it (a layout PNG does not have, data too short).
std::vector<uint8_t> encodePng(const TVekPngRaster& raster);

}  // namespace orvel
