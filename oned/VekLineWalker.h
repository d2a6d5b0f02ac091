#pragma once

#include <cstdint>
#include <optional>

#include "foundation/VekLine.h"
#include "foundation/VekPoint.h"

namespace orvel {

// Steps along a straight segment one pixel at a time on its major axis and
// hands out the sample points. The start point itself is never returned, and
// the walk goes on while the offsets do not yet exceed the segment's extent
// times lengthFactor, so with factor 1.0 the last point lies one step beyond
// the end point. A zero-length segment yields the one point (x1 + 0.1, y1 + 0.1).
class TVekLineWalker {
public:
    // From the line's start to its end, coordinates rounded to whole pixels.
    explicit TVekLineWalker(const TVekLine& line, double lengthFactor = 1.0);
    TVekLineWalker(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double lengthFactor = 1.0);

    // The next sample, or none when the walk is over.
    std::optional<TVekPoint> nextPoint();

    int32_t x1 = 0, y1 = 0;
    int32_t x2 = 0, y2 = 0;
    double stepX = 0;
    double stepY = 0;
    double dx = 0;
    double dy = 0;
    double lengthFactor = 1.0;
    double offsetX = 0;
    double offsetY = 0;
};

}  // namespace orvel
