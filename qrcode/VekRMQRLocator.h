#pragma once

#include <cstdint>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"
#include "qrcode/VekQRFinderScanner.h"

namespace orvel {

// A guess at an rMQR symbol's module grid.
struct TVekRMQRGrid {
    int32_t width = 0;
    int32_t height = 0;
    TVekPerspectiveTransform moduleToPicture;  // module space (0 ... width, 0 ... height) to pixels
    bool mirrored = false;                     // the module space turns the other way than the picture
};

// Works out the module grid of an rMQR symbol from its finder: the finder's
// outer square and the timing pattern starting along one of its edges give
// the orientation, the format information next to it the size, and the top
// and bottom rows, followed run by run (timing modules, alignment patterns,
// corner pattern, sub-finder), the points a perspective is fitted to.
class TVekRMQRLocator {
public:
    // The grids to try, most likely first. `started` (when given) tells
    // whether a timing pattern and format information were seen next to the
    // finder at all.
    static std::vector<TVekRMQRGrid> grids(const TVekBitMatrix& bits, const TVekQRFinderCandidate& finder,
                                           bool* started = nullptr);
};

}  // namespace orvel
