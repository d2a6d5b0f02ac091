#include "datamatrix/VekDatamatrixEdgeLine.h"

#include <cmath>

namespace orvel {

std::optional<TVekDatamatrixEdgeLine> TVekDatamatrixEdgeLine::fit(const std::vector<TVekPointF>& points) {
    if (points.size() < 2) return std::nullopt;
    TVekPointF mean{};
    for (const TVekPointF& p : points) mean = mean + p;
    mean = (1.0 / static_cast<double>(points.size())) * mean;
    double sxx = 0, sxy = 0, syy = 0;
    for (const TVekPointF& p : points) {
        const TVekPointF d = p - mean;
        sxx += d.x * d.x;
        sxy += d.x * d.y;
        syy += d.y * d.y;
    }
    if (sxx + syy <= 1e-9) return std::nullopt;
    // The main axis of the scatter matrix.
    const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
    return TVekDatamatrixEdgeLine{mean, {std::cos(angle), std::sin(angle)}};
}

TVekPointF TVekDatamatrixEdgeLine::normalTowards(TVekPointF side) const {
    const TVekPointF normal{-direction.y, direction.x};
    return dot(normal, side - point) >= 0 ? normal : -1.0 * normal;
}

double TVekDatamatrixEdgeLine::distanceAway(TVekPointF at, TVekPointF side) const {
    return -dot(normalTowards(side), at - point);
}

TVekDatamatrixEdgeLine TVekDatamatrixEdgeLine::movedAway(double amount, TVekPointF side) const {
    return {point - amount * normalTowards(side), direction};
}

TVekPointF TVekDatamatrixEdgeLine::project(TVekPointF at) const {
    return point + dot(at - point, direction) * direction;
}

std::optional<TVekPointF> intersect(const TVekDatamatrixEdgeLine& a, const TVekDatamatrixEdgeLine& b) {
    const double denominator = cross(a.direction, b.direction);
    if (std::abs(denominator) < 1e-6) return std::nullopt;
    const double t = cross(b.point - a.point, b.direction) / denominator;
    return a.point + t * a.direction;
}

}  // namespace orvel
