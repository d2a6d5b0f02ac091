#include "qrcode/VekQRGridLocator.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "qrcode/VekQRAlignmentFinder.h"
#include "qrcode/VekQRVersionReader.h"

namespace orvel {

namespace {

constexpr int32_t kMaxVersion = 40;
// How far from the parallelogram's corner the finder edges may put the
// fourth corner, in parts of the diagonal from the top-left finder: a strong
// perspective (a small symbol photographed at a slant) moves it by half.
constexpr double kCornerReach = 2.0 / 3;

// Pixels from the finder centre `from` along the unit vector `direction` to
// the outer edge of its dark ring (three colour changes: 3.5 modules), or none
// when the walk leaves the picture or goes on too long.
std::optional<double> edgeDistance(const TVekBitMatrix& bits, TVekPointF from, TVekPointF direction, double limit) {
    if (!bits.getOrLight(static_cast<int32_t>(from.x), static_cast<int32_t>(from.y))) return std::nullopt;
    int changes = 0;
    bool dark = true;
    for (double t = 0; t <= limit; t += 1.0) {
        const TVekPointF p = from + t * direction;
        if (p.x < 0 || p.y < 0 || p.x >= bits.width() || p.y >= bits.height()) return std::nullopt;
        const bool here = bits.get(static_cast<int32_t>(p.x), static_cast<int32_t>(p.y));
        if (here == dark) continue;
        dark = here;
        if (++changes == 3) return t - 0.5;  // the edge lies between the last two samples
    }
    return std::nullopt;
}

// The module size along the line between two finders, from how wide each
// finder is along that line (7 modules), which perspective changes less than
// the row and column sizes of the scan.
double moduleSizeAlong(const TVekBitMatrix& bits, const TVekQRFinderCandidate& a, const TVekQRFinderCandidate& b) {
    const TVekPointF d = b.centre - a.centre;
    const double n = length(d);
    const TVekPointF u{d.x / n, d.y / n};
    const TVekPointF back{-u.x, -u.y};
    double sum = 0;
    int finders = 0;
    for (const auto& [finder, towards] : {std::pair{a, u}, std::pair{b, back}}) {
        const double limit = finder.moduleSize * 7;
        const auto there = edgeDistance(bits, finder.centre, towards, limit);
        const auto away = edgeDistance(bits, finder.centre, {-towards.x, -towards.y}, limit);
        if (!there || !away) continue;
        sum += (*there + *away) / 7.0;
        ++finders;
    }
    return finders > 0 ? sum / finders : (a.moduleSize + b.moduleSize) / 2;
}

int32_t dimensionOf(int32_t version) { return 17 + 4 * version; }

TVekPointF unit(TVekPointF v) {
    const double n = length(v);
    return n > 0 ? TVekPointF{v.x / n, v.y / n} : v;
}

TVekPointF turned(TVekPointF v, double radians) {
    const double c = std::cos(radians), s = std::sin(radians);
    return {c * v.x - s * v.y, s * v.x + c * v.y};
}

// A point and direction of the finder's outer edge that faces `outwards`:
// rays from the centre fanning around that direction end on that edge.
std::optional<std::pair<TVekPointF, TVekPointF>> outerEdge(const TVekBitMatrix& bits, const TVekQRFinderCandidate& f,
                                                           TVekPointF outwards) {
    constexpr double kFan = 0.35;  // radians to each side, well inside the edge's +-45 degrees
    // A finder sheared by a steep slant is much longer along the fan than
    // across the scan rows that measured its module size.
    const double limit = f.moduleSize * 14;
    const auto first = edgeDistance(bits, f.centre, turned(outwards, -kFan), limit);
    const auto last = edgeDistance(bits, f.centre, turned(outwards, kFan), limit);
    if (!first || !last) return std::nullopt;
    const TVekPointF a = f.centre + *first * turned(outwards, -kFan);
    const TVekPointF b = f.centre + *last * turned(outwards, kFan);
    if (distance(a, b) < f.moduleSize) return std::nullopt;
    return std::pair{a, b - a};
}

std::optional<TVekPointF> intersection(const std::pair<TVekPointF, TVekPointF>& p,
                                       const std::pair<TVekPointF, TVekPointF>& q) {
    const double d = cross(p.second, q.second);
    if (std::abs(d) < 1e-9 * length(p.second) * length(q.second)) return std::nullopt;
    const double t = cross(q.first - p.first, q.second) / d;
    return p.first + t * p.second;
}

// The grid through the three finder centres and the symbol's outer
// bottom-right corner, where the right edge of the top-right finder meets the
// bottom edge of the bottom-left one: the perspective of symbols without an
// alignment pattern (or whose pattern was not found).
std::optional<TVekPerspectiveTransform> withFinderEdges(const TVekBitMatrix& bits, const TVekQRFinderTriplet& t,
                                                        int32_t dimension) {
    const auto& [topLeft, topRight, bottomLeft] = t.finders;
    const TVekPointF right = unit(topRight.centre - topLeft.centre);
    const TVekPointF down = unit(bottomLeft.centre - topLeft.centre);
    const auto rightEdge = outerEdge(bits, topRight, right);
    const auto bottomEdge = outerEdge(bits, bottomLeft, down);
    if (!rightEdge || !bottomEdge) return std::nullopt;
    const auto corner = intersection(*rightEdge, *bottomEdge);
    if (!corner) return std::nullopt;
    // The corner must lie beyond the other three, roughly where the
    // parallelogram puts it.
    const TVekPointF guess = topRight.centre + bottomLeft.centre - topLeft.centre;
    if (distance(*corner, guess) > kCornerReach * distance(topLeft.centre, guess)) return std::nullopt;
    const double n = dimension;
    return TVekPerspectiveTransform::quadToQuad(
        {TVekPointF{3.5, 3.5}, TVekPointF{n - 3.5, 3.5}, TVekPointF{n, n}, TVekPointF{3.5, n - 3.5}},
        {topLeft.centre, topRight.centre, *corner, bottomLeft.centre});
}

// The grid through the three finders and the alignment pattern, searched
// around the place `estimate` (a grid of the same dimension) predicts.
std::optional<TVekPerspectiveTransform> withAlignment(const TVekBitMatrix& bits, const TVekQRFinderTriplet& t,
                                                      int32_t dimension, const TVekPerspectiveTransform& estimate) {
    if (dimension < dimensionOf(2)) return std::nullopt;
    const double n = dimension;
    const TVekPointF predicted = estimate.map({n - 6.5, n - 6.5});
    const TVekPointF right = estimate.map({n - 5.5, n - 6.5}) - predicted;
    const TVekPointF down = estimate.map({n - 6.5, n - 5.5}) - predicted;
    const double moduleSize = (length(right) + length(down)) / 2;
    for (const double radius : {4.0, 10.0}) {
        const auto found = TVekQRAlignmentFinder::find(bits, predicted, right, down, radius * moduleSize);
        if (!found) continue;
        return TVekPerspectiveTransform::quadToQuad(
            {TVekPointF{3.5, 3.5}, TVekPointF{n - 3.5, 3.5}, TVekPointF{n - 6.5, n - 6.5}, TVekPointF{3.5, n - 3.5}},
            {t.finders[0].centre, t.finders[1].centre, *found, t.finders[2].centre});
    }
    return std::nullopt;
}

}  // namespace

TVekPerspectiveTransform TVekQRGridLocator::affine(const TVekQRFinderTriplet& t, int32_t dimension) {
    const double n = dimension;
    const TVekPointF corner = t.finders[1].centre + t.finders[2].centre - t.finders[0].centre;
    const auto map = TVekPerspectiveTransform::quadToQuad(
        {TVekPointF{3.5, 3.5}, TVekPointF{n - 3.5, 3.5}, TVekPointF{n - 3.5, n - 3.5}, TVekPointF{3.5, n - 3.5}},
        {t.finders[0].centre, t.finders[1].centre, corner, t.finders[2].centre});
    return map.value_or(TVekPerspectiveTransform{});
}

std::vector<int32_t> TVekQRGridLocator::dimensions(const TVekBitMatrix& bits, const TVekQRFinderTriplet& t) {
    const auto& [topLeft, topRight, bottomLeft] = t.finders;
    const double sizeTop = moduleSizeAlong(bits, topLeft, topRight);
    const double sizeLeft = moduleSizeAlong(bits, topLeft, bottomLeft);
    const double modules = (distance(topLeft.centre, topRight.centre) / sizeTop +
                            distance(topLeft.centre, bottomLeft.centre) / sizeLeft) / 2 + 7;
    const auto estimate = static_cast<int32_t>(std::nearbyint((modules - 17) / 4));

    std::vector<int32_t> found;
    for (const int32_t v : {estimate, estimate - 1, estimate + 1}) {
        if (v < 1 || v > kMaxVersion) continue;
        // From version 7 on the symbol says its version; the finder distance
        // only has to come close enough for the blocks to be read. A reading
        // far from the distance is a misreading through a wrong grid.
        if (v >= 7) {
            const int32_t read = TVekQRVersionReader::read(bits, dimensionOf(v), affine(t, dimensionOf(v)));
            if (read != 0 && std::abs(read - estimate) <= 2) {
                found.assign(1, dimensionOf(read));
                break;
            }
        }
        found.push_back(dimensionOf(v));
    }
    return found;
}

std::vector<TVekQRGrid> TVekQRGridLocator::grids(const TVekBitMatrix& bits, const TVekQRFinderTriplet& t,
                                                 int32_t dimension) {
    std::vector<TVekQRGrid> found;
    const auto edged = withFinderEdges(bits, t, dimension);
    const TVekPerspectiveTransform parallelogram = affine(t, dimension);
    if (const auto aligned = withAlignment(bits, t, dimension, edged.value_or(parallelogram)))
        found.push_back({dimension, *aligned});
    if (edged) found.push_back({dimension, *edged});
    found.push_back({dimension, parallelogram});
    return found;
}

}  // namespace orvel
