#pragma once

#include <string>

#include "foundation/VekPoint.h"

namespace orvel {

// A segment from (x1, y1) to (x2, y2) that also carries its direction, length
// and line equation a·x + b·y + c = 0. Angles are degrees in (-90, 270):
// segments pointing right lie in (-90, 90), those pointing left in (90, 270).
// Everything but the two working fields of the 1D finder is fixed at
// construction.
class TVekLine {
public:
    double angle = 90;
    double slope = 0;
    double length = 0;
    double a = 0;
    double b = 0;
    double c = 0;
    bool used = false;          // 1D finder: the bar is already in a candidate
    double distanceToNext = 0;  // 1D finder: distance to the next bar
    double x1 = 0, y1 = 0;
    double x2 = 0, y2 = 0;

    TVekLine() : TVekLine(0, 0, 0, 0) {}
    TVekLine(double x1, double y1, double x2, double y2);
    TVekLine(const TVekPoint& start, const TVekPoint& end);

    TVekLine getCopy() const { return TVekLine(x1, y1, x2, y2); }
    double getLength() const { return length; }
    double getAngle() const { return angle; }
    TVekPoint getCenter() const;
    TVekPoint getStart() const { return TVekPoint(x1, y1); }
    TVekPoint getEnd() const { return TVekPoint(x2, y2); }
    // The point at `distance` from the start towards the end (extrapolates).
    TVekPoint getPointAt(double distance) const;

    // Distance from a point to the infinite line through the segment.
    double distanceToPoint(const TVekPoint& point) const { return distanceTo(point.x, point.y); }
    double distanceTo(double x, double y) const;

    // Intersection of the two infinite lines; (0, 0) for parallel lines.
    TVekPoint intersect(const TVekLine& line) const;

    TVekLine getPerpendicular(double length) const;
    TVekLine getBisector() const { return getPerpendicular(500); }
    TVekLine getPerpendicularAt(const TVekPoint& point, double length) const;
    TVekLine getOppositePerpendicularAt(const TVekPoint& point, double length) const;
    TVekPoint getSidePoint(bool plus90, double x, double y, double distance) const;

    // True when the centre of `line` is nearer to this line's bisector than
    // |line length| × factor.
    bool isBeside(const TVekLine& line, double factor) const;

    std::string toString() const;
};

}  // namespace orvel
