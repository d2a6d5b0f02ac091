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
// Vertices are whole pixels.
class TVekPolygon {
public:
    TVekPolygon() = default;

    void addPoint(int32_t x, int32_t y) { vertices.push_back(TVertex{x, y}); }
    size_t count() const { return vertices.size(); }
    // Vertex i; raises std::out_of_range for a missing vertex.
    TVekPoint getPoint(size_t i) const { return TVekPoint(vertices.at(i).x, vertices.at(i).y); }
    int32_t getX(size_t i) const { return vertices.at(i).x; }
    int32_t getY(size_t i) const { return vertices.at(i).y; }

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

private:
    // Vertices are added as whole pixels, so they are kept as integers: the
    // point tests, called once per pixel by the space measurement, then need
    // no rounding.
    struct TVertex {
        int32_t x;
        int32_t y;
    };
    std::vector<TVertex> vertices;
};

}  // namespace orvel
