#include "qrcode/VekQRFinderQuad.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "foundation/VekLineFit.h"

namespace orvel {

namespace {

constexpr int32_t kRays = 64;
// Rays that must find the edge: a blot may hide a few.
constexpr int32_t kMinRays = 52;
constexpr double kStep = 0.5;  // pixels along a ray

bool darkAt(const TVekBitMatrix& bits, TVekPointF p) {
    return bits.getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y)));
}

// Where the ray leaves the ring: dark centre, light ring, dark ring, light.
std::optional<TVekPointF> ringEdge(const TVekBitMatrix& bits, TVekPointF centre, TVekPointF direction, double reach) {
    int32_t phase = 0;  // 0 centre, 1 light ring, 2 dark ring
    if (!darkAt(bits, centre)) return std::nullopt;
    for (double t = kStep; t <= reach; t += kStep) {
        const bool dark = darkAt(bits, centre + t * direction);
        if (phase == 0 && !dark)
            phase = 1;
        else if (phase == 1 && dark)
            phase = 2;
        else if (phase == 2 && !dark)
            return centre + (t - kStep / 2) * direction;
    }
    return std::nullopt;
}

std::optional<TVekPointF> intersect(const std::pair<TVekPointF, TVekPointF>& a,
                                    const std::pair<TVekPointF, TVekPointF>& b) {
    const double denominator = cross(a.second, b.second);
    if (std::fabs(denominator) < 1e-6) return std::nullopt;
    const double t = cross(b.first - a.first, b.second) / denominator;
    return a.first + t * a.second;
}

}  // namespace

std::optional<std::array<TVekPointF, 4>> TVekQRFinderQuad::find(const TVekBitMatrix& bits, TVekPointF centre,
                                                                double moduleSize) {
    if (!(moduleSize > 0)) return std::nullopt;
    // The corner lies 3.5 √2 modules out; a tilt may stretch that.
    const double reach = 8 * moduleSize + 2;
    std::vector<TVekPointF> edge;
    for (int32_t i = 0; i < kRays; ++i) {
        const double angle = 2 * std::numbers::pi * i / kRays;
        if (const auto p = ringEdge(bits, centre, {std::cos(angle), std::sin(angle)}, reach)) edge.push_back(*p);
    }
    if (static_cast<int32_t>(edge.size()) < kMinRays) return std::nullopt;

    // Rough corners: the farthest point, the one farthest from it, and the
    // farthest on each side of the diagonal between them.
    std::array<TVekPointF, 4> c{};
    const auto farthestFrom = [&](TVekPointF from) {
        TVekPointF best = edge.front();
        for (const auto& p : edge)
            if (distance(p, from) > distance(best, from)) best = p;
        return best;
    };
    c[0] = farthestFrom(centre);
    c[2] = farthestFrom(c[0]);
    const TVekPointF diagonal = c[2] - c[0];
    double most = 0, least = 0;
    for (const auto& p : edge) {
        const double side = cross(diagonal, p - c[0]);
        if (side > most) most = side, c[1] = p;
        if (side < least) least = side, c[3] = p;
    }
    if (most <= 0 || least >= 0) return std::nullopt;

    // Each side's line through the edge points along its middle.
    std::array<std::pair<TVekPointF, TVekPointF>, 4> lines;
    for (size_t i = 0; i < 4; ++i) {
        const TVekPointF a = c[i], b = c[(i + 1) % 4];
        const double side = distance(a, b);
        if (side < 3 * moduleSize || side > 14 * moduleSize) return std::nullopt;
        const TVekPointF along = (1.0 / side) * (b - a);
        std::vector<TVekPointF> points;
        for (const auto& p : edge) {
            const double t = dot(p - a, along);
            if (t > 0.15 * side && t < 0.85 * side && std::fabs(cross(along, p - a)) < 0.7 * moduleSize + 0.5)
                points.push_back(p);
        }
        // Three points at least, else the rough side.
        const auto line = points.size() >= 3 ? TVekLineFit::of(points) : std::nullopt;
        lines[i] = line ? std::pair{line->point, line->direction} : std::pair{a, along};
    }
    std::array<TVekPointF, 4> corners;
    for (size_t i = 0; i < 4; ++i) {
        // Corner i lies between the sides i - 1 and i.
        const auto p = intersect(lines[(i + 3) % 4], lines[i]);
        if (!p || distance(*p, c[i]) > 2 * moduleSize + 1) return std::nullopt;
        corners[i] = *p;
    }
    // Clockwise on the screen (y down) means a positive turn from side to side.
    if (cross(corners[1] - corners[0], corners[2] - corners[1]) < 0) std::swap(corners[1], corners[3]);
    return corners;
}

}  // namespace orvel
