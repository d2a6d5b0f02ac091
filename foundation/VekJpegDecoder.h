#pragma once

#include <cstdint>
#include <vector>

#include "foundation/VekBitmap.h"

namespace orvel {

// Pictures above this many pixels are refused before anything is allocated.
constexpr int64_t kMaxPicturePixels = 100'000'000;

// Decodes a baseline or progressive JPEG (colour, greyscale or CMYK) into a
// 24-bit raster. Raises TVekException with a message naming the problem when
// the data is not a complete, decodable JPEG picture of a supported size.
TVekBitmap decodeJpeg(const std::vector<uint8_t>& data);

}  // namespace orvel
