#pragma once

#include <optional>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPointF.h"

namespace orvel {

// Looks for the small alignment pattern of a QR symbol (a dark module in a
// light ring in a dark ring) near the place the finders predict.
class TVekQRAlignmentFinder {
public:
    // The centre of the pattern within `radius` pixels of `predicted` that
    // best fits the 5 × 5 modules of the pattern (nearest first among equals),
    // for modules stepping by `right` and `down` pixels there; none when no
    // place fits well enough.
    static std::optional<TVekPointF> find(const TVekBitMatrix& bits, TVekPointF predicted, TVekPointF right,
                                          TVekPointF down, double radius);
};

}  // namespace orvel
