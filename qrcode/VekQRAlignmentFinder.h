#pragma once

#include <optional>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPointF.h"

namespace orvel {

// Looks for the small alignment pattern of a QR symbol (a dark module in a
// light ring in a dark ring) near the place the finders predict.
class TVekQRAlignmentFinder {
public:
    // The centre of the pattern nearest to `predicted` within `radius` pixels,
    // for modules of about `moduleSize` pixels; none when there is none.
    static std::optional<TVekPointF> find(const TVekBitMatrix& bits, TVekPointF predicted, double moduleSize,
                                          double radius);
};

}  // namespace orvel
