#include "qrcode/VekGreyDoubler.h"

#include <algorithm>
#include <vector>

namespace orvel {

namespace {

// Rounds sixteenths to the nearest whole, halves to even: adding seven
// sixteenths, and one more when the whole is odd, carries exactly the rests
// above a half and the halves of odd wholes (no branch, so the loop below
// vectorises).
uint8_t sixteenths(int32_t v) { return static_cast<uint8_t>((v + 7 + ((v >> 4) & 1)) >> 4); }

}  // namespace

TVekGreyImage TVekGreyDoubler::doubled(const TVekGreyImage& grey) {
    const int32_t w = grey.width();
    const int32_t h = grey.height();
    std::vector<uint8_t> pixels(static_cast<size_t>(4) * w * h);
    // Each row of the old picture stretched to twice its width, in
    // quarters; the rows above, at and below the one being doubled, each
    // stretched once and passed on.
    std::vector<int32_t> above(static_cast<size_t>(2) * w), here(above.size()), below(above.size());
    const auto stretch = [w](const uint8_t* row, int32_t* out) {
        for (int32_t x = 0; x < w; ++x) {
            const int32_t left = row[std::max(x - 1, 0)], right = row[std::min(x + 1, w - 1)];
            out[2 * x] = 3 * row[x] + left;
            out[2 * x + 1] = 3 * row[x] + right;
        }
    };
    const auto blend = [w](const int32_t* near, const int32_t* far, uint8_t* out) {
        for (int32_t x = 0; x < 2 * w; ++x) out[x] = sixteenths(3 * near[x] + far[x]);
    };
    stretch(grey.row(0), here.data());
    above = here;
    for (int32_t y = 0; y < h; ++y) {
        if (y + 1 < h) stretch(grey.row(y + 1), below.data());
        else below = here;
        uint8_t* out = pixels.data() + static_cast<size_t>(2 * y) * 2 * w;
        blend(here.data(), above.data(), out);
        blend(here.data(), below.data(), out + 2 * w);
        std::swap(above, here);
        std::swap(here, below);
    }
    return TVekGreyImage::fromPixels(std::move(pixels), 2 * w, 2 * h);
}

}  // namespace orvel
