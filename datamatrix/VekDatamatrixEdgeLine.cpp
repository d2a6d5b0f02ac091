#include "datamatrix/VekDatamatrixEdgeLine.h"

#include <cmath>

#include "foundation/VekLineFit.h"

namespace orvel {

std::optional<TVekDatamatrixEdgeLine> TVekDatamatrixEdgeLine::fit(const std::vector<TVekPointF>& points) {
    const std::optional<TVekLineFit> line = TVekLineFit::of(points);
    if (!line || line->spread <= 1e-9) return std::nullopt;
    return TVekDatamatrixEdgeLine{line->point, line->direction};
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
