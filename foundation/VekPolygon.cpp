#include "foundation/VekPolygon.h"

#include <algorithm>

#include "foundation/VekUtil.h"

namespace orvel {

int32_t TVekPolygon::getX(size_t i) const { return vekRoundInt(getPoint(i).x); }
int32_t TVekPolygon::getY(size_t i) const { return vekRoundInt(getPoint(i).y); }

TVekRect TVekPolygon::calculateRect() const {
    TVekRect rect{999999, 999999, -999999, -999999};
    for (size_t i = 0; i < points.size(); ++i) {
        const int32_t x = getX(i);
        const int32_t y = getY(i);
        rect.left = std::min(rect.left, x);
        rect.top = std::min(rect.top, y);
        rect.right = std::max(rect.right, x);
        rect.bottom = std::max(rect.bottom, y);
    }
    return rect;
}

bool TVekPolygon::contains2(int32_t x, int32_t y) const {
    if (points.size() <= 2) return false;
    const TVekRect rect = calculateRect();
    if (x < rect.left || x > rect.right || y < rect.top || y > rect.bottom) return false;

    // 64-bit arithmetic: vertex differences of far-apart coordinates must not
    // overflow.
    int count = 0;
    int64_t px = getX(points.size() - 1);
    int64_t py = getY(points.size() - 1);
    for (size_t i = 0; i < points.size(); ++i) {
        const int64_t cx = getX(i);
        const int64_t cy = getY(i);
        const bool crosses = cy != py && x < std::max(cx, px) && std::min(cy, py) <= y && y < std::max(cy, py);
        if (crosses) {
            if (x < std::min(cx, px)) {
                ++count;
            } else {
                const int64_t bx = cy < py ? cx : px;
                const int64_t by = cy < py ? cy : py;
                const double offset = static_cast<double>(y - by) / static_cast<double>(py - cy) *
                                      static_cast<double>(px - cx);
                if (offset > static_cast<double>(x - bx)) ++count;
            }
        }
        px = cx;
        py = cy;
    }
    return count % 2 == 1;
}

bool TVekPolygon::contains1(int32_t x, int32_t y) const {
    bool inside = false;
    const size_t n = points.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const int64_t xi = getX(i), yi = getY(i);
        const int64_t xj = getX(j), yj = getY(j);
        if ((yi <= y && y < yj) || (yj <= y && y < yi)) {
            const double crossing = static_cast<double>((xj - xi) * (y - yi)) / static_cast<double>(yj - yi) + xi;
            if (x < crossing) inside = !inside;
        }
    }
    return inside;
}

}  // namespace orvel
