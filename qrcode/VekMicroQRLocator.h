#pragma once

#include <vector>

#include "foundation/VekBitMatrix.h"
#include "qrcode/VekQRFinderScanner.h"
#include "qrcode/VekQRGridLocator.h"

namespace orvel {

// Works out the module grid of a Micro QR symbol from its one finder: the
// finder's outer square gives the orientation (the corner from which timing
// patterns run along both outer edges) and a first perspective; the timing
// patterns, followed module by module, give the size (they end at the quiet
// zone) and the points a perspective is fitted to.
class TVekMicroQRLocator {
public:
    // The grids to try, most likely first; empty when no timing patterns run
    // from the finder or they end at no Micro QR size. `started` (when given)
    // tells whether timing patterns could be followed from the finder at all.
    static std::vector<TVekQRGrid> grids(const TVekBitMatrix& bits, const TVekQRFinderCandidate& finder,
                                         bool* started = nullptr);
};

}  // namespace orvel
