#include "qrcode/VekGreyDoubler.h"

#include <algorithm>
#include <vector>

namespace orvel {

namespace {

// Rounds sixteenths to the nearest whole, halves to even.
uint8_t sixteenths(int32_t v) {
    const int32_t whole = v >> 4, rest = v & 15;
    return static_cast<uint8_t>(whole + (rest > 8 || (rest == 8 && (whole & 1))));
}

}  // namespace

TVekGreyImage TVekGreyDoubler::doubled(const TVekGreyImage& grey) {
    const int32_t w = grey.width();
    const int32_t h = grey.height();
    std::vector<uint8_t> pixels(static_cast<size_t>(4) * w * h);
    // Each row of the old picture stretched to twice its width, in quarters.
    std::vector<int32_t> near(static_cast<size_t>(2) * w), far(static_cast<size_t>(2) * w);
    const auto stretch = [w](const uint8_t* row, int32_t* out) {
        for (int32_t x = 0; x < w; ++x) {
            const int32_t left = row[std::max(x - 1, 0)], right = row[std::min(x + 1, w - 1)];
            out[2 * x] = 3 * row[x] + left;
            out[2 * x + 1] = 3 * row[x] + right;
        }
    };
    for (int32_t y = 0; y < h; ++y) {
        stretch(grey.row(y), near.data());
        for (int32_t half = 0; half < 2; ++half) {
            stretch(grey.row(half == 0 ? std::max(y - 1, 0) : std::min(y + 1, h - 1)), far.data());
            uint8_t* out = pixels.data() + static_cast<size_t>(2 * y + half) * 2 * w;
            for (int32_t x = 0; x < 2 * w; ++x) out[x] = sixteenths(3 * near[x] + far[x]);
        }
    }
    return TVekGreyImage::fromPixels(std::move(pixels), 2 * w, 2 * h);
}

}  // namespace orvel
