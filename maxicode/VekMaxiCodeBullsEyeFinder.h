#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPointF.h"

namespace orvel {

// Where a MaxiCode bull's-eye seems to be: its light centre and the width of
// one ring (or gap) in pixels.
struct TVekMaxiCodeBullsEyeCandidate {
    TVekPointF centre;
    double ringWidth = 0;
    int32_t rowsSeen = 0;  // rows whose runs crossed it: more is likelier a bull's-eye
};

// Finds MaxiCode bull's-eyes in a binarized picture: three dark rings around
// a light centre cut a line through the middle into eleven runs, dark, light,
// dark, light, dark, the wider light centre, and the same again; their widths
// keep those proportions in any direction and under any affine view. A row
// hit is checked down its column and along both diagonals.
class TVekMaxiCodeBullsEyeFinder {
public:
    // Most candidates one picture gives: clutter cannot make the later steps
    // run without bound.
    static constexpr size_t maxCandidates = 64;

    // rowStep: look at every rowStep-th row; above one, a row's runs may be
    // a chord off the centre (a bull's-eye spans many rows, so one such row
    // crosses it) and the column check finds the centre. Candidates come
    // most rows first.
    static std::vector<TVekMaxiCodeBullsEyeCandidate> find(const TVekBitMatrix& bits, int32_t rowStep = 1);
};

}  // namespace orvel
