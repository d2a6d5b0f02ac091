#include "foundation/VekPoint.h"

#include <cmath>

#include "foundation/VekUtil.h"

namespace orvel {

TVekPoint::TVekPoint(double x, double y) : x(vekRound(x * 1000) / 1000), y(vekRound(y * 1000) / 1000) {}

double TVekPoint::distanceTo(const TVekPoint& point) const {
    const double dx = x - point.x;
    const double dy = y - point.y;
    return std::sqrt(dx * dx + dy * dy);
}

TVekPoint TVekPoint::pointAt(double x, double y, double angle, double distance) {
    if (angle >= 360) angle -= 360;
    if (angle <= -360) angle += 360;
    const double r = degToRad(angle);
    return TVekPoint(vekRound(x + distance * std::cos(r)), vekRound(y + distance * std::sin(r)));
}

}  // namespace orvel
