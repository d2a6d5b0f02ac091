#pragma once

#include <optional>
#include <vector>

#include "foundation/VekPointF.h"

namespace orvel {

// A straight symbol edge in picture coordinates: a point on it and a unit
// direction.
struct TVekDatamatrixEdgeLine {
    TVekPointF point;
    TVekPointF direction{1, 0};

    // The least-squares line through the points (along their main axis);
    // none for fewer than two distinct points.
    static std::optional<TVekDatamatrixEdgeLine> fit(const std::vector<TVekPointF>& points);

    // The unit normal on the side of `side`.
    TVekPointF normalTowards(TVekPointF side) const;
    // Signed distance along normalTowards(side)'s opposite: positive away
    // from `side`.
    double distanceAway(TVekPointF at, TVekPointF side) const;
    // The line moved by `amount` pixels away from `side`.
    TVekDatamatrixEdgeLine movedAway(double amount, TVekPointF side) const;
    // The foot of the perpendicular from `at`.
    TVekPointF project(TVekPointF at) const;
};

// Where two edges cross; none when they are (nearly) parallel.
std::optional<TVekPointF> intersect(const TVekDatamatrixEdgeLine& a, const TVekDatamatrixEdgeLine& b);

}  // namespace orvel
