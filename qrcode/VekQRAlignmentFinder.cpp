#include "qrcode/VekQRAlignmentFinder.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

// Light, dark and light runs along a line through the dark pixel (x, y), each
// about one module and closed by dark on both sides.
struct TRing {
    double centre = 0;  // along the line, from the start pixel's near edge
    bool found = false;
};

bool aboutOneModule(int32_t run, double moduleSize) {
    return run > 0 && std::abs(run - moduleSize) <= moduleSize * 0.6 + 1.0;
}

int32_t walk(const TVekBitMatrix& bits, int32_t x, int32_t y, int32_t dx, int32_t dy, bool dark, int32_t limit,
             int32_t& steps) {
    int32_t n = 0;
    while (n <= limit) {
        const int32_t px = x + dx * steps;
        const int32_t py = y + dy * steps;
        if (px < 0 || py < 0 || px >= bits.width() || py >= bits.height()) return -1;
        if (bits.get(px, py) != dark) return n;
        ++n;
        ++steps;
    }
    return -1;
}

TRing ring(const TVekBitMatrix& bits, int32_t x, int32_t y, int32_t dx, int32_t dy, double moduleSize) {
    const auto limit = static_cast<int32_t>(moduleSize * 2 + 2);
    int32_t forward = 0;
    int32_t backward = 0;
    const int32_t darkAhead = walk(bits, x, y, dx, dy, true, limit, forward);
    const int32_t darkBehind = walk(bits, x, y, -dx, -dy, true, limit, backward);
    if (darkAhead <= 0 || darkBehind <= 0 || !aboutOneModule(darkAhead + darkBehind - 1, moduleSize)) return {};
    const int32_t lightAhead = walk(bits, x, y, dx, dy, false, limit, forward);
    const int32_t lightBehind = walk(bits, x, y, -dx, -dy, false, limit, backward);
    if (!aboutOneModule(lightAhead, moduleSize) || !aboutOneModule(lightBehind, moduleSize)) return {};
    TRing r;
    r.centre = ((darkAhead - darkBehind + 1) / 2.0 + (forward - backward + 1) / 2.0) / 2.0;
    r.found = true;
    return r;
}

// How many of the pattern's 25 modules, read around `centre`, have the
// pattern's colour: dark ring, light ring, dark centre.
int fit(const TVekBitMatrix& bits, TVekPointF centre, TVekPointF right, TVekPointF down) {
    int matches = 0;
    for (int j = -2; j <= 2; ++j) {
        for (int i = -2; i <= 2; ++i) {
            const TVekPointF p = centre + static_cast<double>(i) * right + static_cast<double>(j) * down;
            const bool dark = std::max(std::abs(i), std::abs(j)) != 1;
            const bool inside = p.x >= 0 && p.y >= 0 && p.x < bits.width() && p.y < bits.height();
            matches += (inside && bits.get(static_cast<int32_t>(p.x), static_cast<int32_t>(p.y))) == dark;
        }
    }
    return matches;
}

// Fewer matching modules than this is some other dark module in a light ring.
constexpr int kMinFit = 21;

}  // namespace

std::optional<TVekPointF> TVekQRAlignmentFinder::find(const TVekBitMatrix& bits, TVekPointF predicted,
                                                      TVekPointF right, TVekPointF down, double radius) {
    const double moduleSize = (length(right) + length(down)) / 2;
    // A degenerate estimate puts the prediction anywhere (or nowhere).
    const bool nearPicture = predicted.x > -radius && predicted.y > -radius && predicted.x < bits.width() + radius &&
                             predicted.y < bits.height() + radius;
    if (!nearPicture || !(moduleSize > 0) || !(radius < bits.width() + bits.height())) return std::nullopt;
    const auto firstX = std::max<int32_t>(0, static_cast<int32_t>(predicted.x - radius));
    const auto lastX = std::min<int32_t>(bits.width() - 1, static_cast<int32_t>(predicted.x + radius));
    const auto top = std::max<int32_t>(0, static_cast<int32_t>(predicted.y - radius));
    const auto bottom = std::min<int32_t>(bits.height() - 1, static_cast<int32_t>(predicted.y + radius));
    std::optional<TVekPointF> best;
    double bestDistance = radius;
    int bestFit = kMinFit - 1;
    for (int32_t y = top; y <= bottom; ++y) {
        const uint8_t* row = bits.row(y);
        for (int32_t x = firstX; x <= lastX; ++x) {
            // Start once per dark run, at its first pixel.
            if (!row[x] || (x > firstX && row[x - 1])) continue;
            int32_t end = x;
            while (end <= lastX && row[end]) ++end;
            const int32_t cx = (x + end - 1) / 2;
            // A whole run inside the window is the one the ring across
            // measures: too long or too short fails it here already.
            const bool whole = x > firstX && end <= lastX;
            const bool module = aboutOneModule(end - x, moduleSize);
            x = end;
            if (whole && !module) continue;
            const TRing across = ring(bits, cx, y, 1, 0, moduleSize);
            if (!across.found) continue;
            const auto ix = static_cast<int32_t>(std::floor(cx + across.centre));
            const TRing column = ring(bits, ix, y, 0, 1, moduleSize);
            if (!column.found) continue;
            const double fy = y + column.centre;
            const TRing again = ring(bits, ix, static_cast<int32_t>(std::floor(fy)), 1, 0, moduleSize);
            if (!again.found) continue;
            const TVekPointF centre{ix + again.centre, fy};
            const double d = distance(centre, predicted);
            const int f = fit(bits, centre, right, down);
            if (d < radius && (f > bestFit || (f == bestFit && d < bestDistance))) {
                bestFit = f;
                bestDistance = d;
                best = centre;
            }
        }
    }
    return best;
}

}  // namespace orvel
