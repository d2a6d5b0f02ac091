#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvel {

// A decoded 24-bit raster: three bytes per pixel in the order blue, green, red,
// rows from the top down, no padding. Both picture loaders produce it.
struct TVekBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgr;

    TVekBitmap() = default;
    TVekBitmap(int32_t width, int32_t height)
        : width(width), height(height), bgr(static_cast<size_t>(width) * height * 3, 0) {}

    uint8_t* row(int32_t y) { return bgr.data() + static_cast<size_t>(y) * width * 3; }
    const uint8_t* row(int32_t y) const { return bgr.data() + static_cast<size_t>(y) * width * 3; }
};

// A JPEG file's compressed bytes, as kept by an image built from it.
struct TVekJpegPicture {
    std::vector<uint8_t> data;
};

}  // namespace orvel
