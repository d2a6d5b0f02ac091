#pragma once

#include <string>

namespace orvel {

// A position in image coordinates (x to the right, y downwards). Coordinates are
// kept on a 0.001 grid so that positions compare reproducibly.
class TVekPoint {
public:
    double x = 0;
    double y = 0;

    TVekPoint() = default;
    TVekPoint(double x, double y);

    TVekPoint getCopy() const { return *this; }
    double distanceTo(const TVekPoint& point) const;

    // The point at `distance` from (x, y) in direction `angle` (degrees),
    // both coordinates rounded to integers.
    static TVekPoint pointAt(double x, double y, double angle, double distance);

    bool operator==(const TVekPoint& other) const = default;
};

// Degrees to radians, as every angle of the library is kept in degrees.
inline double degToRad(double degrees) { return degrees * (3.14159265358979323846 / 180.0); }

}  // namespace orvel
