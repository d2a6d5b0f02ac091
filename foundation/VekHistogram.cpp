#include "foundation/VekHistogram.h"

#include "foundation/VekUtil.h"

namespace orvel {

namespace {

// A colour value whose channels add up to `sum`.
uint32_t colourWithSum(uint32_t sum) {
    const uint32_t red = sum < 255 ? sum : 255;
    const uint32_t green = sum - red < 255 ? sum - red : 255;
    return (red << 16) | (green << 8) | (sum - red - green);
}

}  // namespace

const std::array<uint8_t, 766>& greyLevelsBySum() {
    static const std::array<uint8_t, 766> levels = [] {
        std::array<uint8_t, 766> table{};
        for (uint32_t sum = 0; sum < table.size(); ++sum) table[sum] = static_cast<uint8_t>(greyOf(colourWithSum(sum)));
        return table;
    }();
    return levels;
}

TVekHistogram::TVekHistogram(TVekImage& image) : image_(image) {
    // Counts channel sums into four interleaved tables, so that runs of equal
    // pixels do not wait on one counter, then folds the sums into grey levels.
    std::vector<uint32_t> sums(4 * 766, 0);
    const std::vector<uint32_t>& pixels = image.pixelData();
    const size_t size = pixels.size();
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        ++sums[channelSum(pixels[i])];
        ++sums[766 + channelSum(pixels[i + 1])];
        ++sums[2 * 766 + channelSum(pixels[i + 2])];
        ++sums[3 * 766 + channelSum(pixels[i + 3])];
    }
    for (; i < size; ++i) ++sums[channelSum(pixels[i])];
    const std::array<uint8_t, 766>& levels = greyLevelsBySum();
    for (size_t sum = 0; sum < 766; ++sum)
        counts[levels[sum]] += int64_t{sums[sum]} + sums[766 + sum] + sums[2 * 766 + sum] + sums[3 * 766 + sum];
}

int32_t iterativeThreshold(const std::array<int64_t, 256>& counts) {
    int32_t threshold = 128;
    int32_t previous = 0;
    int iterations = 0;
    while (threshold != previous) {
        ++iterations;
        previous = threshold;
        double sum1 = 0, sum2 = 0;
        int64_t count1 = 0, count2 = 0;
        for (int j = 0; j < threshold; ++j) {
            sum1 += static_cast<double>(j) * static_cast<double>(counts[j]);
            count1 += counts[j];
        }
        for (int j = threshold; j < 256; ++j) {
            sum2 += static_cast<double>(j) * static_cast<double>(counts[j]);
            count2 += counts[j];
        }
        // An empty part takes T itself as its mean.
        const double m1 = count1 == 0 ? threshold : sum1 / static_cast<double>(count1);
        const double m2 = count2 == 0 ? threshold : sum2 / static_cast<double>(count2);
        threshold = vekRoundInt((m1 + m2) / 2);
        if (iterations > 40) break;
    }
    return threshold;
}

int32_t TVekHistogram::getThreshold() const { return iterativeThreshold(counts); }

void TVekHistogram::stretchContrast() {
    const int64_t clip = static_cast<int64_t>(
        vekRound(static_cast<double>(image_.width) * static_cast<double>(image_.height) * 10.0 / 200.0));
    int low = -1;
    int64_t acc = 0;
    do {
        ++low;
        acc += counts[low];
    } while (!(acc > clip || low >= 255));
    int high = 256;
    acc = 0;
    do {
        --high;
        acc += counts[high];
    } while (!(acc > clip || high <= 0));
    if (high <= low) return;

    std::array<uint32_t, 256> map{};
    for (int i = 0; i < 256; ++i) {
        const int32_t value = vekRoundInt(static_cast<double>(i - low) * 256.0 / static_cast<double>(high - low));
        map[i] = static_cast<uint32_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
    }
    for (uint32_t& colour : image_.pixelData()) {
        colour = (map[(colour >> 16) & 0xFF] << 16) | (map[(colour >> 8) & 0xFF] << 8) | map[colour & 0xFF];
    }
}

}  // namespace orvel
