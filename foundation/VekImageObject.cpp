#include "foundation/VekImageObject.h"

#include <cmath>

#include "foundation/VekAreaWalker.h"

namespace orvel {

namespace {

// A direct neighbour that is missing or not dark makes a pixel part of the
// region's outline.
bool isOutlinePixel(const TVekImage& image, int32_t x, int32_t y) {
    const uint32_t* pixels = image.pixelData().data();
    const size_t width = static_cast<size_t>(image.width);
    if (x > 0 && y > 0 && x < image.width - 1 && y < image.height - 1) {
        const size_t index = static_cast<size_t>(y) * width + static_cast<size_t>(x);
        return (pixels[index + 1] | pixels[index + width] | pixels[index - 1] | pixels[index - width]) != BLACK;
    }
    const int64_t px = x, py = y;
    auto darkAt = [&](int64_t nx, int64_t ny) {
        if (nx < 0 || ny < 0 || nx >= image.width || ny >= image.height) return false;
        return pixels[static_cast<size_t>(ny) * width + static_cast<size_t>(nx)] == BLACK;
    };
    return !darkAt(px + 1, py) || !darkAt(px, py + 1) || !darkAt(px - 1, py) || !darkAt(px, py - 1);
}

// A position already on the 0.001 grid (a whole pixel or a coordinate of a
// point): no rounding needed.
TVekPoint wholePixel(double x, double y) {
    TVekPoint point;
    point.x = x;
    point.y = y;
    return point;
}

}  // namespace

TVekImageObject::TVekImageObject(TVekImage& image, const TVekPoint& seed) : seed(seed) {
    walk(image, std::nullopt);
}

TVekImageObject::TVekImageObject(TVekImage& image, const TVekPoint& target, const TVekPoint& seed) : seed(seed) {
    walk(image, target);
}

void TVekImageObject::walk(TVekImage& image, const std::optional<TVekPoint>& target) {
    minX = maxX = seed.x;
    minY = maxY = seed.y;
    // The other coordinate of each extreme pixel; the points are built once,
    // after the walk.
    double leftmostY = seed.y, rightmostY = seed.y, topmostX = seed.x, bottommostX = seed.x;

    // Distances are compared as exact squared sums of whole coordinates, which
    // orders pixels exactly as comparing their square roots would.
    const double initialNearest = nearestDistance * nearestDistance;
    double nearestSquared = initialNearest;
    double farthestSquared = 0;
    double nearestX = 0, nearestY = 0, farthestX = 0, farthestY = 0;
    int64_t sumX = 0;
    int64_t sumY = 0;

    TVekAreaWalker walker(image, false, seed);
    TVekPixel pixel;
    while (walker.nextPixel(pixel)) {
        const double x = pixel.x;
        const double y = pixel.y;
        if (target && target->x == x && target->y == y) targetFound = true;

        if (x < minX) { minX = x; leftmostY = y; }
        if (x > maxX) { maxX = x; rightmostY = y; }
        if (y < minY) { minY = y; topmostX = x; }
        if (y > maxY) { maxY = y; bottommostX = x; }

        const double squared = x * x + y * y;
        if (squared < nearestSquared) { nearestSquared = squared; nearestX = x; nearestY = y; }
        if (squared > farthestSquared) { farthestSquared = squared; farthestX = x; farthestY = y; }

        ++pixelCount;
        if (isOutlinePixel(image, pixel.x, pixel.y)) edgePoints.push_back(wholePixel(x, y));
        sumX += pixel.x;
        sumY += pixel.y;
    }

    // Every coordinate here is the seed's (already on the 0.001 grid) or a
    // whole pixel.
    leftmost = wholePixel(minX, leftmostY);
    rightmost = wholePixel(maxX, rightmostY);
    topmost = wholePixel(topmostX, minY);
    bottommost = wholePixel(bottommostX, maxY);
    if (nearestSquared < initialNearest) {
        nearestDistance = std::sqrt(nearestSquared);
        nearestToOrigin = wholePixel(nearestX, nearestY);
    }
    if (farthestSquared > 0) {
        farthestDistance = std::sqrt(farthestSquared);
        farthestFromOrigin = wholePixel(farthestX, farthestY);
    }
    center = TVekPoint(static_cast<double>(sumX) / pixelCount, static_cast<double>(sumY) / pixelCount);
}

TVekImageObject TVekImageObject::getCopy() const {
    TVekImageObject copy(*this);
    copy.edgePoints.clear();
    copy.edgePoints.shrink_to_fit();
    return copy;
}

double TVekImageObject::sumSquaredDistances(const TVekLine& line, double limit) const {
    // The same arithmetic as TVekLine::distanceTo, with the norm taken once.
    const double norm = std::sqrt(line.a * line.a + line.b * line.b);
    double sum = 0;
    for (const TVekPoint& point : edgePoints) {
        const double distance = std::fabs(line.a * point.x + line.b * point.y + line.c) / norm;
        sum += distance * distance;
        if (limit != -1 && sum > limit) return limit + 1;
    }
    return sum;
}

void TVekImageObject::fitAxes() {
    if (mainAxis) return;
    const double cy = center.y;
    auto inUpperHalf = [cy](const TVekPoint& p) { return p.y <= cy + 0.5; };
    auto inLowerHalf = [cy](const TVekPoint& p) { return p.y >= cy - 0.5; };

    // First direction: the upper edge point whose ray from the centre fits the
    // outline best.
    const TVekPoint* upper = nullptr;
    double best = -1;
    for (const TVekPoint& point : edgePoints) {
        if (point == center || !inUpperHalf(point)) continue;
        const double sum = sumSquaredDistances(TVekLine(center, point), best);
        if (upper == nullptr || sum < best) {
            upper = &point;
            best = sum;
        }
    }
    if (upper == nullptr) return;  // a single pixel has no direction
    TVekPoint q = *upper;
    const double r0 = q.distanceTo(center);

    // Second direction: a lower edge point beyond r0 from Q that fits best.
    TVekPoint p = center;
    bool found = false;
    best = -1;
    for (const TVekPoint& point : edgePoints) {
        if (!inLowerHalf(point) || point.distanceTo(q) <= r0) continue;
        const double sum = sumSquaredDistances(TVekLine(q, point), best);
        if (!found || sum < best) {
            p = point;
            best = sum;
            found = true;
        }
    }
    axisLine = TVekLine(q, p);

    // Stretch the axis to the farthest outline pixels lying on it.
    double farthest = -1;
    TVekPoint lowerEnd = p;
    for (const TVekPoint& point : edgePoints) {
        if (!inLowerHalf(point) || axisLine->distanceToPoint(point) > 1) continue;
        const double distance = point.distanceTo(q);
        if (distance > r0 && distance > farthest) {
            farthest = distance;
            lowerEnd = point;
        }
    }
    p = lowerEnd;
    farthest = -1;
    TVekPoint upperEnd = q;
    for (const TVekPoint& point : edgePoints) {
        if (!inUpperHalf(point) || axisLine->distanceToPoint(point) > 1) continue;
        const double distance = point.distanceTo(p);
        if (distance > r0 && distance > farthest) {
            farthest = distance;
            upperEnd = point;
        }
    }
    q = upperEnd;

    mainAxis = TVekLine(q, p);
    axisLength = mainAxis->length;
}

bool TVekImageObject::isAlignedWith(const TVekImageObject& other) const {
    if (!axisLine) return false;
    return axisLine->getBisector().distanceToPoint(other.center) < 0.4 * std::fabs(axisLength);
}

}  // namespace orvel
