#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvel {

// A black-and-white picture, one byte per pixel (1 dark, 0 light). A byte per
// pixel rather than packed bits: the detectors walk runs pixel by pixel and
// sample single modules, where unpacking a bit costs more than the memory
// saved, and rows stay plain arrays for the run scanners.
class TVekBitMatrix {
public:
    TVekBitMatrix() = default;
    TVekBitMatrix(int32_t width, int32_t height);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }

    bool get(int32_t x, int32_t y) const { return bits_[index(x, y)] != 0; }
    // Outside the matrix: light.
    bool getOrLight(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_ && get(x, y);
    }
    void set(int32_t x, int32_t y, bool dark = true) { bits_[index(x, y)] = dark ? 1 : 0; }
    void flip(int32_t x, int32_t y) { bits_[index(x, y)] ^= 1; }
    // Every pixel inverted.
    void flipAll();
    // Sets the rectangle (clipped to the matrix) dark or light.
    void setRegion(int32_t left, int32_t top, int32_t width, int32_t height, bool dark = true);

    const uint8_t* row(int32_t y) const { return bits_.data() + static_cast<size_t>(y) * width_; }
    uint8_t* row(int32_t y) { return bits_.data() + static_cast<size_t>(y) * width_; }

    // (x, y) becomes (y, x).
    TVekBitMatrix transposed() const;
    // Left and right exchanged.
    TVekBitMatrix mirrored() const;
    // Turned a quarter clockwise.
    TVekBitMatrix rotated90() const;

    bool operator==(const TVekBitMatrix& other) const = default;

private:
    size_t index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * width_ + x; }

    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> bits_;
};

}  // namespace orvel
