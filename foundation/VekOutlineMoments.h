#pragma once

#include <vector>

#include "foundation/VekPoint.h"

namespace orvel {

// The first and second moments of a list of points, which give the sum of
// their squared distances to any line in constant time instead of a pass
// over the points. Sums are kept in long double: for whole-pixel points they
// are exact, so the only rounding is that of the final formula.
class TVekOutlineMoments {
public:
    explicit TVekOutlineMoments(const std::vector<TVekPoint>& points);

    // Sum over the points of their squared distance to the infinite line
    // through `origin` in direction (dx, dy), which must not be (0, 0).
    long double sumSquaredDistances(const TVekPoint& origin, double dx, double dy) const;

    // How far sumSquaredDistances for lines through `origin` may lie from the
    // exact sum (a generous bound of its own rounding).
    long double roundingBound(const TVekPoint& origin) const;

    // A limit on sumSquaredDistances above which a line through `origin`
    // certainly fits worse, summed point by point in double as
    // TVekImageObject::sumSquaredDistances does, than the line whose
    // sumSquaredDistances is `smallest`: the rounding of both ways of summing
    // is bounded generously. Infinite when no useful bound exists.
    long double ambiguityLimit(const TVekPoint& origin, long double smallest) const;

    size_t count() const { return count_; }

private:
    size_t count_ = 0;
    long double meanX_ = 0, meanY_ = 0;
    long double xx_ = 0, xy_ = 0, yy_ = 0;  // central second moments (sums, not means)
    long double rawSecond_ = 0;             // the second moments about the first point, for the bound
    double minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
    double largestCoordinateSum_ = 0;       // max |x| + |y| over the points
};

}  // namespace orvel
