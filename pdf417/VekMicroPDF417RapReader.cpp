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
    const auto at = [&edges](int32_t i) { return edges[i].position; };
    constexpr int32_t SPAN = RAP_ELEMENTS + CHARACTER_ELEMENTS;
    constexpr double SPAN_MODULES = TLayout::RAP_MODULES + TLayout::CHARACTER;
    // The widths of a row's edge are checked before its patterns are read:
    // few places of a line pass them, and reading costs more.
    for (int32_t i = 0; i + SPAN < count; ++i) {
        if (!edges[i].darkAfter) continue;
        const double module = (at(i + SPAN) - at(i)) / SPAN_MODULES;
        // Left: quiet zone, left RAP, character.
        const bool leftFits =
            similarModules((at(i + RAP_ELEMENTS) - at(i)) / TLayout::RAP_MODULES,
                           (at(i + SPAN) - at(i + RAP_ELEMENTS)) / TLayout::CHARACTER) &&
            (i == 0 || at(i) - at(i - 1) >= MIN_QUIET * module);
        if (leftFits) {
            const TVekMicroPDF417Rap left = readAt(edges, i);
            if (left.valid() && !left.centre &&
                TVekPDF417CharacterReader::readAt(edges, i + RAP_ELEMENTS).valid()) {
                guards.push_back({true, left.start, module});
            }
        }
        // Right: character, right RAP, stop bar, quiet zone.
        const int32_t rapFirst = i + CHARACTER_ELEMENTS;
        const int32_t barEnd = rapFirst + RAP_ELEMENTS + 1;
        if (barEnd >= count) continue;
        const double bar = at(barEnd) - at(barEnd - 1);
        const bool rightFits = similarModules((at(i + SPAN) - at(rapFirst)) / TLayout::RAP_MODULES, module) &&
                               bar >= 0.3 * module && bar <= 2.2 * module &&
                               (barEnd + 1 >= count || at(barEnd + 1) - at(barEnd) >= MIN_QUIET * module);
        if (!rightFits) continue;
        const TVekMicroPDF417Rap right = readAt(edges, rapFirst);
        if (!right.valid() || right.centre) continue;
        if (!TVekPDF417CharacterReader::readAt(edges, i).valid()) continue;
        guards.push_back({false, at(barEnd), module});
    }
}

}  // namespace orvel
