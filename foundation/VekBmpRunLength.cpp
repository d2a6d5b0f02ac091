#include "foundation/VekBmpRunLength.h"

#include <algorithm>

#include "foundation/VekException.h"

namespace orvel {

namespace {

constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kDelta = 2;

// Where the next pixel goes; rows beyond the last one end the picture.
struct TCursor {
    int64_t x = 0;
    int64_t row = 0;
};

[[noreturn]] void truncated() {
    throw TVekException("BMP file is truncated (run-length data ends before the end of the picture)");
}

}  // namespace

std::vector<uint8_t> TVekBmpRunLength::expand(const uint8_t* data, size_t size) const {
    std::vector<uint8_t> indices(static_cast<size_t>(width_) * height_, 0);
    const bool nibbles = bitsPerPixel_ == 4;
    TCursor at;
    size_t p = 0;
    // One index at the cursor, which moves on; beyond the row's end it is dropped.
    const auto put = [&](uint8_t value) {
        if (at.x < width_) indices[static_cast<size_t>(at.row) * width_ + static_cast<size_t>(at.x)] = value;
        ++at.x;
    };
    while (at.row < height_) {
        if (p + 2 > size) truncated();
        const uint8_t count = data[p];
        const uint8_t value = data[p + 1];
        p += 2;
        if (count > 0) {  // a run of one index, or of the high and low nibble in turn
            for (int k = 0; k < count && at.x < width_; ++k)
                put(nibbles ? (k % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            continue;
        }
        if (value == kEndOfLine) {
            at.x = 0;
            ++at.row;
        } else if (value == kEndOfBitmap) {
            break;
        } else if (value == kDelta) {
            if (p + 2 > size) truncated();
            at.x += data[p];
            at.row += data[p + 1];
            p += 2;
        } else {  // an absolute run of `value` indices, padded to a whole 16-bit word
            const size_t bytes = nibbles ? (value + 1u) / 2 : value;
            if (p + bytes > size) truncated();
            for (int k = 0; k < value && at.x < width_; ++k)
                put(nibbles ? (k % 2 == 0 ? data[p + k / 2] >> 4 : data[p + k / 2] & 0x0F) : data[p + k]);
            p += bytes + bytes % 2;
        }
    }
    return indices;
}

}  // namespace orvel
