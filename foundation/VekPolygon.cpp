#include "foundation/VekPolygon.h"

#include <algorithm>

namespace orvel {

TVekRect TVekPolygon::calculateRect() const {
    TVekRect rect{999999, 999999, -999999, -999999};
    for (const TVertex& vertex : vertices) {
        const int32_t x = vertex.x;
        const int32_t y = vertex.y;
        rect.left = std::min(rect.left, x);
        rect.top = std::min(rect.top, y);
        rect.right = std::max(rect.right, x);
        rect.bottom = std::max(rect.bottom, y);
    }
    return rect;
}

bool TVekPolygon::contains2(int32_t x, int32_t y) const {
    if (vertices.size() <= 2) return false;
    const TVekRect rect = calculateRect();
    if (x < rect.left || x > rect.right || y < rect.top || y > rect.bottom) return false;

    // 64-bit arithmetic: vertex differences of far-apart coordinates must not
    // overflow.
    int count = 0;
    int64_t px = vertices.back().x;
    int64_t py = vertices.back().y;
    for (const TVertex& vertex : vertices) {
        const int64_t cx = vertex.x;
        const int64_t cy = vertex.y;
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
    const size_t n = vertices.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const int64_t xi = vertices[i].x, yi = vertices[i].y;
        const int64_t xj = vertices[j].x, yj = vertices[j].y;
        if ((yi <= y && y < yj) || (yj <= y && y < yi)) {
            const double crossing = static_cast<double>((xj - xi) * (y - yi)) / static_cast<double>(yj - yi) + xi;
            if (x < crossing) inside = !inside;
        }
    }
    return inside;
}

}  // namespace orvel
