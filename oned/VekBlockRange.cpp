#include "oned/VekBlockRange.h"

#include <algorithm>

namespace orvel {

void TVekBlockRange::measure(const float* profile, size_t count, size_t reach) {
    const size_t blocks = (count + blockSize - 1) / blockSize;
    blockLows_.resize(blocks);
    blockHighs_.resize(blocks);
    for (size_t b = 0; b < blocks; ++b) {
        const float* block = profile + b * blockSize;
        const size_t size = std::min(blockSize, count - b * blockSize);
        float low = 255.f, high = 0.f;
        for (size_t k = 0; k < size; ++k) {
            low = std::min(low, block[k]);
            high = std::max(high, block[k]);
        }
        blockLows_[b] = low, blockHighs_[b] = high;
    }
    lows_.resize(blocks);
    highs_.resize(blocks);
    for (size_t b = 0; b < blocks; ++b) {
        const size_t first = b >= reach ? b - reach : 0;
        const size_t last = std::min(blocks - 1, b + reach);
        float low = 255.f, high = 0.f;
        for (size_t c = first; c <= last; ++c) {
            low = std::min(low, blockLows_[c]);
            high = std::max(high, blockHighs_[c]);
        }
        lows_[b] = low, highs_[b] = high;
    }
}

}  // namespace orvel
