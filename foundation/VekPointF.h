#pragma once

#include <cmath>

namespace orvel {

// A picture position with full double precision, for the photo path (TVekPoint
// keeps the documented 0.001 grid). x to the right, y downwards.
struct TVekPointF {
    double x = 0;
    double y = 0;

    friend TVekPointF operator+(TVekPointF a, TVekPointF b) { return {a.x + b.x, a.y + b.y}; }
    friend TVekPointF operator-(TVekPointF a, TVekPointF b) { return {a.x - b.x, a.y - b.y}; }
    friend TVekPointF operator*(double s, TVekPointF a) { return {s * a.x, s * a.y}; }
    friend bool operator==(TVekPointF a, TVekPointF b) = default;
};

inline double dot(TVekPointF a, TVekPointF b) { return a.x * b.x + a.y * b.y; }
inline double cross(TVekPointF a, TVekPointF b) { return a.x * b.y - a.y * b.x; }
inline double length(TVekPointF a) { return std::hypot(a.x, a.y); }
inline double distance(TVekPointF a, TVekPointF b) { return length(a - b); }

}  // namespace orvel
