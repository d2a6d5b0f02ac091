#include "aztec/VekAztecCoreFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "aztec/VekAztecHomography.h"

namespace orvel {

namespace {

constexpr int32_t kRays = 64;
constexpr int32_t kMaxEdges = 6;
constexpr double kPi = 3.14159265358979323846;

// Where each ray crosses edges 1 ... edgeCount (0 where it does not).
using TCrossings = std::array<std::array<TVekPointF, kRays>, kMaxEdges>;
using TFound = std::array<std::array<bool, kRays>, kMaxEdges>;

struct TLine {
    TVekPointF point;
    TVekPointF direction;
};

void castRays(const TVekBitMatrix& bits, const TVekAztecBullsEyeCandidate& candidate, int32_t edgeCount,
              TCrossings& crossings, TFound& found) {
    const double step = 0.5;
    // Edge n lies n - 0.5 modules out along the axes and up to 1.41 times that
    // along the diagonals; a tilt stretches it further.
    const double reach = (edgeCount + 1.5) * candidate.moduleSize * 2.5;
    for (int32_t r = 0; r < kRays; ++r) {
        const double angle = 2 * kPi * r / kRays;
        const TVekPointF direction{std::cos(angle), std::sin(angle)};
        bool dark = true;
        int32_t edge = 0;
        for (double t = step; t < reach && edge < edgeCount; t += step) {
            const TVekPointF p = candidate.centre + t * direction;
            const bool here = bits.getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y)));
            if (here == dark) continue;
            crossings[static_cast<size_t>(edge)][static_cast<size_t>(r)] = candidate.centre + (t - step / 2) * direction;
            found[static_cast<size_t>(edge)][static_cast<size_t>(r)] = true;
            dark = here;
            ++edge;
        }
    }
}

double angleOf(TVekPointF centre, TVekPointF p) { return std::atan2(p.y - centre.y, p.x - centre.x); }

// Turn from a to b, clockwise in the picture, in [0, 2 pi).
double turn(double a, double b) {
    double d = std::fmod(b - a, 2 * kPi);
    if (d < 0) d += 2 * kPi;
    return d;
}

// Corners of the convex quadrilateral the points lie on, roughly: the point
// farthest from the centre, the one farthest from it, and the two farthest
// from the line between those on either side. In clockwise order.
std::optional<std::array<TVekPointF, 4>> roughCorners(const std::vector<TVekPointF>& points, TVekPointF centre) {
    if (points.size() < 8) return std::nullopt;
    auto farthestFrom = [&](TVekPointF from) {
        return *std::max_element(points.begin(), points.end(),
                                 [&](TVekPointF a, TVekPointF b) { return distance(a, from) < distance(b, from); });
    };
    const TVekPointF a = farthestFrom(centre);
    const TVekPointF c = farthestFrom(a);
    const TVekPointF axis = c - a;
    if (length(axis) < 1) return std::nullopt;
    TVekPointF b = a, d = a;
    double most = 0, least = 0;
    for (const TVekPointF& p : points) {
        const double side = cross(axis, p - a) / length(axis);
        if (side > most) most = side, b = p;
        if (side < least) least = side, d = p;
    }
    if (most < 1 || -least < 1) return std::nullopt;
    std::array<TVekPointF, 4> corners = {a, b, c, d};
    // Clockwise in the picture is increasing angle (y grows downwards).
    std::sort(corners.begin(), corners.end(),
              [&](TVekPointF p, TVekPointF q) { return angleOf(centre, p) < angleOf(centre, q); });
    return corners;
}

std::optional<TLine> fitLine(const std::vector<TVekPointF>& points) {
    if (points.size() < 2) return std::nullopt;
    TVekPointF mean{0, 0};
    for (const TVekPointF& p : points) mean = mean + p;
    mean = (1.0 / points.size()) * mean;
    double sxx = 0, sxy = 0, syy = 0;
    for (const TVekPointF& p : points) {
        const TVekPointF d = p - mean;
        sxx += d.x * d.x;
        sxy += d.x * d.y;
        syy += d.y * d.y;
    }
    // The principal direction of the scatter.
    const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
    return TLine{mean, TVekPointF{std::cos(angle), std::sin(angle)}};
}

