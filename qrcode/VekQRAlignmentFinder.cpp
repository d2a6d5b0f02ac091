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

}  // namespace

std::optional<TVekPointF> TVekQRAlignmentFinder::find(const TVekBitMatrix& bits, TVekPointF predicted,
                                                      double moduleSize, double radius) {
    const auto left = std::max<int32_t>(0, static_cast<int32_t>(predicted.x - radius));
    const auto right = std::min<int32_t>(bits.width() - 1, static_cast<int32_t>(predicted.x + radius));
    const auto top = std::max<int32_t>(0, static_cast<int32_t>(predicted.y - radius));
    const auto bottom = std::min<int32_t>(bits.height() - 1, static_cast<int32_t>(predicted.y + radius));
    std::optional<TVekPointF> best;
    double bestDistance = radius;
    for (int32_t y = top; y <= bottom; ++y) {
        const uint8_t* row = bits.row(y);
        for (int32_t x = left; x <= right; ++x) {
            // Start once per dark run, at its first pixel.
            if (!row[x] || (x > left && row[x - 1])) continue;
            int32_t end = x;
            while (end <= right && row[end]) ++end;
            const int32_t cx = (x + end - 1) / 2;
            x = end;
            const TRing across = ring(bits, cx, y, 1, 0, moduleSize);
            if (!across.found) continue;
            const auto ix = static_cast<int32_t>(std::floor(cx + across.centre));
            const TRing down = ring(bits, ix, y, 0, 1, moduleSize);
            if (!down.found) continue;
            const double fy = y + down.centre;
            const TRing again = ring(bits, ix, static_cast<int32_t>(std::floor(fy)), 1, 0, moduleSize);
            if (!again.found) continue;
            const TVekPointF centre{ix + again.centre, fy};
            const double d = distance(centre, predicted);
            if (d < bestDistance) {
                bestDistance = d;
                best = centre;
            }
        }
    }
    return best;
}

}  // namespace orvel
