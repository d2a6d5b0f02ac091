#pragma once

#include <cstdint>
#include <vector>

#include "foundation/VekBitmap.h"

namespace orvel {

// True when the data starts with the eight-byte PNG signature.
bool hasPngSignature(const std::vector<uint8_t>& data);

// Decodes a PNG picture of any standard layout (1- to 16-bit grey, grey with
// alpha, palette with or without transparency, RGB, RGBA; interlaced or not)
// into a 24-bit raster. Transparent pixels are laid over white, as a viewer
// shows them on a page. The size is checked before any pixel is allocated;
// a damaged, truncated or oversized file raises TVekException naming the
// problem.
TVekBitmap decodePng(const std::vector<uint8_t>& data);

}  // namespace orvel
