#include "foundation/VekOutlineMoments.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace orvel {

TVekOutlineMoments::TVekOutlineMoments(const std::vector<TVekPoint>& points) : count_(points.size()) {
    if (points.empty()) return;
    // Sums about the first point keep the values small; for whole pixels
    // every product and sum below is exact in long double.
    const double referenceX = points.front().x, referenceY = points.front().y;
    long double sumX = 0, sumY = 0, sumXX = 0, sumXY = 0, sumYY = 0;
    minX_ = maxX_ = referenceX;
    minY_ = maxY_ = referenceY;
    for (const TVekPoint& point : points) {
        const long double x = point.x - referenceX, y = point.y - referenceY;
        sumX += x;
        sumY += y;
        sumXX += x * x;
        sumXY += x * y;
        sumYY += y * y;
        minX_ = std::min(minX_, point.x);
        maxX_ = std::max(maxX_, point.x);
        minY_ = std::min(minY_, point.y);
        maxY_ = std::max(maxY_, point.y);
        largestCoordinateSum_ = std::max(largestCoordinateSum_, std::fabs(point.x) + std::fabs(point.y));
    }
    const long double n = static_cast<long double>(count_);
    meanX_ = referenceX + sumX / n;
    meanY_ = referenceY + sumY / n;
    xx_ = sumXX - sumX * sumX / n;
    xy_ = sumXY - sumX * sumY / n;
    yy_ = sumYY - sumY * sumY / n;
    rawSecond_ = sumXX + sumYY;
}

long double TVekOutlineMoments::sumSquaredDistances(const TVekPoint& origin, double dx, double dy) const {
    // Σ ((p − o) × v)² / |v|², split at the mean m: the spread about m plus
    // n times the mean's own distance to the line.
    const long double vx = dx, vy = dy;
    const long double cross = (meanX_ - origin.x) * vy - (meanY_ - origin.y) * vx;
    const long double spread = vy * vy * xx_ - 2 * vx * vy * xy_ + vx * vx * yy_;
    return (spread + static_cast<long double>(count_) * cross * cross) / (vx * vx + vy * vy);
}

long double TVekOutlineMoments::roundingBound(const TVekPoint& origin) const {
    const long double n = static_cast<long double>(count_);
    const long double offsetX = meanX_ - origin.x, offsetY = meanY_ - origin.y;
    const long double offset = std::sqrt(offsetX * offsetX + offsetY * offsetY);
    const long double meanSize = std::fabs(meanX_) + std::fabs(meanY_) + 1;
    return 64 * LDBL_EPSILON * (rawSecond_ + xx_ + yy_ + n * (offset + meanSize) * (offset + meanSize)) + LDBL_MIN;
}

long double TVekOutlineMoments::ambiguityLimit(const TVekPoint& origin, long double smallest) const {
    const double n = static_cast<double>(count_);
    const double u = DBL_EPSILON;
    // Summed point by point, each term's distance carries an absolute error
    // of a few units of the coordinates' size (the line's coefficients and
    // the products are rounded), and each square and addition a relative one:
    // |F − S| ≤ absolute + relative × S for the exact sum S.
    const double size = std::max(largestCoordinateSum_, std::fabs(origin.x) + std::fabs(origin.y)) + 1;
    const double delta = 32 * u * size;
    const double reachX = std::max(std::fabs(minX_ - origin.x), std::fabs(maxX_ - origin.x));
    const double reachY = std::max(std::fabs(minY_ - origin.y), std::fabs(maxY_ - origin.y));
    const double reach = std::sqrt(reachX * reachX + reachY * reachY);
    const long double absolute = 4 * n * (2 * reach * delta + delta * delta);
    const long double relative = 8 * (n + 4) * u;
    if (!(relative < 0.5)) return HUGE_VALL;
    // A line with moment sum G has S ≥ G − e and F ≥ (G − e)(1 − relative) −
    // absolute; the best has F ≤ (smallest + e)(1 + relative) + absolute.
    const long double e = roundingBound(origin);
    return ((smallest + e) * (1 + relative) + 2 * absolute) / (1 - relative) + e;
}

}  // namespace orvel
