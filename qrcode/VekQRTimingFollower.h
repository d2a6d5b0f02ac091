#pragma once

#include <optional>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"
#include "qrcode/VekHomographyFit.h"

namespace orvel {

// Follows a timing pattern that runs along a symbol's outer edge (Micro QR's
// top row and left column, rMQR's top and bottom rows): each dark module is
// looked for where the last two found put it, its centre taken from its run
// along the edge and from the edge itself, so that the walk keeps to a
// perspective the first guess gets wrong.
class TVekQRTimingFollower {
public:
    struct TEdge {
        // Module space: module (first + 2 k) of the pattern lies at
        // origin + (first + 2 k + 0.5) along + 0.5 inward, for k = 0, 1, ...
        TVekPointF origin;
        TVekPointF along;   // one module along the pattern
        TVekPointF inward;  // one module from the edge into the symbol
    };

    // The centres of the dark modules found in turn, from module `first` on
    // (every other module), at most `maxDark`; the walk stops at the first
    // dark module that is missing, or that is no lone module (a dark run
    // longer than one module along the edge, or no light quiet zone outside
    // it). `guess` maps module space to the picture.
    // The centre of the dark run of `modules` modules along the edge near
    // `predicted`, light at both ends and towards the quiet zone, half a
    // module in from the edge; `along` is one module along the edge,
    // `inward` one module into the symbol. None when there is no such run.
    static std::optional<TVekPointF> runCentre(const TVekBitMatrix& bits, TVekPointF predicted, TVekPointF along,
                                               TVekPointF inward, int32_t modules);

    static std::vector<TVekPointMatch> follow(const TVekBitMatrix& bits, const TVekPerspectiveTransform& guess,
                                              const TEdge& edge, int32_t first, int32_t maxDark);
};

}  // namespace orvel
