#include "oned/VekLineWalker.h"

#include <cmath>

#include "foundation/VekUtil.h"

namespace orvel {

TVekLineWalker::TVekLineWalker(const TVekLine& line, double lengthFactor)
    : TVekLineWalker(vekRoundInt(line.x1), vekRoundInt(line.y1), vekRoundInt(line.x2), vekRoundInt(line.y2),
                     lengthFactor) {}

TVekLineWalker::TVekLineWalker(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double lengthFactor)
    : x1(x1), y1(y1), x2(x2), y2(y2), lengthFactor(lengthFactor) {
    dx = static_cast<double>(x2) - x1;
    dy = static_cast<double>(y2) - y1;
    if (dx == 0 && dy == 0) {
        stepX = stepY = 0.1;
    } else if (std::fabs(dy) > std::fabs(dx)) {
        stepY = 1;
        stepX = std::fabs(dx) / std::fabs(dy);
    } else {
        stepX = 1;
        stepY = std::fabs(dy) / std::fabs(dx);
    }
    if (dy < 0) stepY = -stepY;
    if (dx < 0) stepX = -stepX;
}

std::optional<TVekPoint> TVekLineWalker::nextPoint() {
    const double extentX = std::fabs(dx * lengthFactor);
    const double extentY = std::fabs(dy * lengthFactor);
    // A factor that is not a number would never end the walk.
    if (!std::isfinite(extentX) || !std::isfinite(extentY)) return std::nullopt;
    if (std::fabs(offsetY) > extentY) return std::nullopt;
    if (std::fabs(offsetX) > extentX) return std::nullopt;
    offsetY += stepY;
    offsetX += stepX;
    return TVekPoint(x1 + offsetX, y1 + offsetY);
}

}  // namespace orvel
