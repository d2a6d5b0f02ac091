#pragma once

#include <array>
#include <cstdint>

#include "foundation/VekImage.h"

namespace orvel {

// Grey-level histogram of a picture, with the iterative global threshold and
// an in-place contrast stretch of the picture it was counted on.
class TVekHistogram {
public:
    std::array<int64_t, 256> counts{};

    explicit TVekHistogram(TVekImage& image);

    // Iterative mean of the means below and above T, from T = 128, at most 41
    // iterations.
    int32_t getThreshold() const;
    // Stretches the grey range between the 5 % clip points to 0 ... 255, each
    // colour channel through the same map.
    void stretchContrast();

private:
    TVekImage& image_;
};

// The iterative global threshold of a grey-level histogram: the mean of the
// means below and above T, from T = 128, at most 41 iterations.
int32_t iterativeThreshold(const std::array<int64_t, 256>& counts);

// The grey level of every channel sum R + G + B, 0 ... 765: the grey formula
// depends only on that sum, so per-pixel work needs just the sum and a lookup.
const std::array<uint8_t, 766>& greyLevelsBySum();

// R + G + B of a colour value.
inline uint32_t channelSum(uint32_t colour) {
    return ((colour >> 16) & 0xFF) + ((colour >> 8) & 0xFF) + (colour & 0xFF);
}

}  // namespace orvel
