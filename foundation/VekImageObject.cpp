#include "foundation/VekImageObject.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "foundation/VekAreaWalker.h"
#include "foundation/VekOutlineMoments.h"

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

// Vector code for the block tally: on x86-64 Linux the loader picks an AVX2
// build of it where the processor has AVX2, and the plain one elsewhere.
// ThreadSanitizer instruments the loader's resolver, which runs before the
// sanitizer is set up, so its builds keep the plain one.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__) && !defined(__clang__) && \
    !defined(__SANITIZE_THREAD__)
#define ORVEL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ORVEL_VECTOR_CLONES
#endif

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

    // Adds a block of the walk. Within a block the pixel that would have
    // replaced an extreme last, had the pixels come one by one, is the first
    // one at the block's own extreme; so each extreme is found with a plain
    // minimum or maximum and, only when it moves, a search for its first pixel.
    // Each loop does one thing so that the compiler turns it into vector code.
    ORVEL_VECTOR_CLONES
    void add(const TVekWalkedBlock& block) {
        const size_t n = block.count;
        if (n < 32) {
            // Too few for vector code to pay: one pixel at a time.
            for (size_t k = 0; k < n; ++k) addPixel(block.x[k], block.y[k]);
            return;
        }
        const int32_t* xs = block.x;
        const int32_t* ys = block.y;
        int32_t blockLowX = xs[0], blockHighX = xs[0], blockLowY = ys[0], blockHighY = ys[0];
        for (size_t k = 0; k < n; ++k) {
            blockLowX = xs[k] < blockLowX ? xs[k] : blockLowX;
            blockHighX = xs[k] > blockHighX ? xs[k] : blockHighX;
        }
        for (size_t k = 0; k < n; ++k) {
            blockLowY = ys[k] < blockLowY ? ys[k] : blockLowY;
            blockHighY = ys[k] > blockHighY ? ys[k] : blockHighY;
        }
        int64_t blockSumX = 0, blockSumY = 0;
        for (size_t k = 0; k < n; ++k) {
            blockSumX += xs[k];
            blockSumY += ys[k];
        }
        // Exact squared sums of whole coordinates order pixels exactly as
        // their distances would.
        int64_t blockNearest = INT64_MAX, blockFarthest = -1;
        for (size_t k = 0; k < n; ++k) {
            const int64_t squared = squaredDistance(xs[k], ys[k]);
            blockNearest = squared < blockNearest ? squared : blockNearest;
            blockFarthest = squared > blockFarthest ? squared : blockFarthest;
        }

        sumX += blockSumX;
        sumY += blockSumY;
        count += static_cast<int32_t>(n);
        if (blockLowX < lowX) { lowX = blockLowX; leftmostY = ys[firstAt(xs, n, blockLowX)]; }
        if (blockHighX > highX) { highX = blockHighX; rightmostY = ys[firstAt(xs, n, blockHighX)]; }
        if (blockLowY < lowY) { lowY = blockLowY; topmostX = xs[firstAt(ys, n, blockLowY)]; }
        if (blockHighY > highY) { highY = blockHighY; bottommostX = xs[firstAt(ys, n, blockHighY)]; }
        if (blockNearest < nearestSquared) {
            const size_t k = firstAtDistance(xs, ys, n, blockNearest);
            nearestSquared = blockNearest;
            nearestX = xs[k];
            nearestY = ys[k];
        }
        if (blockFarthest > farthestSquared) {
            const size_t k = firstAtDistance(xs, ys, n, blockFarthest);
            farthestSquared = blockFarthest;
            farthestX = xs[k];
            farthestY = ys[k];
        }
    }

    // Adds a run whole. Along a row the coordinates are known in closed form
    // and every value is met by one pixel only: the smallest and largest
    // column at the run's two ends, its row by all (first wins: the first
    // pixel), and, columns being positive, the nearest and farthest pixel at
    // the left and right end.
    void add(const TVekWalkedRun& run) {
        const int64_t n = static_cast<int64_t>(run.count);
        const int32_t y = run.y;
        const int32_t last = run.x(run.count - 1);
        const int32_t left = std::min(run.first, last), right = std::max(run.first, last);
        sumX += n * run.first + run.direction * (n * (n - 1) / 2);
        sumY += n * y;
        count += static_cast<int32_t>(n);
        if (left < lowX) { lowX = left; leftmostY = y; }
        if (right > highX) { highX = right; rightmostY = y; }
        if (y < lowY) { lowY = y; topmostX = run.first; }
        if (y > highY) { highY = y; bottommostX = run.first; }
        const int64_t nearest = squaredDistance(left, y), farthest = squaredDistance(right, y);
        if (nearest < nearestSquared) { nearestSquared = nearest; nearestX = left; nearestY = y; }
        if (farthest > farthestSquared) { farthestSquared = farthest; farthestX = right; farthestY = y; }
    }

    void addPixel(int32_t x, int32_t y) {
        if (x < lowX) { lowX = x; leftmostY = y; }
        if (x > highX) { highX = x; rightmostY = y; }
        if (y < lowY) { lowY = y; topmostX = x; }
        if (y > highY) { highY = y; bottommostX = x; }
        const int64_t squared = squaredDistance(x, y);
        if (squared < nearestSquared) { nearestSquared = squared; nearestX = x; nearestY = y; }
        if (squared > farthestSquared) { farthestSquared = squared; farthestX = x; farthestY = y; }
        ++count;
        sumX += x;
        sumY += y;
    }

    static int64_t squaredDistance(int32_t x, int32_t y) { return int64_t{x} * x + int64_t{y} * y; }
    // The first of n indices that `matches`, one being known to. Eight are
    // tested at a time, without an early exit, so that the test runs as
    // vector code; only the eight holding the match are stepped.
    template <class Matches>
    static size_t firstWhere(size_t n, Matches matches) {
        size_t k = 0;
        for (; k + 8 <= n; k += 8) {
            bool any = false;
            for (size_t j = 0; j < 8; ++j) any |= matches(k + j);
            if (any) break;
        }
        while (k + 1 < n && !matches(k)) ++k;
        return k;
    }
    static size_t firstAt(const int32_t* values, size_t n, int32_t value) {
        return firstWhere(n, [values, value](size_t k) { return values[k] == value; });
    }
    static size_t firstAtDistance(const int32_t* xs, const int32_t* ys, size_t n, int64_t squared) {
        return firstWhere(n, [xs, ys, squared](size_t k) { return squaredDistance(xs[k], ys[k]) == squared; });
    }

    // An extreme moves only strictly beyond its start, so one that moved
    // differs from the bound it started at.
    bool movedLeft(const TVekPoint& seed) const { return lowX != lowBound(seed.x); }
    bool movedRight(const TVekPoint& seed) const { return highX != highBound(seed.x); }
    bool movedUp(const TVekPoint& seed) const { return lowY != lowBound(seed.y); }
    bool movedDown(const TVekPoint& seed) const { return highY != highBound(seed.y); }

    int64_t lowX, highX, lowY, highY;
    int32_t leftmostY = 0, rightmostY = 0, topmostX = 0, bottommostX = 0;
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

