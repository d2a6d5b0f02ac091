#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPointF.h"

namespace orvel {

// A place where the three nested squares of a QR finder pattern were seen.
struct TVekQRFinderCandidate {
    TVekPointF centre;
    double moduleSize = 0;  // pixels, averaged over the row and column through the centre
    int32_t count = 1;      // scan rows that confirmed it
};

// Finds finder patterns in a binarized picture: each row is cut into runs and
// five runs dark-light-dark-light-dark in the proportions 1:1:3:1:1 make a
// hit, which must show the same proportions down the column and along a
// diagonal through its centre. Hits of one pattern on neighbouring rows are
// merged, which also averages their centres to a fraction of a pixel.
class TVekQRFinderScanner {
public:
    // Beyond this many distinct candidates a picture is noise; the rest are
    // dropped. A large picture may hold a sheet of many symbols: one more
    // candidate per 512 pixels beyond, which labels of version 1 at 1.5
    // pixels a module, packed with their quiet zones touching, stay below.
    static constexpr size_t maxCandidates = 256;
    static size_t maxCandidatesFor(const TVekBitMatrix& bits);
    // From this many candidates on (one per 2048 pixels, 256 at least) the
    // finder-like patterns are everywhere: noise or texture, or a sheet
    // packed with symbols, which other shades and scales would not improve.
    static size_t crowdedFor(const TVekBitMatrix& bits);

    static std::vector<TVekQRFinderCandidate> scan(const TVekBitMatrix& bits);

    // True when five runs are in the finder's proportions 1:1:3:1:1.
    static bool hasFinderProportions(const std::array<int32_t, 5>& runs);
};

}  // namespace orvel
