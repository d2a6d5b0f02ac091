#include "pdf417/VekPDF417CharacterReader.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "pdf417/VekPDF417SymbolTable.h"

namespace orvel {

namespace {

constexpr int32_t MODULES = 17;
constexpr int32_t ELEMENTS = 8;
// A measured width this far from a whole number of modules is no reading.
constexpr double ROUNDING_SLACK = 0.42;
// A nearest fit whose edges miss by more than this spread (in modules) is
// no reading, nor one that another fits within the margin.
constexpr double MAX_FIT_SPREAD = 1.25;
constexpr double FIT_MARGIN = 0.02;

}  // namespace

TVekPDF417Character TVekPDF417CharacterReader::readNear(const TVekPDF417EdgeList& edges, double expected,
                                                        double reach, TVekPDF417Tolerance tolerance) {
    int32_t best = -1;
    double bestDistance = reach;
    for (int32_t i = edges.firstAtOrAfter(expected - reach); i < edges.size(); ++i) {
        const double distance = std::abs(edges[i].position - expected);
        if (edges[i].position > expected + reach) break;
        if (edges[i].darkAfter && distance <= bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best < 0) return {};
    return readAt(edges, best, tolerance);
}

TVekPDF417Character TVekPDF417CharacterReader::readAt(const TVekPDF417EdgeList& edges, int32_t first,
                                                      TVekPDF417Tolerance tolerance) {
    if (first < 0 || first + ELEMENTS >= edges.size() || !edges[first].darkAfter) return {};
    const TVekPDF417Character plain = readPlain(edges, first);
    if (plain.valid() || !tolerance.aliased) return plain;
    return readNearest(edges, first, tolerance.cluster);
}

TVekPDF417Character TVekPDF417CharacterReader::readPlain(const TVekPDF417EdgeList& edges, int32_t first) {
    const double start = edges[first].position;
    const double total = edges[first + ELEMENTS].position - start;
    if (total <= 0) return {};
    const double scale = MODULES / total;
    std::array<int32_t, 6> widths{};
    int32_t pattern = 0;
    for (int32_t k = 0; k < 6; ++k) {
        const double e = (edges[first + k + 2].position - edges[first + k].position) * scale;
        const double rounded = std::nearbyint(e);
        if (rounded < 2 || rounded > 9 || std::abs(e - rounded) > ROUNDING_SLACK) return {};
        widths[static_cast<size_t>(k)] = static_cast<int32_t>(rounded);
        pattern = pattern * 10 + widths[static_cast<size_t>(k)];
    }
    const int32_t cluster = (widths[0] - widths[1] + widths[4] - widths[5] + 9) % 9;
    if (cluster % 3 != 0) return {};
    const int32_t k = cluster / 3;
    const int32_t value = findPDF417Codeword(pattern, k);
    if (value < 0) return {};
    TVekPDF417Character character;
    character.value = value;
    character.cluster = k;
    character.start = start;
    character.end = edges[first + ELEMENTS].position;
    return character;
}

TVekPDF417Character TVekPDF417CharacterReader::readNearest(const TVekPDF417EdgeList& edges, int32_t first,
                                                           int32_t cluster) {
    // Each element may be any whole number of modules within one of its
    // measured width; of the splits of 17 modules into such elements that
    // spell a character, the one whose edges fit best wins, unless another
    // fits as well (then the reading is better left out).
    std::array<double, ELEMENTS> widths{};
    std::array<int32_t, ELEMENTS> low{};
    std::array<int32_t, ELEMENTS> high{};
    for (int32_t k = 0; k < ELEMENTS; ++k) {
        const auto i = static_cast<size_t>(k);
        widths[i] = edges[first + k + 1].position - edges[first + k].position;
        low[i] = std::max(1, static_cast<int32_t>(std::floor(widths[i] - 1)) + 1);
        high[i] = std::min(6, static_cast<int32_t>(std::ceil(widths[i] + 1)) - 1);
        if (low[i] > high[i]) return {};
    }
    std::array<int32_t, ELEMENTS> modules{};
    TVekPDF417Character best;
    double bestCost = 1e9;
    double runnerUp = 1e9;
    const auto consider = [&] {
        int32_t pattern = 0;
        for (size_t k = 0; k < 6; ++k) {
            const int32_t e = modules[k] + modules[k + 1];
            if (e > 9) return;
            pattern = pattern * 10 + e;
        }
        const int32_t e0 = modules[0] + modules[1], e1 = modules[1] + modules[2];
        const int32_t e4 = modules[4] + modules[5], e5 = modules[5] + modules[6];
        const int32_t k9 = (e0 - e1 + e4 - e5 + 18) % 9;
        if (k9 % 3 != 0 || (cluster >= 0 && k9 / 3 != cluster)) return;
        const int32_t value = findPDF417Codeword(pattern, k9 / 3);
        if (value < 0) return;
        // Pixel borders move every edge by less than a pixel, and all of
        // them by about as much: the spread of the edges' misses is the cost.
        double miss = 0, lowest = 0, highest = 0;
        for (size_t k = 0; k < ELEMENTS; ++k) {
            miss += widths[k] - modules[k];
            lowest = std::min(lowest, miss);
            highest = std::max(highest, miss);
        }
        const double cost = highest - lowest;
        if (cost > MAX_FIT_SPREAD) return;
        if (cost < bestCost) {
            runnerUp = bestCost;
            bestCost = cost;
            best.value = value;
            best.cluster = k9 / 3;
        } else {
            runnerUp = std::min(runnerUp, cost);
        }
    };
    // Depth first over the elements, keeping the sum within reach of 17.
    const auto search = [&](auto&& self, size_t k, int32_t used) -> void {
        if (k == ELEMENTS) {
            if (used == MODULES) consider();
            return;
        }
        int32_t restLow = 0, restHigh = 0;
        for (size_t j = k + 1; j < ELEMENTS; ++j) restLow += low[j], restHigh += high[j];
        for (int32_t m = low[k]; m <= high[k]; ++m) {
            if (used + m + restLow > MODULES || used + m + restHigh < MODULES) continue;
            modules[k] = m;
            self(self, k + 1, used + m);
        }
    };
    search(search, 0, 0);
    if (!best.valid() || runnerUp - bestCost < FIT_MARGIN) return {};
    best.start = edges[first].position;
    best.end = edges[first + ELEMENTS].position;
    best.fitted = true;
    return best;
}

}  // namespace orvel
