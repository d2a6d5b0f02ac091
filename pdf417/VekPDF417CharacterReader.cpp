#include "pdf417/VekPDF417CharacterReader.h"

#include <array>
#include <cmath>

#include "pdf417/VekPDF417SymbolTable.h"

namespace orvel {

namespace {

constexpr int32_t MODULES = 17;
constexpr int32_t ELEMENTS = 8;
// A measured width this far from a whole number of modules is no reading.
constexpr double ROUNDING_SLACK = 0.42;

}  // namespace

TVekPDF417Character TVekPDF417CharacterReader::readNear(const TVekPDF417EdgeList& edges, double expected,
                                                        double reach) {
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
    return readAt(edges, best);
}

TVekPDF417Character TVekPDF417CharacterReader::readAt(const TVekPDF417EdgeList& edges, int32_t first) {
    if (first < 0 || first + ELEMENTS >= edges.size() || !edges[first].darkAfter) return {};
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

}  // namespace orvel
