#include "aztec/VekAztecGridRefiner.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "aztec/VekAztecHomography.h"
#include "aztec/VekAztecModuleSampler.h"

namespace orvel {

namespace {

constexpr int32_t kMaxRounds = 12;
constexpr int32_t kWholeRounds = 2;
// Farther from the fitted map than this, in modules, an edge is dropped.
constexpr double kOutlier = 0.3;
constexpr int32_t kMinEdges = 12;
constexpr int32_t kUnknown = -1;

// The colour of a module known before decoding, or kUnknown.
int32_t knownColour(int32_t x, int32_t y, bool compact) {
    const int32_t core = compact ? 4 : 6;
    const int32_t ring = std::max(std::abs(x), std::abs(y));
    if (ring <= core) return ring % 2 == 0 ? 1 : 0;
    if (!compact && (x % 16 == 0 || y % 16 == 0) && ring != core + 1) return (x + y) % 2 == 0 ? 1 : 0;
    if (ring == core + 1 && std::abs(x) >= ring - 1 && std::abs(y) >= ring - 1) {
        // Orientation marks, upright: top-left three dark, top-right the
        // corner and the one below, bottom-right the one above the corner.
        const bool top = y < 0, left = x < 0;
        const bool corner = std::abs(x) == ring && std::abs(y) == ring;
        if (top && left) return 1;
        if (top) return corner || y == -ring + 1 ? 1 : 0;
        if (!left) return !corner && y == ring - 1 ? 1 : 0;
        return 0;
    }
    return kUnknown;
}

bool darkAt(const TVekBitMatrix& bits, TVekPointF p) {
    return bits.getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y)));
}

// The edge between module `from` and its neighbour one step along `step`:
// the colour change nearest the predicted middle on the line through both
// centres, searched from 0.4 modules before the first centre to 0.4 after
// the second.
bool findEdge(const TVekBitMatrix& bits, const TVekAztecModuleSampler& symbol, TVekPointF from, TVekPointF step,
              bool fromDark, TVekPointF& edge) {
    const TVekPointF start = symbol.at(from - 0.4 * step);
    const TVekPointF end = symbol.at(from + 1.4 * step);
    const double span = distance(start, end);
    if (!std::isfinite(span) || span < 1) return false;
    const int32_t samples = static_cast<int32_t>(span * 2) + 1;
    const TVekPointF middle = symbol.at(from + 0.5 * step);
    bool found = false;
    double best = 0;
    bool previous = darkAt(bits, start);
    for (int32_t i = 1; i <= samples; ++i) {
        const TVekPointF p = start + (static_cast<double>(i) / samples) * (end - start);
        const bool here = darkAt(bits, p);
        if (previous == fromDark && here != fromDark) {
            const TVekPointF at = start + ((i - 0.5) / samples) * (end - start);
            const double gap = distance(at, middle);
            if (!found || gap < best) {
                best = gap;
                edge = at;
                found = true;
            }
        }
        previous = here;
    }
    return found && best < 0.5 * span / 1.8;
}

}  // namespace

TVekPerspectiveTransform TVekAztecGridRefiner::refine(const TVekBitMatrix& bits, const TVekPerspectiveTransform& symbol,
                                                      bool compact, int32_t size) {
    const int32_t half = (size - 1) / 2;
    TVekPerspectiveTransform current = symbol;
    std::vector<int8_t> colours(static_cast<size_t>(size) * static_cast<size_t>(size));
    auto colour = [&](int32_t x, int32_t y) -> int8_t& {
        return colours[static_cast<size_t>(y + half) * static_cast<size_t>(size) + static_cast<size_t>(x + half)];
    };
    std::vector<TVekPointPair> pairs;
    // The map is grown outwards: each round fits the modules out to a reach
    // where the previous map still lies within half a module, 1.5 times as
    // far as before, and the last rounds the whole symbol.
    int32_t reach = (compact ? 4 : 6) + 3;
    int32_t wholeRounds = 0;
    for (int32_t round = 0; round < kMaxRounds; ++round) {
        const bool whole = reach >= half;
        reach = std::min(reach, half);
        const TVekAztecModuleSampler sampler(current);
        // Data modules count with the colour the current map reads for them:
        // where most of them are right, their edges pull the map into place.
        for (int32_t y = -reach; y <= reach; ++y) {
            for (int32_t x = -reach; x <= reach; ++x) {
                const int32_t known = knownColour(x, y, compact);
                colour(x, y) = static_cast<int8_t>(
                    known != kUnknown ? known : sampler.dark(bits, x, y) ? 1 : 0);
            }
        }
        pairs.clear();
        for (int32_t y = -reach; y <= reach; ++y) {
            for (int32_t x = -reach; x <= reach; ++x) {
                for (const TVekPointF step : {TVekPointF{1, 0}, TVekPointF{0, 1}}) {
                    const int32_t nx = x + static_cast<int32_t>(step.x), ny = y + static_cast<int32_t>(step.y);
                    if (nx > reach || ny > reach || colour(nx, ny) == colour(x, y)) continue;
                    const TVekPointF from{static_cast<double>(x), static_cast<double>(y)};
                    TVekPointF edge;
                    if (findEdge(bits, sampler, from, step, colour(x, y) == 1, edge))
                        pairs.push_back(TVekPointPair{from + 0.5 * step, edge});
                }
            }
        }
        if (static_cast<int32_t>(pairs.size()) < kMinEdges) break;
        auto fitted = fitHomography(pairs);
        if (!fitted) break;
        // Edges taken from a wrongly read module lie off the fitted map: fit
        // again without them.
        std::vector<TVekPointPair> kept;
        kept.reserve(pairs.size());
        for (const TVekPointPair& pair : pairs) {
            const TVekPointF predicted = fitted->map(pair.symbol);
            const double module = distance(predicted, fitted->map(pair.symbol + TVekPointF{0.5, 0.5})) / 0.7071;
            if (distance(predicted, pair.picture) < kOutlier * module) kept.push_back(pair);
        }
        if (static_cast<int32_t>(kept.size()) >= kMinEdges) {
            if (auto again = fitHomography(kept)) fitted = again;
        }
        current = *fitted;
        if (whole && ++wholeRounds >= kWholeRounds) break;
        reach = reach * 3 / 2;
    }
    return current;
}

}  // namespace orvel
