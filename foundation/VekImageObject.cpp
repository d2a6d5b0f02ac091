#include "foundation/VekImageObject.h"

#include <cmath>

#include "foundation/VekAreaWalker.h"

namespace orvel {

namespace {

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

// The extremes and sums of one walk, in integers. A coordinate compared with
// the seed's (which may be fractional) is compared with the nearest whole
// bound instead: for a whole x, x < s exactly when x < ceil(s), and x > s
// exactly when x > floor(s).
// A seed far outside the picture (or not a number, which no pixel passes)
// gets a bound no pixel can reach or one every pixel passes.
struct TWalkTally {
    explicit TWalkTally(const TVekPoint& seed)
        : lowX(lowBound(seed.x)), highX(highBound(seed.x)), lowY(lowBound(seed.y)), highY(highBound(seed.y)) {}

    static int64_t lowBound(double v) {
        if (!(v > -farAway)) return -farAway;  // also NaN: no x is below it
        return v < farAway ? static_cast<int64_t>(std::ceil(v)) : farAway;
    }
    static int64_t highBound(double v) {
        if (!(v < farAway)) return farAway;  // also NaN: no x is above it
        return v > -farAway ? static_cast<int64_t>(std::floor(v)) : -farAway;
    }
    static constexpr int64_t farAway = int64_t{1} << 40;

    void add(int32_t x, int32_t y) {
        // First wins: a later pixel replaces an extreme only when strictly beyond it.
        if (x < lowX) { lowX = x; leftmostY = y; hasLeftmost = true; }
        if (x > highX) { highX = x; rightmostY = y; hasRightmost = true; }
        if (y < lowY) { lowY = y; topmostX = x; hasTopmost = true; }
        if (y > highY) { highY = y; bottommostX = x; hasBottommost = true; }
        // Exact squared sums of whole coordinates order pixels exactly as
        // their distances would.
        const int64_t squared = int64_t{x} * x + int64_t{y} * y;
        if (squared < nearestSquared) { nearestSquared = squared; nearestX = x; nearestY = y; }
        if (squared > farthestSquared) { farthestSquared = squared; farthestX = x; farthestY = y; }
        ++count;
        sumX += x;
        sumY += y;
    }

    int64_t lowX, highX, lowY, highY;
    int32_t leftmostY = 0, rightmostY = 0, topmostX = 0, bottommostX = 0;
    bool hasLeftmost = false, hasRightmost = false, hasTopmost = false, hasBottommost = false;
    static constexpr int64_t initialNearest = 999999LL * 999999LL;  // the start distance, squared
    int64_t nearestSquared = initialNearest;
    int64_t farthestSquared = 0;
    int32_t nearestX = 0, nearestY = 0, farthestX = 0, farthestY = 0;
    int64_t sumX = 0, sumY = 0;
    int32_t count = 0;
};

// A target counts only when it is a whole pixel inside the int range;
// anything else can never equal a pixel of the walk.
std::optional<TVekPixel> targetPixel(const std::optional<TVekPoint>& target) {
    if (!target) return std::nullopt;
    const double x = target->x, y = target->y;
    if (!(x == std::floor(x) && y == std::floor(y) && std::fabs(x) < 2e9 && std::fabs(y) < 2e9)) return std::nullopt;
    return TVekPixel{static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

}  // namespace

void TVekImageObject::walk(TVekImage& image, const std::optional<TVekPoint>& target) {
    TWalkTally tally(seed);
    const std::optional<TVekPixel> wanted = targetPixel(target);
    const int32_t wantedX = wanted ? wanted->x : 0, wantedY = wanted ? wanted->y : 0;
    bool found = false;
    std::vector<TVekPoint> outline;

    TVekAreaWalker walker(image, false, seed);
    walker.forEachPixel([&](int32_t x, int32_t y, bool onOutline) {
        tally.add(x, y);
        found |= x == wantedX && y == wantedY;
        if (onOutline) outline.push_back(wholePixel(x, y));
    });

    pixelCount = tally.count;
    targetFound = wanted.has_value() && found;
    edgePoints = std::move(outline);
    // An extreme no pixel passed stays at the seed's own coordinate, which is
    // already on the 0.001 grid; pixels are whole.
    minX = tally.hasLeftmost ? tally.lowX : seed.x;
    maxX = tally.hasRightmost ? tally.highX : seed.x;
    minY = tally.hasTopmost ? tally.lowY : seed.y;
    maxY = tally.hasBottommost ? tally.highY : seed.y;
    leftmost = wholePixel(minX, tally.hasLeftmost ? tally.leftmostY : seed.y);
    rightmost = wholePixel(maxX, tally.hasRightmost ? tally.rightmostY : seed.y);
    topmost = wholePixel(tally.hasTopmost ? tally.topmostX : seed.x, minY);
    bottommost = wholePixel(tally.hasBottommost ? tally.bottommostX : seed.x, maxY);
    if (tally.nearestSquared < TWalkTally::initialNearest) {
        nearestDistance = std::sqrt(static_cast<double>(tally.nearestSquared));
        nearestToOrigin = wholePixel(tally.nearestX, tally.nearestY);
    }
    if (tally.farthestSquared > 0) {
        farthestDistance = std::sqrt(static_cast<double>(tally.farthestSquared));
        farthestFromOrigin = wholePixel(tally.farthestX, tally.farthestY);
    }
    center = TVekPoint(static_cast<double>(tally.sumX) / pixelCount, static_cast<double>(tally.sumY) / pixelCount);
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
