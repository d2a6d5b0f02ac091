#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvel {

// Expands the run-length pixel data of an 8-bit (BI_RLE8) or 4-bit (BI_RLE4)
// bitmap into one palette index per pixel. Runs, absolute runs, end of line,
// delta moves and end of bitmap are read as the format defines them; pixels
// the stream never sets keep index 0, pixels beyond a row's end are dropped,
// and a stream that ends before its end-of-bitmap mark with rows still to
// fill, or inside an escape, raises TVekException. Nothing is read or written
// outside the data and the index raster, whatever the stream says.
class TVekBmpRunLength {
public:
    TVekBmpRunLength(int32_t width, int32_t height, int bitsPerPixel)
        : width_(width), height_(height), bitsPerPixel_(bitsPerPixel) {}

    // Indices of `height` rows of `width` pixels in the file's row order (the
    // first row stored first).
    std::vector<uint8_t> expand(const uint8_t* data, size_t size) const;

private:
    int32_t width_;
    int32_t height_;
    int bitsPerPixel_;
};

}  // namespace orvel
