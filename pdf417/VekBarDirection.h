#pragma once

#include <optional>

#include "foundation/VekGreyImage.h"
#include "foundation/VekPointF.h"

namespace orvel {

// The direction across the bars around a point of a grey picture: the
// direction in which the levels change most, from the sums of the squared
// gradients at every other pixel of a square. Edges square to the bars (the borders of a stacked
// symbol's rows) add to the other direction only, so they weaken the
// reading but do not turn it.
class TVekBarDirection {
public:
    // In degrees from the picture's rows, 0 (inclusive) to 180, turning
    // towards its columns (downwards); none where the square (half side
    // `radius`, clipped to the picture) is flat or changes alike in every
    // direction.
    static std::optional<double> around(const TVekGreyImage& grey, TVekPointF centre, int32_t radius);
    // The smaller angle between two such directions, 0 to 90 degrees.
    static double between(double a, double b);
};

}  // namespace orvel
