#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/VekImage.h"
#include "foundation/VekImageView.h"

namespace orvel {

// An 8-bit luminance picture: either a view of caller memory (a grey
// TVekImageView) or pixels it owns together with its copies. Copies and
// cropped views share the pixels, which never change once made, so any
// number of threads may read them.
class TVekGreyImage {
public:
    TVekGreyImage() = default;
    // A blank picture of the given size, every pixel `level`.
    TVekGreyImage(int32_t width, int32_t height, uint8_t level = 255);
    // Grey caller memory is viewed as it is; colour is converted in one pass
    // (luminance 0.299 R + 0.587 G + 0.114 B).
    explicit TVekGreyImage(const TVekImageView& view);
    // The luminance of a loaded picture's pixels.
    explicit TVekGreyImage(const TVekImage& image);
    // Takes width × height row-major levels over.
    static TVekGreyImage fromPixels(std::vector<uint8_t> pixels, int32_t width, int32_t height);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    const uint8_t* row(int32_t y) const { return origin_ + y * stride_; }
    uint8_t get(int32_t x, int32_t y) const { return row(y)[x]; }
    // Outside the picture: white, so that a scan line running off the edge
    // sees quiet zone.
    uint8_t getOrWhite(int32_t x, int32_t y) const {
        return x < 0 || y < 0 || x >= width_ || y >= height_ ? 255 : get(x, y);
    }

    // The rectangle clipped to the picture, sharing the pixels.
    TVekGreyImage cropped(int32_t left, int32_t top, int32_t width, int32_t height) const;
    // Each factor × factor block averaged into one pixel (factor 2 or 3; a
    // partial block at the right or bottom edge is dropped).
    TVekGreyImage downscaled(int factor) const;
    // Each pixel repeated factor × factor times (bilinear would invent levels
    // the sensor never saw; detectors only need more samples per module).
    TVekGreyImage upscaled(int factor) const;
    // 255 - level for every pixel.
    TVekGreyImage inverted() const;

private:
    TVekGreyImage(std::shared_ptr<const std::vector<uint8_t>> storage, const uint8_t* origin, int32_t width,
                  int32_t height, std::ptrdiff_t stride);
    static TVekGreyImage owning(std::vector<uint8_t> pixels, int32_t width, int32_t height);

    std::shared_ptr<const std::vector<uint8_t>> storage_;  // empty for a view of caller memory
    const uint8_t* origin_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::ptrdiff_t stride_ = 0;
};

}  // namespace orvel
