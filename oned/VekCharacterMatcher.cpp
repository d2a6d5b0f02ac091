#include "oned/VekCharacterMatcher.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvel {

namespace {

// Scores closer than this come from the same similar-edge distances.
constexpr double sameEdges = 1e-9;
// The narrowest wide element over the widest narrow one, and the mean ratio
// a width-modulated symbol keeps under blur and ink spread.
constexpr double minimumGap = 1.15;
constexpr double minimumRatio = 1.5;
constexpr double maximumRatio = 4.5;
constexpr size_t maximumElements = 16;

}  // namespace

TVekCharacterMatch matchCharacter(const TVekBarRow& row, size_t first, std::span<const std::string_view> patterns,
                                  double modules) {
    TVekCharacterMatch best;
    if (patterns.empty()) return best;
    const size_t count = patterns[0].size();
    if (count > maximumElements || first + count > row.size()) return best;
    const double total = row.sum(first, count);
    if (total <= 0) return best;
    std::array<double, maximumElements> widths{};
    for (size_t i = 0; i < count; ++i) widths[i] = row.width(first + i) * modules / total;
    // Characters with the same similar-edge distances (EAN 1 and 7, 2 and 8)
    // are told apart by their single widths; only a character with other
    // distances is a runner-up.
    double bestSingles = 1e9;
    std::array<double, 128> edgeScores{};
    std::array<double, 128> deviations{};
    std::array<double, 128> singleScores{};
    const size_t candidates = std::min(patterns.size(), edgeScores.size());
    for (size_t value = 0; value < candidates; ++value) {
        const std::string_view pattern = patterns[value];
        double edges = 0, singles = 0, deviation = 0;
        for (size_t i = 0; i < count; ++i) {
            const double expected = pattern[i] - '0';
            singles += (widths[i] - expected) * (widths[i] - expected);
            if (i + 1 == count) break;
            const double error = widths[i] + widths[i + 1] - expected - (pattern[i + 1] - '0');
            edges += error * error;
            deviation = std::max(deviation, std::abs(error));
        }
        edgeScores[value] = edges;
        deviations[value] = deviation;
        singleScores[value] = singles;
        if (edges < best.score - sameEdges || (edges < best.score + sameEdges && singles < bestSingles)) {
            best.score = edges;
            best.value = static_cast<int>(value);
            best.deviation = deviation;
            bestSingles = singles;
        }
    }
    // The runner-up the same way: by its distances, then its single widths.
    for (size_t value = 0; value < candidates; ++value) {
        if (std::abs(edgeScores[value] - best.score) <= sameEdges) continue;
        const bool sameAsSecond = best.second >= 0 && std::abs(edgeScores[value] - best.runnerUp) <= sameEdges;
        if (sameAsSecond ? singleScores[value] < singleScores[static_cast<size_t>(best.second)]
                         : edgeScores[value] < best.runnerUp) {
            best.runnerUp = edgeScores[value];
            best.second = static_cast<int>(value);
            best.secondDeviation = deviations[value];
        }
    }
    return best;
}

int wideElements(std::span<const double> widths, int wideCount, double& narrow) {
    const size_t count = widths.size();
    if (count > maximumElements || wideCount <= 0 || static_cast<size_t>(wideCount) >= count) return -1;
    std::array<double, maximumElements> sorted{};
    std::copy(widths.begin(), widths.end(), sorted.begin());
    std::sort(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(count));
    const size_t narrowCount = count - static_cast<size_t>(wideCount);
    const double widestNarrow = sorted[narrowCount - 1], narrowestWide = sorted[narrowCount];
    if (sorted[0] <= 0 || narrowestWide < minimumGap * widestNarrow) return -1;
    double narrowSum = 0, wideSum = 0;
    for (size_t i = 0; i < narrowCount; ++i) narrowSum += sorted[i];
    for (size_t i = narrowCount; i < count; ++i) wideSum += sorted[i];
    narrow = narrowSum / static_cast<double>(narrowCount);
    const double ratio = (wideSum / static_cast<double>(wideCount)) / narrow;
    if (ratio < minimumRatio || ratio > maximumRatio) return -1;
    const double split = 0.5 * (widestNarrow + narrowestWide);
    int mask = 0;
    for (size_t i = 0; i < count; ++i)
        if (widths[i] > split) mask |= 1 << i;
    return mask;
}

}  // namespace orvel
