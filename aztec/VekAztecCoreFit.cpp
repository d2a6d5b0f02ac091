#include "aztec/VekAztecCoreFit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "aztec/VekAztecHomography.h"
#include "foundation/VekLineFit.h"

namespace orvel {

namespace {

constexpr int32_t kRays = TVekAztecCoreFit::rays;
constexpr double kPi = 3.14159265358979323846;

struct TLine {
    TVekPointF point;
    TVekPointF direction;
};

// One crossing of an edge square, with the ray it lies on.
using TRayPoint = TVekAztecCoreFit::TCorner;

// At most one point per ray, kept on the stack: an edge square is fitted
// several times per candidate.
template <typename T>
struct TRayPoints {
    std::array<T, kRays> items{};
    size_t count = 0;

    void push_back(const T& item) { items[count++] = item; }
    size_t size() const { return count; }
    const T& operator[](size_t i) const { return items[i]; }
    const T* begin() const { return items.data(); }
    const T* end() const { return items.data() + count; }
};
using TPoints = TRayPoints<TVekPointF>;
using TCrossings = TRayPoints<TRayPoint>;

const std::array<TVekPointF, kRays>& rayDirections() {
    static const std::array<TVekPointF, kRays> directions = [] {
        std::array<TVekPointF, kRays> d{};
        for (int32_t r = 0; r < kRays; ++r) d[static_cast<size_t>(r)] = {std::cos(2 * kPi * r / kRays), std::sin(2 * kPi * r / kRays)};
        return d;
    }();
    return directions;
}

// Crossings are placed to half a pixel.
constexpr double kFineStep = 0.5;

// The pixel under a point; light outside the picture.
bool darkPixel(const TVekBitMatrix& bits, TVekPointF p) {
    if (!(p.x >= 0 && p.y >= 0 && p.x < bits.width() && p.y < bits.height())) return false;
    return bits.row(static_cast<int32_t>(p.y))[static_cast<int32_t>(p.x)] != 0;
}

double squaredDistance(TVekPointF a, TVekPointF b) { return dot(a - b, a - b); }

// Rays from ray `from` on clockwise to ray `to`.
int32_t raysBetween(int32_t from, int32_t to) { return ((to - from) % kRays + kRays) % kRays; }

// Corners of the convex quadrilateral the points lie on, roughly: the point
// farthest from the centre, the one farthest from it, and the two farthest
// from the line between those on either side; as indices into the points,
// in ray (clockwise) order.
std::optional<std::array<size_t, 4>> roughCorners(const TCrossings& points, TVekPointF centre) {
    if (points.size() < 8) return std::nullopt;
    auto farthestFrom = [&](TVekPointF from) {
        size_t best = 0;
        for (size_t i = 1; i < points.size(); ++i)
            if (squaredDistance(points[i].at, from) > squaredDistance(points[best].at, from)) best = i;
        return best;
    };
    const size_t a = farthestFrom(centre);
    const size_t c = farthestFrom(points[a].at);
    const TVekPointF axis = points[c].at - points[a].at;
    const double axisLength = length(axis);
    if (axisLength < 1) return std::nullopt;
    size_t b = a, d = a;
    double most = 0, least = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const double side = cross(axis, points[i].at - points[a].at) / axisLength;
        if (side > most) most = side, b = i;
        if (side < least) least = side, d = i;
    }
    if (most < 1 || -least < 1) return std::nullopt;
    std::array<size_t, 4> corners = {a, b, c, d};
    std::sort(corners.begin(), corners.end(),
              [&](size_t p, size_t q) { return points[p].ray < points[q].ray; });
    return corners;
}

std::optional<TLine> fitLine(const TPoints& points) {
    const std::optional<TVekLineFit> fit = TVekLineFit::of(std::span<const TVekPointF>(points.begin(), points.end()));
    if (!fit) return std::nullopt;
    return TLine{fit->point, fit->direction};
}

// A line through the points that leaves out the ones far off it: a ray that
// missed an edge in a blurred ring counts the next one instead and lands on
// another ring.
std::optional<TLine> fitLineRobustly(TPoints points, double moduleSize) {
    std::optional<TLine> line = fitLine(points);
    for (int32_t round = 0; round < 2 && line; ++round) {
        const double limit = std::max(0.25 * moduleSize, 0.75);
        const size_t before = points.size();
        const auto kept = std::remove_if(points.items.begin(), points.items.begin() + static_cast<std::ptrdiff_t>(before),
                                         [&](TVekPointF p) { return std::fabs(cross(line->direction, p - line->point)) > limit; });
        points.count = static_cast<size_t>(kept - points.items.begin());
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

// The corners of one edge square from the rays' crossings, with the rays
// they lie nearest to: points between two rough corners belong to that side;
// the ones next to a corner, where the binarized corner is rounded, are left
// out.
std::optional<TVekAztecCoreFit::TSquare> edgeSquare(const TCrossings& points, TVekPointF centre, double moduleSize) {
    const auto rough = roughCorners(points, centre);
    if (!rough) return std::nullopt;
    std::array<TPoints, 4> sides;
    constexpr int32_t margin = 1;
    for (const TRayPoint& p : points) {
        for (size_t k = 0; k < 4; ++k) {
            const int32_t from = points[(*rough)[k]].ray, to = points[(*rough)[(k + 1) % 4]].ray;
            const int32_t span = raysBetween(from, to);
            const int32_t into = raysBetween(from, p.ray);
            if (into < span) {
                if (into > margin && span - into > margin) sides[k].push_back(p.at);
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
    TVekAztecCoreFit::TSquare corners{};
    for (size_t k = 0; k < 4; ++k) {
        // Corner k + 1 joins side k and side k + 1.
        const auto corner = intersect(lines[k], lines[(k + 1) % 4]);
        if (!corner) return std::nullopt;
        corners[(k + 1) % 4] = TRayPoint{*corner, points[(*rough)[(k + 1) % 4]].ray};
    }
    return corners;
}

}  // namespace

TVekAztecCoreFit::TVekAztecCoreFit(const TVekBitMatrix& bits, const TVekAztecBullsEyeCandidate& candidate)
    : candidate_(candidate) {
    // Edge n lies n - 0.5 modules out along the axes and up to 1.41 times that
    // along the diagonals; a tilt stretches it further.
    const double reach = (maxEdges + 1.5) * candidate.moduleSize * 2.5;
    // Big modules are walked in strides of a sixth of a module, and a colour
    // change is narrowed down to half a pixel by halving: a ring is at least
    // 0.4 modules wide on a line through it, so no stride steps over one.
    const double stride = std::max(kFineStep, candidate.moduleSize / 6);
    const auto& directions = rayDirections();
    for (int32_t r = 0; r < kRays; ++r) {
        const TVekPointF direction = directions[static_cast<size_t>(r)];
        const auto darkAt = [&](double t) { return darkPixel(bits, candidate.centre + t * direction); };
        bool dark = true;
        int32_t edge = 0;
        double before = 0;
        for (double t = stride; t < reach && edge < maxEdges; before = t, t += stride) {
            const bool here = darkAt(t);
            if (here == dark) continue;
            double from = before, to = t;
            while (to - from > kFineStep) {
                const double middle = (from + to) / 2;
                (darkAt(middle) == dark ? from : to) = middle;
            }
            crossings_[static_cast<size_t>(edge)][static_cast<size_t>(r)] =
                TCrossing{candidate.centre + ((from + to) / 2) * direction, true};
            dark = here;
            ++edge;
        }
    }
}

const std::optional<TVekAztecCoreFit::TSquare>& TVekAztecCoreFit::square(int32_t edge) {
    const auto at = static_cast<size_t>(edge - 1);
    if (!fitted_[at]) {
        TCrossings points;
        for (int32_t r = 0; r < kRays; ++r) {
            const TCrossing& crossing = crossings_[at][static_cast<size_t>(r)];
            if (crossing.found) points.push_back(TRayPoint{crossing.at, r});
        }
        squares_[at] = edgeSquare(points, candidate_.centre, candidate_.moduleSize);
        fitted_[at] = true;
    }
    return squares_[at];
}

std::optional<TVekPerspectiveTransform> TVekAztecCoreFit::frame(bool compact) {
    const int32_t edgeCount = compact ? 4 : 6;
    std::vector<TVekPointPair> pairs;
    pairs.reserve(4 * static_cast<size_t>(edgeCount - 1));
    TSquare outer{};
    // Outermost edge first: its corners name the corners of the inner ones.
    for (int32_t edge = edgeCount; edge >= 2; --edge) {
        const std::optional<TSquare>& corners = square(edge);
        if (!corners) {
            if (edge == edgeCount) return std::nullopt;
            continue;
        }
        if (edge == edgeCount) outer = *corners;
        const double half = edge - 0.5;
        const std::array<TVekPointF, 4> corner = {TVekPointF{-half, -half}, TVekPointF{half, -half},
                                                  TVekPointF{half, half}, TVekPointF{-half, half}};
        for (size_t k = 0; k < 4; ++k) {
            // The corner of this edge on the ray nearest the outer one's corner k.
            size_t best = 0;
            int32_t bestGap = kRays;
            for (size_t j = 0; j < 4; ++j) {
                const int32_t t = raysBetween(outer[k].ray, (*corners)[j].ray);
                const int32_t gap = std::min(t, kRays - t);
                if (gap < bestGap) bestGap = gap, best = j;
            }
            pairs.push_back(TVekPointPair{corner[k], (*corners)[best].at});
        }
    }
    return fitHomography(pairs);
}

}  // namespace orvel
