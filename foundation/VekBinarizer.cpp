#include "foundation/VekBinarizer.h"

#include <algorithm>
#include <array>
#include <vector>

#include "foundation/VekHistogram.h"

namespace orvel {

namespace {

void thresholdRow(const uint8_t* source, uint8_t* target, int32_t count, int32_t threshold) {
    for (int32_t x = 0; x < count; ++x) target[x] = source[x] <= threshold ? 1 : 0;
}

// Per block: the mean when the block has contrast, else -1 (flat).
std::vector<int32_t> blockMeans(const TVekGreyImage& grey, const TVekLocalBinarizerSettings& settings,
                                int32_t blocksX, int32_t blocksY) {
    const int32_t size = settings.blockSize;
    std::vector<int32_t> means(static_cast<size_t>(blocksX) * blocksY);
    std::vector<uint32_t> sums(static_cast<size_t>(blocksX));
    std::vector<uint8_t> lows(static_cast<size_t>(blocksX)), highs(static_cast<size_t>(blocksX));
    for (int32_t by = 0; by < blocksY; ++by) {
        std::fill(sums.begin(), sums.end(), 0u);
        std::fill(lows.begin(), lows.end(), uint8_t{255});
        std::fill(highs.begin(), highs.end(), uint8_t{0});
        const int32_t y0 = by * size, y1 = std::min(y0 + size, grey.height());
        for (int32_t y = y0; y < y1; ++y) {
            const uint8_t* source = grey.row(y);
            for (int32_t bx = 0; bx < blocksX; ++bx) {
                const int32_t x0 = bx * size, x1 = std::min(x0 + size, grey.width());
                uint32_t sum = 0;
                uint8_t low = lows[static_cast<size_t>(bx)], high = highs[static_cast<size_t>(bx)];
                for (int32_t x = x0; x < x1; ++x) {
                    sum += source[x];
                    low = std::min(low, source[x]);
                    high = std::max(high, source[x]);
                }
                sums[static_cast<size_t>(bx)] += sum;
                lows[static_cast<size_t>(bx)] = low;
                highs[static_cast<size_t>(bx)] = high;
            }
        }
        for (int32_t bx = 0; bx < blocksX; ++bx) {
            const int32_t area = (std::min((bx + 1) * size, grey.width()) - bx * size) * (y1 - y0);
            const bool contrasted = highs[static_cast<size_t>(bx)] - lows[static_cast<size_t>(bx)] >= settings.minContrast;
            means[static_cast<size_t>(by) * blocksX + bx] =
                contrasted ? static_cast<int32_t>(sums[static_cast<size_t>(bx)] / static_cast<uint32_t>(area)) : -1;
        }
    }
    return means;
}

// Each block's threshold: the average of the contrasted blocks' means in its
// neighbourhood, found through summed-area tables of the means and of their
// count; -1 where the neighbourhood holds no contrast at all.
std::vector<int32_t> smoothedThresholds(const std::vector<int32_t>& means, int32_t blocksX, int32_t blocksY,
                                        int radius) {
    const size_t stride = static_cast<size_t>(blocksX) + 1;
    std::vector<int64_t> sum(stride * (static_cast<size_t>(blocksY) + 1), 0);
    std::vector<int32_t> count(sum.size(), 0);
    for (int32_t by = 0; by < blocksY; ++by)
        for (int32_t bx = 0; bx < blocksX; ++bx) {
            const int32_t mean = means[static_cast<size_t>(by) * blocksX + bx];
            const size_t at = (by + 1) * stride + bx + 1;
            sum[at] = sum[at - 1] + sum[at - stride] - sum[at - stride - 1] + std::max(mean, 0);
            count[at] = count[at - 1] + count[at - stride] - count[at - stride - 1] + (mean >= 0 ? 1 : 0);
        }
    std::vector<int32_t> thresholds(means.size());
    for (int32_t by = 0; by < blocksY; ++by) {
        const size_t top = std::max(by - radius, 0), bottom = std::min(by + radius + 1, blocksY);
        for (int32_t bx = 0; bx < blocksX; ++bx) {
            const size_t left = std::max(bx - radius, 0), right = std::min(bx + radius + 1, blocksX);
            const int64_t s = sum[bottom * stride + right] - sum[top * stride + right] - sum[bottom * stride + left] +
                              sum[top * stride + left];
            const int32_t n = count[bottom * stride + right] - count[top * stride + right] -
                              count[bottom * stride + left] + count[top * stride + left];
            thresholds[static_cast<size_t>(by) * blocksX + bx] = n == 0 ? -1 : static_cast<int32_t>(s / n);
        }
    }
    return thresholds;
}

}  // namespace

TVekBitMatrix binarizeGlobal(const TVekGreyImage& grey) {
    TVekBitMatrix result(grey.width(), grey.height());
    std::array<int64_t, 256> counts{};
    for (int32_t y = 0; y < grey.height(); ++y) {
        const uint8_t* source = grey.row(y);
        for (int32_t x = 0; x < grey.width(); ++x) ++counts[source[x]];
    }
    const int32_t threshold = iterativeThreshold(counts);
    for (int32_t y = 0; y < grey.height(); ++y) thresholdRow(grey.row(y), result.row(y), grey.width(), threshold);
    return result;
}

TVekBitMatrix binarizeLocal(const TVekGreyImage& grey, const TVekLocalBinarizerSettings& settings) {
    TVekBitMatrix result(grey.width(), grey.height());
    if (grey.empty()) return result;
    const int32_t size = std::max(settings.blockSize, 2);
    const int32_t blocksX = (grey.width() + size - 1) / size, blocksY = (grey.height() + size - 1) / size;
    TVekLocalBinarizerSettings used = settings;
    used.blockSize = size;
    const std::vector<int32_t> thresholds =
        smoothedThresholds(blockMeans(grey, used, blocksX, blocksY), blocksX, blocksY, settings.neighbourhood);
    for (int32_t y = 0; y < grey.height(); ++y) {
        const uint8_t* source = grey.row(y);
        uint8_t* target = result.row(y);
        const int32_t* blockRow = thresholds.data() + static_cast<size_t>(y / size) * blocksX;
        for (int32_t bx = 0; bx < blocksX; ++bx) {
            const int32_t x0 = bx * size, x1 = std::min(x0 + size, grey.width());
            thresholdRow(source + x0, target + x0, x1 - x0, blockRow[bx]);
        }
    }
    return result;
}

TVekBitMatrix binarize(const TVekGreyImage& grey, TVekBinarizerKind kind) {
    return kind == TVekBinarizerKind::local ? binarizeLocal(grey) : binarizeGlobal(grey);
}

}  // namespace orvel
