#include "oned/VekBarcode1DObject.h"

#include <cmath>

namespace orvel {

TVekBarcode1DObject::TVekBarcode1DObject(TVekBarList barList) : bars(std::move(barList)) {
    if (bars.empty()) return;
    const TVekImageObject& first = *bars.front();
    const TVekImageObject& last = *bars.back();
    const double a = (first.axisLine ? first.axisLine->angle : 90) - 90;
    const double length = first.axisLength;
    const double sinA = std::sin(degToRad(a));
    const double cosA = std::cos(degToRad(a));
    angle = vekRoundInt(a);
    corner1 = first.nearestToOrigin;
    corner2 = TVekPoint(vekRound(corner1.x - length * sinA), vekRound(corner1.y + length * cosA));
    corner3 = last.farthestFromOrigin;
    corner4 = TVekPoint(vekRound(corner3.x + length * sinA), vekRound(corner3.y - length * cosA));
}

}  // namespace orvel
