#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/VekImage.h"
#include "foundation/VekLine.h"
#include "foundation/VekPoint.h"

namespace orvel {

// One connected dark region of a black-and-white picture, measured by a single
// walk from a seed pixel. The walk leaves the region's pixels (and the light
// pixels around it) marked visited, so consecutive regions on one picture never
// share a pixel.
//
// "First" below means the pixel met earliest in walk order: a later pixel
// replaces a recorded extreme only when it is strictly smaller or larger.
class TVekImageObject {
public:
    TVekImageObject(TVekImage& image, const TVekPoint& seed);
    // Also records whether `target` is one of the region's pixels.
    TVekImageObject(TVekImage& image, const TVekPoint& target, const TVekPoint& seed);

    TVekImageObject(TVekImageObject&&) noexcept = default;
    TVekImageObject& operator=(TVekImageObject&&) noexcept = default;
    TVekImageObject& operator=(const TVekImageObject&) = delete;

    // The same region without its edge points.
    TVekImageObject getCopy() const;

    const TVekPoint& getSeed() const { return seed; }
    const TVekPoint& getCenter() const { return center; }
    int32_t getPixelCount() const { return pixelCount; }
    const std::optional<TVekLine>& getAxis() const { return axisLine; }
    double getLength() const { return axisLength; }
    bool containsTarget() const { return targetFound; }

    // Fits the direction line and the end-to-end axis. Does nothing when the
    // axis is already set, and leaves both unset for a region that offers no
    // direction (a single pixel).
    void fitAxes();
    void fitAxes(const TVekImage& /*image*/) { fitAxes(); }

    // Sum over the edge points of their squared distance to the infinite line.
    // With limit ≠ -1 it returns limit + 1 as soon as the sum passes limit.
    double sumSquaredDistances(const TVekLine& line, double limit) const;
    double sumSquaredDistances(const TVekImage& /*image*/, const TVekLine& line, double limit) const {
        return sumSquaredDistances(line, limit);
    }

    // True when the other region's centre lies nearer to the bisector of this
    // region's axis line than 0.4 × its axis length. False without an axis line.
    bool isAlignedWith(const TVekImageObject& other) const;

    TVekPoint seed;
    TVekPoint center;
    int32_t pixelCount = 0;
    std::optional<TVekLine> mainAxis;  // upper end to lower end, set by fitAxes
    bool targetFound = false;
    std::vector<TVekPoint> edgePoints;  // in walk order
    double axisLength = 0;
    TVekPoint leftmost;
    TVekPoint rightmost;
    TVekPoint topmost;
    TVekPoint bottommost;
    std::optional<TVekLine> axisLine;  // least-squares direction (or a caller's placeholder)
    TVekPoint nearestToOrigin{999999, 999999};
    double nearestDistance = 999999;
    TVekPoint farthestFromOrigin{0, 0};
    double farthestDistance = 0;
    double minX = 0;
    double minY = 0;
    double maxY = 0;
    double maxX = 0;

private:
    TVekImageObject(const TVekImageObject&) = default;
    void walk(TVekImage& image, const std::optional<TVekPoint>& target);
};

}  // namespace orvel
