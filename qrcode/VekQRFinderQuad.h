#pragma once

#include <array>
#include <optional>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPointF.h"

namespace orvel {

// The outer square of a finder pattern (its dark 7 x 7 ring) in the picture:
// rays from the centre find the ring's outer edge all round, the four points
// farthest out give the corners roughly, and a line through the edge points of
// each side gives them exactly. The symbols with one finder (Micro QR, rMQR)
// take their orientation and first perspective from it.
class TVekQRFinderQuad {
public:
    // The four corners, clockwise on the screen (y down), starting at any
    // corner; none when the ring's edge is not found all round or is no
    // quadrilateral of about the module size given.
    static std::optional<std::array<TVekPointF, 4>> find(const TVekBitMatrix& bits, TVekPointF centre,
                                                         double moduleSize);
};

}  // namespace orvel
