#include "foundation/VekLine.h"

#include <cmath>

#include "foundation/VekUtil.h"

namespace orvel {

namespace {

double plus90(double angle) {
    double d = angle + 90;
    if (d >= 360) d -= 360;
    return d;
}

double minus90(double angle) {
    double d = angle - 90;
    if (d < 0) d += 360;
    return d;
}

TVekLine truncatedRay(double px, double py, double direction, double length) {
    const double r = degToRad(direction);
    return TVekLine(px, py, vekTrunc(px + length * std::cos(r)), vekTrunc(py + length * std::sin(r)));
}

}  // namespace

TVekLine::TVekLine(double x1, double y1, double x2, double y2) : x1(x1), y1(y1), x2(x2), y2(y2) {
    a = y2 - y1;
    b = x1 - x2;
    c = (x2 - x1) * y1 + (y1 - y2) * x1;
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    if (dx == 0) {
        angle = y2 >= y1 ? 90 : 270;
        slope = 0;
        length = std::fabs(dy);
    } else if (dy == 0) {
        angle = x2 >= x1 ? 0 : 180;
        slope = 0;
        length = std::fabs(dx);
    } else {
        angle = std::atan(dy / dx) * (180.0 / 3.14159265358979323846);
        if (dx < 0) angle += 180;
        slope = dy / dx;
        length = std::sqrt(dx * dx + dy * dy);
    }
}

TVekLine::TVekLine(const TVekPoint& start, const TVekPoint& end) : TVekLine(start.x, start.y, end.x, end.y) {}

TVekPoint TVekLine::getCenter() const { return TVekPoint(x1 + (x2 - x1) * 0.5, y1 + (y2 - y1) * 0.5); }

TVekPoint TVekLine::getPointAt(double distance) const {
    const double t = distance / length;
    return TVekPoint(x1 + t * (x2 - x1), y1 + t * (y2 - y1));
}

double TVekLine::distanceTo(double x, double y) const {
    return std::fabs(a * x + b * y + c) / std::sqrt(a * a + b * b);
}

TVekPoint TVekLine::intersect(const TVekLine& line) const {
    const double a1 = a, b1 = b, c1 = x2 * y1 - x1 * y2;
    const double a2 = line.a, b2 = line.b, c2 = line.x2 * line.y1 - line.x1 * line.y2;
    const double det = a1 * b2 - a2 * b1;
    if (det == 0) return TVekPoint(0, 0);  // parallel or degenerate: "Cannot intersect lines"
    return TVekPoint((b1 * c2 - b2 * c1) / det, (a2 * c1 - a1 * c2) / det);
}

TVekLine TVekLine::getPerpendicular(double length) const {
    const TVekPoint center = getCenter();
    return truncatedRay(center.x, center.y, plus90(angle), length);
}

TVekLine TVekLine::getPerpendicularAt(const TVekPoint& point, double length) const {
    return truncatedRay(point.x, point.y, plus90(angle), length);
}

TVekLine TVekLine::getOppositePerpendicularAt(const TVekPoint& point, double length) const {
    return truncatedRay(point.x, point.y, minus90(angle), length);
}

TVekPoint TVekLine::getSidePoint(bool plus, double x, double y, double distance) const {
    const double r = degToRad(plus ? plus90(angle) : minus90(angle));
    return TVekPoint(vekRound(x + distance * std::cos(r)), vekRound(y + distance * std::sin(r)));
}

bool TVekLine::isBeside(const TVekLine& line, double factor) const {
    return getBisector().distanceToPoint(line.getCenter()) < std::fabs(line.length) * factor;
}

std::string TVekLine::toString() const {
    return floatToStr(x1) + " , " + floatToStr(y1) + " - " + floatToStr(x2) + " , " + floatToStr(y2);
}

}  // namespace orvel
