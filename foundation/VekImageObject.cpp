#include "foundation/VekImageObject.h"

#include <algorithm>
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

namespace {

// Whole pixels compared with a bound that may be fractional (the seed's
// coordinate): x < bound exactly when x < Ceil(bound), and x > bound exactly
// when x > Floor(bound), so the walk compares integers only. Bounds far
// outside any picture are clamped; no pixel comes near them. No pixel
// passes a bound that is not a number, so that one lies beyond every pixel.
constexpr double beyondEveryPixel = 1e15;
int64_t lowerPixelBound(double bound) {
    if (std::isnan(bound)) return static_cast<int64_t>(-beyondEveryPixel);
    return static_cast<int64_t>(std::ceil(std::clamp(bound, -beyondEveryPixel, beyondEveryPixel)));
}
int64_t upperPixelBound(double bound) {
    if (std::isnan(bound)) return static_cast<int64_t>(beyondEveryPixel);
    return static_cast<int64_t>(std::floor(std::clamp(bound, -beyondEveryPixel, beyondEveryPixel)));
}

// The target as a whole pixel, when it is one: no other position can equal
// a pixel of the walk.
std::optional<TVekPixel> targetPixel(const std::optional<TVekPoint>& target) {
    if (!target) return std::nullopt;
    const double x = target->x, y = target->y;
    if (!(std::fabs(x) < 2e9 && std::fabs(y) < 2e9)) return std::nullopt;
    if (x != std::trunc(x) || y != std::trunc(y)) return std::nullopt;
    return TVekPixel{static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

}  // namespace

void TVekImageObject::walk(TVekImage& image, const std::optional<TVekPoint>& target) {
    // The extremes start at the seed. An extreme changes only to a strictly
    // smaller or larger pixel, so it is a whole pixel once changed; the
    // bounds below stand for the (perhaps fractional) seed until then.
    const int64_t initialMinX = lowerPixelBound(seed.x), initialMinY = lowerPixelBound(seed.y);
    const int64_t initialMaxX = upperPixelBound(seed.x), initialMaxY = upperPixelBound(seed.y);
    int64_t lowX = initialMinX, lowY = initialMinY, highX = initialMaxX, highY = initialMaxY;
    // The other coordinate of each extreme pixel.
    int32_t leftmostY = 0, rightmostY = 0, topmostX = 0, bottommostX = 0;

    // Distances are compared as exact squared sums of whole coordinates, which
    // orders pixels exactly as comparing their square roots would.
    const int64_t initialNearest = static_cast<int64_t>(nearestDistance) * static_cast<int64_t>(nearestDistance);
    int64_t nearestSquared = initialNearest;
    int64_t farthestSquared = 0;
    int32_t nearestX = 0, nearestY = 0, farthestX = 0, farthestY = 0;
    int64_t sumX = 0;
    int64_t sumY = 0;
    int32_t count = 0;
    const std::optional<TVekPixel> targetAt = targetPixel(target);

    TVekAreaWalker walker(image, false, seed);
    TVekPixel pixel;
    while (walker.nextPixel(pixel)) {
        const int32_t x = pixel.x;
        const int32_t y = pixel.y;
        if (targetAt && targetAt->x == x && targetAt->y == y) targetFound = true;

        if (x < lowX) { lowX = x; leftmostY = y; }
        if (x > highX) { highX = x; rightmostY = y; }
        if (y < lowY) { lowY = y; topmostX = x; }
        if (y > highY) { highY = y; bottommostX = x; }

        const int64_t squared = static_cast<int64_t>(x) * x + static_cast<int64_t>(y) * y;
        if (squared < nearestSquared) { nearestSquared = squared; nearestX = x; nearestY = y; }
        if (squared > farthestSquared) { farthestSquared = squared; farthestX = x; farthestY = y; }

        ++count;
        if (isOutlinePixel(image, x, y)) edgePoints.push_back(wholePixel(x, y));
        sumX += x;
        sumY += y;
    }
    pixelCount = count;

    // Every coordinate here is the seed's (already on the 0.001 grid) or a
    // whole pixel.
    minX = lowX != initialMinX ? static_cast<double>(lowX) : seed.x;
    maxX = highX != initialMaxX ? static_cast<double>(highX) : seed.x;
    minY = lowY != initialMinY ? static_cast<double>(lowY) : seed.y;
    maxY = highY != initialMaxY ? static_cast<double>(highY) : seed.y;
    leftmost = wholePixel(minX, lowX != initialMinX ? leftmostY : seed.y);
    rightmost = wholePixel(maxX, highX != initialMaxX ? rightmostY : seed.y);
    topmost = wholePixel(lowY != initialMinY ? topmostX : seed.x, minY);
    bottommost = wholePixel(highY != initialMaxY ? bottommostX : seed.x, maxY);
    if (nearestSquared < initialNearest) {
        nearestDistance = std::sqrt(static_cast<double>(nearestSquared));
        nearestToOrigin = wholePixel(nearestX, nearestY);
    }
    if (farthestSquared > 0) {
        farthestDistance = std::sqrt(static_cast<double>(farthestSquared));
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
