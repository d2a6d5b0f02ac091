#pragma once

#include <optional>
#include <span>

#include "foundation/VekPerspectiveTransform.h"
#include "foundation/VekPointF.h"

namespace orvel {

// One known place of a module-space point in the picture.
struct TVekPointMatch {
    TVekPointF module;
    TVekPointF picture;
};

// The perspective transform that best maps module space onto the picture
// through more than four matching points (least squares on the linearised
// equations), given as the quadrilateral of a module-space rectangle.
class TVekHomographyFit {
public:
    // The transform of the module rectangle (0, 0) ... (columns, rows); none
    // for fewer than four matches or points on a line.
    static std::optional<TVekPerspectiveTransform> fit(std::span<const TVekPointMatch> matches, double columns,
                                                       double rows);
};

}  // namespace orvel
