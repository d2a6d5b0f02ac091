#include "pdf417/VekMicroPDF417RapReader.h"

#include <array>
#include <cmath>

#include "pdf417/VekMicroPDF417Layout.h"
#include "pdf417/VekPDF417CharacterReader.h"

namespace orvel {

namespace {

using TLayout = TVekMicroPDF417Layout;

constexpr int32_t RAP_ELEMENTS = 6;
constexpr int32_t CHARACTER_ELEMENTS = 8;
// A measured pair this far from a whole number of modules is no reading.
constexpr double ROUNDING_SLACK = 0.42;
// Light before a row's left edge and after its stop bar, in modules: the
// quiet zone is at least a module, and a wider gap keeps the patterns
// inside another symbol's data from passing for a row's edge.
constexpr double MIN_QUIET = 1.5;

bool similarModules(double a, double b) { return a < 1.35 * b && b < 1.35 * a; }

}  // namespace

TVekMicroPDF417Rap TVekMicroPDF417RapReader::readAt(const TVekPDF417EdgeList& edges, int32_t first) {
    if (first < 0 || first + RAP_ELEMENTS >= edges.size() || !edges[first].darkAfter) return {};
    const double start = edges[first].position;
    const double total = edges[first + RAP_ELEMENTS].position - start;
    if (total <= 0) return {};
    const double scale = TLayout::RAP_MODULES / total;
    std::array<int32_t, 5> pairs{};
    for (int32_t k = 0; k < 5; ++k) {
        const double pair = (edges[first + k + 2].position - edges[first + k].position) * scale;
        const double rounded = std::nearbyint(pair);
        if (rounded < 2 || rounded > 6 || std::abs(pair - rounded) > ROUNDING_SLACK) return {};
        pairs[static_cast<size_t>(k)] = static_cast<int32_t>(rounded);
    }
    const TLayout::TPattern pattern = TLayout::patternOf(pairs);
    if (pattern.number == 0) return {};
    return {pattern.number, pattern.centre, start, edges[first + RAP_ELEMENTS].position};
}

TVekMicroPDF417Rap TVekMicroPDF417RapReader::readNear(const TVekPDF417EdgeList& edges, double expected,
                                                      double reach) {
    int32_t best = -1;
    double bestDistance = reach;
    for (int32_t i = edges.firstAtOrAfter(expected - reach); i < edges.size(); ++i) {
        if (edges[i].position > expected + reach) break;
        const double distance = std::abs(edges[i].position - expected);
        if (edges[i].darkAfter && distance <= bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best < 0 ? TVekMicroPDF417Rap{} : readAt(edges, best);
}

void TVekMicroPDF417RapReader::findGuards(const TVekPDF417EdgeList& edges, std::vector<TVekPDF417Guard>& guards) {
    const int32_t count = edges.size();
    // The pattern at edge i serves as a left RAP there and as the right RAP
    // of the character at edge i - 8: each is read once, kept for the
    // characters' distance in a ring.
    constexpr int32_t RING = 16;
    static_assert(RING > CHARACTER_ELEMENTS);
    std::array<TVekMicroPDF417Rap, RING> raps{};
    const auto rapAt = [&edges](int32_t first) {
        return edges[first].darkAfter ? readAt(edges, first) : TVekMicroPDF417Rap{};
    };
    for (int32_t i = 0; i < CHARACTER_ELEMENTS && i < count; ++i) raps[static_cast<size_t>(i)] = rapAt(i);
    for (int32_t i = 0; i + RAP_ELEMENTS + CHARACTER_ELEMENTS < count; ++i) {
        // Read ahead: the right RAP of the character at i.
        const int32_t rapFirst = i + CHARACTER_ELEMENTS;
        const TVekMicroPDF417Rap right = rapAt(rapFirst);
        raps[static_cast<size_t>(rapFirst % RING)] = right;
        if (!edges[i].darkAfter) continue;
        // Left: quiet zone, left RAP, character.
        const TVekMicroPDF417Rap& left = raps[static_cast<size_t>(i % RING)];
        if (left.valid() && !left.centre) {
            const TVekPDF417Character character = TVekPDF417CharacterReader::readAt(edges, i + RAP_ELEMENTS);
            const double rapModule = (left.end - left.start) / TLayout::RAP_MODULES;
            const double characterModule = (character.end - character.start) / TLayout::CHARACTER;
            if (character.valid() && similarModules(rapModule, characterModule)) {
                const double module = (character.end - left.start) / (TLayout::RAP_MODULES + TLayout::CHARACTER);
                if (i == 0 || left.start - edges[i - 1].position >= MIN_QUIET * module) {
                    guards.push_back({true, left.start, module});
                }
            }
        }
        // Right: character, right RAP, stop bar, quiet zone.
        const int32_t barEnd = rapFirst + RAP_ELEMENTS + 1;
        if (barEnd >= count) continue;
        if (!right.valid() || right.centre) continue;
        const TVekPDF417Character character = TVekPDF417CharacterReader::readAt(edges, i);
        if (!character.valid()) continue;
        const double module = (right.end - character.start) / (TLayout::RAP_MODULES + TLayout::CHARACTER);
        if (!similarModules((right.end - right.start) / TLayout::RAP_MODULES, module)) continue;
        const double bar = edges[barEnd].position - edges[barEnd - 1].position;
        if (bar < 0.3 * module || bar > 2.2 * module) continue;
        if (barEnd + 1 < count && edges[barEnd + 1].position - edges[barEnd].position < MIN_QUIET * module) continue;
        guards.push_back({false, edges[barEnd].position, module});
    }
}

}  // namespace orvel