// A line through the points that leaves out the ones far off it: a ray that
// missed an edge in a blurred ring counts the next one instead and lands on
// another ring.
std::optional<TLine> fitLineRobustly(std::vector<TVekPointF> points, double moduleSize) {
    std::optional<TLine> line = fitLine(points);
    for (int32_t round = 0; round < 2 && line; ++round) {
        const double limit = std::max(0.25 * moduleSize, 0.75);
        const size_t before = points.size();
        std::erase_if(points, [&](TVekPointF p) { return std::fabs(cross(line->direction, p - line->point)) > limit; });
        if (points.size() == before) break;
        line = fitLine(points);
    }
    return line;
}

std::optional<TVekPointF> intersect(const TLine& a, const TLine& b) {
    const double denominator = cross(a.direction, b.direction);
    if (std::fabs(denominator) < 1e-6) return std::nullopt;
    const double t = cross(b.point - a.point, b.direction) / denominator;
    return a.point + t * a.direction;
}

// The corners of one edge square from the rays' crossings: points between two
// rough corners belong to that side; the ones next to a corner, where the
// binarized corner is rounded, are left out.
std::optional<std::array<TVekPointF, 4>> edgeSquare(const std::vector<TVekPointF>& points, TVekPointF centre,
                                                    double moduleSize) {
    const auto rough = roughCorners(points, centre);
    if (!rough) return std::nullopt;
    std::array<double, 4> cornerAngles{};
    for (size_t k = 0; k < 4; ++k) cornerAngles[k] = angleOf(centre, (*rough)[k]);
    std::array<std::vector<TVekPointF>, 4> sides;
    const double margin = 2 * kPi / kRays * 1.5;
    for (const TVekPointF& p : points) {
        const double a = angleOf(centre, p);
        for (size_t k = 0; k < 4; ++k) {
            const double span = turn(cornerAngles[k], cornerAngles[(k + 1) % 4]);
            const double into = turn(cornerAngles[k], a);
            if (into < span) {
                if (into > margin && span - into > margin) sides[k].push_back(p);
                break;
            }
        }
    }
    std::array<TLine, 4> lines{};
    for (size_t k = 0; k < 4; ++k) {
        const auto line = fitLineRobustly(sides[k], moduleSize);
        if (!line) return std::nullopt;
        lines[k] = *line;
    }
    std::array<TVekPointF, 4> corners{};
    for (size_t k = 0; k < 4; ++k) {
        // Corner k + 1 joins side k and side k + 1.
        const auto corner = intersect(lines[k], lines[(k + 1) % 4]);
        if (!corner) return std::nullopt;
        corners[(k + 1) % 4] = *corner;
    }
    return corners;
}

}  // namespace

std::optional<TVekPerspectiveTransform> TVekAztecCoreFit::fit(const TVekBitMatrix& bits,
                                                              const TVekAztecBullsEyeCandidate& candidate,
                                                              bool compact) {
    const int32_t edgeCount = compact ? 4 : 6;
    TCrossings crossings{};
    TFound found{};
    castRays(bits, candidate, edgeCount, crossings, found);

    std::vector<TVekPointPair> pairs;
    std::vector<TVekPointF> points;
    std::array<TVekPointF, 4> outer{};
    // Outermost edge first: its corners name the corners of the inner ones.
    for (int32_t edge = edgeCount; edge >= 2; --edge) {
        points.clear();
        for (int32_t r = 0; r < kRays; ++r)
            if (found[static_cast<size_t>(edge - 1)][static_cast<size_t>(r)])
                points.push_back(crossings[static_cast<size_t>(edge - 1)][static_cast<size_t>(r)]);
        const auto corners = edgeSquare(points, candidate.centre, candidate.moduleSize);
        if (!corners) {
            if (edge == edgeCount) return std::nullopt;
            continue;
        }
        if (edge == edgeCount) outer = *corners;
        const double half = edge - 0.5;
        const std::array<TVekPointF, 4> square = {TVekPointF{-half, -half}, TVekPointF{half, -half},
                                                  TVekPointF{half, half}, TVekPointF{-half, half}};
        for (size_t k = 0; k < 4; ++k) {
            // The corner of this edge in the direction of the outer one's corner k.
            const double target = angleOf(candidate.centre, outer[k]);
            size_t best = 0;
            double bestGap = 4 * kPi;
            for (size_t j = 0; j < 4; ++j) {
                const double t = turn(target, angleOf(candidate.centre, (*corners)[j]));
                const double gap = std::min(t, 2 * kPi - t);
                if (gap < bestGap) bestGap = gap, best = j;
            }
            pairs.push_back(TVekPointPair{square[k], (*corners)[best]});
        }
    }
    return fitHomography(pairs);
}

}  // namespace orvel
