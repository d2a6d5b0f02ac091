#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/VekBitmap.h"
#include "foundation/VekImage.h"
#include "foundation/VekImageView.h"

namespace orvel {

// A decoded picture as blue-green-red rows, held in the memory it was decoded
// into: the bytes of an uncompressed 24-bit bitmap file, seen in place
// (bottom-up rows through a negative stride), or a decoded raster. The read
// needs only the grey levels of these rows, so the colour picture of the
// documented readers is built only when asked for, with the same pixels as
// loading the file into a TVekImage.
class TVekLoadedPixels {
public:
    TVekLoadedPixels() = default;
    // Takes a decoded raster over.
    explicit TVekLoadedPixels(TVekBitmap bitmap);
    // Takes a file's bytes over and sees `height` rows of `width` pixels in
    // them, the top row at byte `topRow`, the next `rowStride` bytes further
    // (negative for a bottom-up file). The rows must lie within the bytes.
    TVekLoadedPixels(std::vector<uint8_t> bytes, int32_t width, int32_t height, size_t topRow,
                     std::ptrdiff_t rowStride);

    TVekLoadedPixels(TVekLoadedPixels&&) noexcept = default;
    TVekLoadedPixels& operator=(TVekLoadedPixels&&) noexcept = default;
    TVekLoadedPixels(const TVekLoadedPixels&) = delete;
    TVekLoadedPixels& operator=(const TVekLoadedPixels&) = delete;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // The rows, valid while this object lives and is not moved from.
    TVekImageView view() const;
    // The colour picture, as the picture loaders make it from the same file.
    TVekImage toImage() const;

private:
    std::vector<uint8_t> bytes_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    size_t topRow_ = 0;
    std::ptrdiff_t rowStride_ = 0;
};

}  // namespace orvel
