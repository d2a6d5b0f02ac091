#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPointF.h"

namespace orvel {

// Where a bull's-eye seems to be: the middle of its centre module and the
// module size measured across it.
struct TVekAztecBullsEyeCandidate {
    TVekPointF centre;
    double moduleSize = 0;
    // How far the ring widths stray from even, summed over the four lines
    // through the centre (in modules): lower is likelier a symbol.
    double unevenness = 0;
};

// Finds bull's-eye centres in a binarized picture: on a row, a dark run with
// light, dark, light runs of about its own width on each side and a dark run
// beyond (rings 0 to 4 cut through the middle, the same in compact and
// full-range symbols); the same seen down the column through its middle, then
// the row again to centre it, and both diagonals.
class TVekAztecBullsEyeFinder {
public:
    // Most candidates one picture gives: clutter cannot make the later steps
    // run without bound.
    static constexpr size_t maxCandidates = 256;

    // rowStep: look at every rowStep-th row (1 finds the smallest modules).
    // The candidates come most regular first.
    static std::vector<TVekAztecBullsEyeCandidate> find(const TVekBitMatrix& bits, int32_t rowStep = 1);
};

}  // namespace orvel
