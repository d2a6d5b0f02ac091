#pragma once

#include <optional>
#include <span>

#include "foundation/VekPointF.h"

namespace orvel {

// The least-squares line through points, as the principal axis of their
// scatter: unlike a fit of y on x it treats both coordinates alike, so
// steep and flat edges fit equally well.
struct TVekLineFit {
    TVekPointF point;      // the points' mean
    TVekPointF direction;  // unit length
    double spread = 0;     // the scatter's trace: 0 when every point is the same

    // None for fewer than two points.
    static std::optional<TVekLineFit> of(std::span<const TVekPointF> points);
};

}  // namespace orvel
