#include "foundation/VekBitMatrix.h"

#include <algorithm>

#include "foundation/VekMemoryBudget.h"

namespace orvel {

namespace {

// Bits charged to the read's memory budget before they are allocated.
size_t chargedSize(int32_t width, int32_t height) {
    const size_t size = static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0));
    TVekMemoryBudget::charge(size);
    return size;
}

}  // namespace

TVekBitMatrix::TVekBitMatrix(int32_t width, int32_t height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), bits_(chargedSize(width, height), 0) {}

void TVekBitMatrix::flipAll() {
    for (uint8_t& bit : bits_) bit ^= 1;
}

void TVekBitMatrix::setRegion(int32_t left, int32_t top, int32_t width, int32_t height, bool dark) {
    const int32_t x0 = std::clamp(left, 0, width_), x1 = std::clamp(left + width, x0, width_);
    const int32_t y0 = std::clamp(top, 0, height_), y1 = std::clamp(top + height, y0, height_);
    for (int32_t y = y0; y < y1; ++y) std::fill(row(y) + x0, row(y) + x1, dark ? 1 : 0);
}

TVekBitMatrix TVekBitMatrix::transposed() const {
    TVekBitMatrix result(height_, width_);
    for (int32_t y = 0; y < height_; ++y)
        for (int32_t x = 0; x < width_; ++x) result.bits_[result.index(y, x)] = bits_[index(x, y)];
    return result;
}

TVekBitMatrix TVekBitMatrix::mirrored() const {
    TVekBitMatrix result(width_, height_);
    for (int32_t y = 0; y < height_; ++y) std::reverse_copy(row(y), row(y) + width_, result.row(y));
    return result;
}

TVekBitMatrix TVekBitMatrix::rotated90() const {
    TVekBitMatrix result(height_, width_);
    for (int32_t y = 0; y < height_; ++y)
        for (int32_t x = 0; x < width_; ++x) result.bits_[result.index(height_ - 1 - y, x)] = bits_[index(x, y)];
    return result;
}

}  // namespace orvel
