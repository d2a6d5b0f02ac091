#include "foundation/VekBinarizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "foundation/VekHistogram.h"

namespace orvel {

namespace {

void thresholdRow(const uint8_t* __restrict source, uint8_t* __restrict target, int32_t count, int32_t threshold) {
    if (threshold < 0) {
        std::fill(target, target + count, uint8_t{0});
        return;
    }
    // Compared as bytes, sixteen or more pixels to an instruction.
    const auto level = static_cast<uint8_t>(std::min(threshold, 255));
    for (int32_t x = 0; x < count; ++x) target[x] = source[x] <= level ? 1 : 0;
}

// The same with a threshold per pixel.
void thresholdRow(const uint8_t* __restrict source, const int16_t* __restrict thresholds, uint8_t* __restrict target,
                  int32_t count) {
    for (int32_t x = 0; x < count; ++x) target[x] = static_cast<int16_t>(source[x]) <= thresholds[x] ? 1 : 0;
}

// Per block: the mean when the block has contrast, else -1 (flat). The rows
// of a band of blocks are first folded column by column (sum, lowest,
// highest), whole rows at a time so that the compiler keeps it in vector
// registers; only the folded row is then cut into blocks.
std::vector<int32_t> blockMeans(const TVekGreyImage& grey, const TVekLocalBinarizerSettings& settings,
                                int32_t blocksX, int32_t blocksY) {
    const int32_t size = settings.blockSize;
    const auto width = static_cast<size_t>(grey.width());
    std::vector<int32_t> means(static_cast<size_t>(blocksX) * blocksY);
    std::vector<uint32_t> sums(width);
    std::vector<uint8_t> lows(width), highs(width);
    for (int32_t by = 0; by < blocksY; ++by) {
        const int32_t y0 = by * size, y1 = std::min(y0 + size, grey.height());
        const uint8_t* first = grey.row(y0);
        for (size_t x = 0; x < width; ++x) {
            sums[x] = first[x];
            lows[x] = first[x];
            highs[x] = first[x];
        }
        for (int32_t y = y0 + 1; y < y1; ++y) {
            const uint8_t* source = grey.row(y);
            for (size_t x = 0; x < width; ++x) {
                sums[x] += source[x];
                lows[x] = std::min(lows[x], source[x]);
                highs[x] = std::max(highs[x], source[x]);
            }
        }
        for (int32_t bx = 0; bx < blocksX; ++bx) {
            const int32_t x0 = bx * size, x1 = std::min(x0 + size, grey.width());
            uint32_t sum = 0;
            uint8_t low = 255, high = 0;
            for (int32_t x = x0; x < x1; ++x) {
                sum += sums[static_cast<size_t>(x)];
                low = std::min(low, lows[static_cast<size_t>(x)]);
                high = std::max(high, highs[static_cast<size_t>(x)]);
            }
            const int32_t area = (x1 - x0) * (y1 - y0);
            means[static_cast<size_t>(by) * blocksX + bx] =
                high - low >= settings.minContrast ? static_cast<int32_t>(sum / static_cast<uint32_t>(area)) : -1;
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
    // Eight histograms, pixels taken in turn from one eight-byte load: a run
    // of one level then adds to eight counters instead of waiting on the one
    // it has just written. A picture within the memory budget has far fewer
    // than 2^32 pixels.
    std::array<std::array<uint32_t, 256>, 8> partial{};
    const int32_t width = grey.width();
    for (int32_t y = 0; y < grey.height(); ++y) {
        const uint8_t* source = grey.row(y);
        int32_t x = 0;
        for (; x + 8 <= width; x += 8) {
            uint64_t eight = 0;
            std::memcpy(&eight, source + x, sizeof eight);
            for (size_t k = 0; k < 8; ++k) ++partial[k][(eight >> (8 * k)) & 0xFF];
        }
        for (; x < width; ++x) ++partial[0][source[x]];
    }
    std::array<int64_t, 256> counts{};
    for (size_t level = 0; level < counts.size(); ++level) {
        for (const auto& histogram : partial) counts[level] += histogram[level];
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
    // Each band's thresholds spread to one per pixel, so that every row of
    // the band is a single comparison of two arrays (-1: never dark).
    const int32_t width = grey.width();
    std::vector<int16_t> rowThresholds(static_cast<size_t>(width));
    int16_t* spread = rowThresholds.data();
    for (int32_t by = 0; by < blocksY; ++by) {
        const int32_t* blockRow = thresholds.data() + static_cast<size_t>(by) * blocksX;
        for (int32_t bx = 0; bx < blocksX; ++bx) {
            const int32_t x0 = bx * size, x1 = std::min(x0 + size, width);
            std::fill(spread + x0, spread + x1, static_cast<int16_t>(blockRow[bx]));
        }
        const int32_t y1 = std::min((by + 1) * size, grey.height());
        for (int32_t y = by * size; y < y1; ++y) thresholdRow(grey.row(y), spread, result.row(y), width);
    }
    return result;
}

TVekBitMatrix binarize(const TVekGreyImage& grey, TVekBinarizerKind kind) {
    return kind == TVekBinarizerKind::local ? binarizeLocal(grey) : binarizeGlobal(grey);
}

}  // namespace orvel
