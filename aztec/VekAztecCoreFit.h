#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "aztec/VekAztecBullsEyeFinder.h"
#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"

namespace orvel {

// The perspective of a bull's-eye: rays from its centre cross the ring edges
// (Chebyshev distance 1.5, 2.5, 3.5 modules, and 4.5, 5.5 in full-range
// symbols); a line fitted to each side of each edge square gives its corners,
// and the corners of all edge squares give the map from module coordinates
// (centre module at (0, 0), one unit per module, axes along the ring sides)
// to the picture. Which corner is the symbol's top-left is left to the
// orientation marks: module x grows from the first corner clockwise.
class TVekAztecCoreFit {
public:
    static constexpr int32_t rays = 64;
    static constexpr int32_t maxEdges = 6;

    // Casts the rays once for both kinds of symbol.
    TVekAztecCoreFit(const TVekBitMatrix& bits, const TVekAztecBullsEyeCandidate& candidate);

    // The map through edges 2 ... 4 (compact) or 2 ... 6 (full-range); none
    // when the rings do not give four sides for the outermost edge square.
    // Each edge square is fitted once for both kinds.
    std::optional<TVekPerspectiveTransform> frame(bool compact);

    // A corner of an edge square, with the ray it lies nearest to.
    struct TCorner {
        TVekPointF at;
        int32_t ray = 0;
    };
    using TSquare = std::array<TCorner, 4>;

private:
    struct TCrossing {
        TVekPointF at;
        bool found = false;
    };
    const std::optional<TSquare>& square(int32_t edge);

    TVekAztecBullsEyeCandidate candidate_;
    // [edge - 1][ray]
    std::array<std::array<TCrossing, rays>, maxEdges> crossings_{};
    std::array<std::optional<TSquare>, maxEdges> squares_{};
    std::array<bool, maxEdges> fitted_{};
};

}  // namespace orvel