// Appends the outline pixels among `count` in walk order; point(k) gives
// pixel k. Inside a large region most stretches of eight hold none, and one
// test passes them.
template <class PointAt>
void addOutline(const bool* onOutline, size_t count, std::vector<TVekPoint>& outline, PointAt point) {
    static_assert(sizeof(bool) == 1);
    for (size_t k = 0; k < count; k += 8) {
        const size_t end = std::min(count, k + 8);
        uint64_t flags = 0;
        std::memcpy(&flags, onOutline + k, end - k);
        if (flags == 0) continue;
        for (size_t j = k; j < end; ++j)
            if (onOutline[j]) outline.push_back(point(j));
    }
}

}  // namespace

void TVekImageObject::walk(TVekImage& image, const std::optional<TVekPoint>& target) {
    TWalkTally tally(seed);
    const std::optional<TVekPixel> wanted = targetPixel(target);
    const int32_t wantedX = wanted ? wanted->x : 0, wantedY = wanted ? wanted->y : 0;
    bool found = false;
    // The outline goes straight into edgePoints. The first block tells how
    // much room to take: a small region ends within it, so it costs one
    // allocation; a large one grows as a vector does.
    std::vector<TVekPoint> outline;

    TVekAreaWalker walker(image, false, seed);
    walker.forEachBlockAndRun(
        [&](const TVekWalkedBlock& block) {
            tally.add(block);
            if (wanted) {
                bool foundInBlock = false;
                for (size_t k = 0; k < block.count; ++k) foundInBlock |= (block.x[k] == wantedX) & (block.y[k] == wantedY);
                found |= foundInBlock;
            }
            if (outline.capacity() == 0) outline.reserve(block.count);
            addOutline(block.onOutline, block.count, outline, [&](size_t k) { return wholePixel(block.x[k], block.y[k]); });
        },
        [&](const TVekWalkedRun& run) {
            tally.add(run);
            if (wanted && wantedY == run.y) {
                const int32_t last = run.x(run.count - 1);
                found |= std::min(run.first, last) <= wantedX && wantedX <= std::max(run.first, last);
            }
            if (outline.capacity() == 0) outline.reserve(run.count);
            addOutline(run.onOutline, run.count, outline, [&](size_t k) { return wholePixel(run.x(k), run.y); });
        });

    pixelCount = tally.count;
    targetFound = wanted.has_value() && found;
    edgePoints = std::move(outline);
    // An extreme no pixel passed stays at the seed's own coordinate, which is
    // already on the 0.001 grid; pixels are whole.
    const bool left = tally.movedLeft(seed), right = tally.movedRight(seed);
    const bool up = tally.movedUp(seed), down = tally.movedDown(seed);
    minX = left ? static_cast<double>(tally.lowX) : seed.x;
    maxX = right ? static_cast<double>(tally.highX) : seed.x;
    minY = up ? static_cast<double>(tally.lowY) : seed.y;
    maxY = down ? static_cast<double>(tally.highY) : seed.y;
    leftmost = wholePixel(minX, left ? tally.leftmostY : seed.y);
    rightmost = wholePixel(maxX, right ? tally.rightmostY : seed.y);
    topmost = wholePixel(up ? tally.topmostX : seed.x, minY);
    bottommost = wholePixel(down ? tally.bottommostX : seed.x, maxY);
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

namespace {

// How many outline points, whose fits cannot be told apart by rounding, are
// summed point by point: all of them on a small outline (a square's every
// line through its centre fits equally well), some dozens on a large one.
// More than that means a long straight run of pixels or a large round shape,
// whose lines fit equally well: the first of them is taken instead, which
// keeps the fit's cost linear in the outline.
size_t maxIndistinctFits(size_t outline) { return 32 + 16384 / std::max<size_t>(outline, 1); }

template <class Eligible>
const TVekPoint* bestFittingPoint(const TVekImageObject& region, const TVekOutlineMoments& moments,
                                  const TVekPoint& origin, Eligible eligible) {
    const auto momentSum = [&](const TVekPoint& point) {
        return moments.sumSquaredDistances(origin, point.x - origin.x, point.y - origin.y);
    };
    bool any = false;
    long double smallest = 0;
    for (const TVekPoint& point : region.edgePoints) {
        if (!eligible(point)) continue;
        const long double sum = momentSum(point);
        if (!any || sum < smallest) smallest = sum;
        any = true;
    }
    if (!any) return nullptr;

    const long double limit = moments.ambiguityLimit(origin, smallest);
    const size_t most = maxIndistinctFits(region.edgePoints.size());
    std::vector<const TVekPoint*> close;
    const TVekPoint* firstSmallest = nullptr;
    for (const TVekPoint& point : region.edgePoints) {
        if (!eligible(point)) continue;
        const long double sum = momentSum(point);
        if (sum == smallest && firstSmallest == nullptr) firstSmallest = &point;
        if (sum > limit || close.size() > most) continue;
        close.push_back(&point);
    }
    if (close.size() > most) return firstSmallest;

    const TVekPoint* best = nullptr;
    double bestSum = -1;
    for (const TVekPoint* point : close) {
        const double sum = region.sumSquaredDistances(TVekLine(origin, *point), bestSum);
        if (best == nullptr || sum < bestSum) {
            best = point;
            bestSum = sum;
        }
    }
    return best;
}

}  // namespace

void TVekImageObject::fitAxes() {
    if (mainAxis) return;
    const double cy = center.y;
    auto inUpperHalf = [cy](const TVekPoint& p) { return p.y <= cy + 0.5; };
    auto inLowerHalf = [cy](const TVekPoint& p) { return p.y >= cy - 0.5; };
    const TVekOutlineMoments moments(edgePoints);

    // First direction: the upper edge point whose ray from the centre fits the
    // outline best.
    const TVekPoint* upper = bestFittingPoint(*this, moments, center, [&](const TVekPoint& point) {
        return point != center && inUpperHalf(point);
    });
    if (upper == nullptr) return;  // a single pixel has no direction
    TVekPoint q = *upper;
    const double r0 = q.distanceTo(center);

    // Second direction: a lower edge point beyond r0 from Q that fits best.
    const TVekPoint* lower = bestFittingPoint(*this, moments, q, [&](const TVekPoint& point) {
        return inLowerHalf(point) && point.distanceTo(q) > r0;
    });
    TVekPoint p = lower != nullptr ? *lower : center;
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
