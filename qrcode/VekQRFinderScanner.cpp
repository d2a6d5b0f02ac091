#include "qrcode/VekQRFinderScanner.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orvel {

namespace {

// The five runs of a pattern seen along one line through a dark pixel, and
// where the line crosses the pattern's centre.
struct TCrossing {
    std::array<int32_t, 5> runs{};
    double centre = 0;  // along the line, from the start pixel's near edge
    // Pixels per module from the inner five modules: the outer ring may have
    // run into dark surroundings.
    double module() const { return (runs[1] + runs[2] + runs[3]) / 5.0; }
};

// Walks from (x, y) by (dx, dy) while the colour stays `dark`, at most
// `limit` pixels; returns how many pixels were of that colour and whether the
// walk stopped at the picture's edge.
int32_t runLength(const TVekBitMatrix& bits, int32_t& x, int32_t& y, int32_t dx, int32_t dy, bool dark, int32_t limit,
                  bool& atEdge) {
    int32_t n = 0;
    atEdge = false;
    while (n <= limit) {
        if (x < 0 || y < 0 || x >= bits.width() || y >= bits.height()) {
            atEdge = true;
            return n;
        }
        if (bits.get(x, y) != dark) return n;
        ++n;
        x += dx;
        y += dy;
    }
    return n;
}

// The centre run, the light ring and the outer ring on one side of (x, y).
// The outer ring may be cut by the picture's edge (a finder drawn up to the
// edge); the light ring may not.
std::optional<std::array<int32_t, 3>> halfCrossing(const TVekBitMatrix& bits, int32_t x, int32_t y, int32_t dx,
                                                   int32_t dy, int32_t limit) {
    bool atEdge = false;
    std::array<int32_t, 3> runs{};
    runs[0] = runLength(bits, x, y, dx, dy, true, limit, atEdge);
    if (atEdge || runs[0] > limit) return std::nullopt;
    runs[1] = runLength(bits, x, y, dx, dy, false, limit, atEdge);
    if (atEdge || runs[1] > limit) return std::nullopt;
    // The outer ring may run on into dark surroundings: long is enough.
    runs[2] = std::min(runLength(bits, x, y, dx, dy, true, limit, atEdge), limit);
    if (runs[2] == 0) return std::nullopt;
    return runs;
}

// The pattern along the line through the dark pixel (x, y) in direction
// (dx, dy), when it has the finder's proportions.
std::optional<TCrossing> crossing(const TVekBitMatrix& bits, int32_t x, int32_t y, int32_t dx, int32_t dy,
                                  int32_t limit) {
    if (x < 0 || y < 0 || x >= bits.width() || y >= bits.height() || !bits.get(x, y)) return std::nullopt;
    const auto forward = halfCrossing(bits, x, y, dx, dy, limit);
    if (!forward) return std::nullopt;
    const auto backward = halfCrossing(bits, x, y, -dx, -dy, limit);
    if (!backward) return std::nullopt;
    TCrossing c;
    c.runs = {(*backward)[2], (*backward)[1], (*backward)[0] + (*forward)[0] - 1, (*forward)[1], (*forward)[2]};
    if (!TVekQRFinderScanner::hasFinderProportions(c.runs)) return std::nullopt;
    // The middle of the centre run and of the light ring; the outer ring is
    // left out, it may be cut by the picture's edge.
    const double centreRun = ((*forward)[0] - (*backward)[0] + 1) / 2.0;
    const double lightRing = ((*forward)[0] + (*forward)[1] - (*backward)[0] - (*backward)[1] + 1) / 2.0;
    c.centre = (centreRun + lightRing) / 2.0;
    return c;
}

// Confirms a row hit centred at cx on row y; the candidate, or none.
std::optional<TVekQRFinderCandidate> confirm(const TVekBitMatrix& bits, double cx, int32_t y, double rowModule) {
    const auto limit = static_cast<int32_t>(14 * rowModule) + 2;
    auto x = static_cast<int32_t>(std::floor(cx));
    const auto vertical = crossing(bits, x, y, 0, 1, limit);
    if (!vertical) return std::nullopt;
    // A tilted symbol foreshortens one direction, never by this much.
    const double columnModule = vertical->module();
    if (2 * columnModule < rowModule || columnModule > 2 * rowModule) return std::nullopt;
    const double cy = y + vertical->centre;
    const auto iy = static_cast<int32_t>(std::floor(cy));

    const auto horizontal = crossing(bits, x, iy, 1, 0, limit);
    if (!horizontal) return std::nullopt;
    const double refinedX = x + horizontal->centre;
    x = static_cast<int32_t>(std::floor(refinedX));
    const auto column = crossing(bits, x, iy, 0, 1, limit);
    if (!column) return std::nullopt;
    const double refinedY = iy + column->centre;

    const auto diagonal = crossing(bits, x, static_cast<int32_t>(std::floor(refinedY)), 1, 1, limit);
    if (!diagonal) return std::nullopt;

    TVekQRFinderCandidate candidate;
    candidate.centre = {refinedX, refinedY};
    candidate.moduleSize = (horizontal->module() + column->module()) / 2;
    return candidate;
}

// Adds the hit to the candidate it belongs to, or as a new one.
void merge(std::vector<TVekQRFinderCandidate>& candidates, const TVekQRFinderCandidate& hit) {
    for (auto& c : candidates) {
        const double size = std::max(c.moduleSize, hit.moduleSize);
        if (distance(c.centre, hit.centre) > 3 * size) continue;
        if (c.moduleSize > 2 * hit.moduleSize || hit.moduleSize > 2 * c.moduleSize) continue;
        const double n = c.count;
        c.centre = (1.0 / (n + 1)) * (n * c.centre + hit.centre);
        c.moduleSize = (n * c.moduleSize + hit.moduleSize) / (n + 1);
        ++c.count;
        return;
    }
    if (candidates.size() < TVekQRFinderScanner::maxCandidates) candidates.push_back(hit);
}

}  // namespace

