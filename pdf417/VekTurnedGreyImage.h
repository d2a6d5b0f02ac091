#pragma once

#include "foundation/VekGreyImage.h"
#include "foundation/VekPointF.h"

namespace orvel {

// A grey picture turned about its centre by an angle, on a canvas just
// large enough (light beyond the picture): rows and columns of the turned
// picture run across the original at that angle, so scanners that look
// along rows and columns meet symbols turned that far. Points found in it
// map back to the original.
class TVekTurnedGreyImage {
public:
    // Only rows firstRow, firstRow + rowStride, ... are drawn (the others
    // stay light): enough for a scan along those rows.
    TVekTurnedGreyImage(const TVekGreyImage& original, double degrees, int32_t firstRow = 0, int32_t rowStride = 1);

    // The height of the turned picture.
    static int32_t heightOf(const TVekGreyImage& original, double degrees);

    const TVekGreyImage& grey() const { return turned_; }
    TVekPointF toOriginal(TVekPointF p) const;
    // A direction (a difference of points) in the original.
    TVekPointF directionToOriginal(TVekPointF d) const { return {cos_ * d.x + sin_ * d.y, -sin_ * d.x + cos_ * d.y}; }

private:
    TVekGreyImage turned_;
    double cos_ = 1;
    double sin_ = 0;
    TVekPointF originalCentre_;
    TVekPointF turnedCentre_;
};

}  // namespace orvel
