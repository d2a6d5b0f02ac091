#include "foundation/VekHistogram.h"

#include "foundation/VekUtil.h"

namespace orvel {

TVekHistogram::TVekHistogram(TVekImage& image) : image_(image) {
    for (uint32_t colour : image.pixelData()) ++counts[greyOf(colour)];
}

int32_t TVekHistogram::getThreshold() const {
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