bool TVekQRFinderScanner::hasFinderProportions(const std::array<int32_t, 5>& runs) {
    const int32_t inner = runs[1] + runs[2] + runs[3];
    if (inner < 5) return false;
    const double module = inner / 5.0;
    // Half a module of slack, and half a pixel more for the rounding of small modules.
    const double slack = module / 2 + 0.5;
    if (std::abs(runs[1] - module) > slack || std::abs(runs[3] - module) > slack) return false;
    if (std::abs(runs[2] - 3 * module) >= 3 * slack) return false;
    // The outer ring: one side may run on into something dark next to the
    // symbol (a shadow, a finger), not both.
    const bool shortOuter = runs[0] < module - slack || runs[4] < module - slack;
    const bool longOuter0 = runs[0] > module + slack;
    const bool longOuter4 = runs[4] > module + slack;
    return !shortOuter && !(longOuter0 && longOuter4);
}

std::vector<TVekQRFinderCandidate> TVekQRFinderScanner::scan(const TVekBitMatrix& bits) {
    std::vector<TVekQRFinderCandidate> candidates;
    const int32_t width = bits.width();
    std::array<int32_t, 5> runs{};
    std::array<int32_t, 5> starts{};
    for (int32_t y = 0; y < bits.height(); ++y) {
        const uint8_t* row = bits.row(y);
        int32_t seen = 0;  // runs in the window, up to 5
        int32_t x = 0;
        while (x < width) {
            const uint8_t colour = row[x];
            const int32_t start = x;
            while (x < width && row[x] == colour) ++x;
            for (int i = 0; i < 4; ++i) {
                runs[i] = runs[i + 1];
                starts[i] = starts[i + 1];
            }
            runs[4] = x - start;
            starts[4] = start;
            if (seen < 5) ++seen;
            if (colour == 0 || seen < 5 || !hasFinderProportions(runs)) continue;
            const double cx = starts[2] + runs[2] / 2.0;
            if (const auto hit = confirm(bits, cx, y, (runs[1] + runs[2] + runs[3]) / 5.0)) merge(candidates, *hit);
        }
    }
    return candidates;
}

}  // namespace orvel
