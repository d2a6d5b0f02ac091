#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/VekPoint.h"

namespace orvel {

// Bounding rectangle with inclusive bounds.
struct TVekRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const TVekRect&) const = default;
};

// A closed polygon: the vertices in order, the last joined back to the first.
// The point tests work on the vertices rounded to whole pixels.
class TVekPolygon {
public:
    TVekPolygon() = default;

    void addPoint(int32_t x, int32_t y) { points.emplace_back(x, y); }
    size_t count() const { return points.size(); }
    // Vertex i; raises std::out_of_range for a missing vertex.
    const TVekPoint& getPoint(size_t i) const { return points.at(i); }
    int32_t getX(size_t i) const;
    int32_t getY(size_t i) const;

    // Bounds of the rounded vertices; (999999, 999999, -999999, -999999) when
    // the polygon has no vertex.
    TVekRect calculateRect() const;
    void calculateRect(TVekRect& rect) const { rect = calculateRect(); }

    bool containsPoint(int32_t x, int32_t y) const { return contains2(x, y); }
    // Even-odd ray cast towards +x: the left and top bounds count as inside,
    // the right and bottom ones as outside. Fewer than three vertices contain
    // nothing.
    bool contains2(int32_t x, int32_t y) const;
    // Even-odd test by the crossing formula; the library uses contains2.
    bool contains1(int32_t x, int32_t y) const;

    std::vector<TVekPoint> points;
};

}  // namespace orvel
