#pragma once

#include <cstdint>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"
#include "qrcode/VekQRTripletPicker.h"

namespace orvel {

// A guess at a symbol's module grid: its size and where each module lies.
struct TVekQRGrid {
    int32_t dimension = 0;                      // modules per side
    TVekPerspectiveTransform moduleToPicture;   // module space (0 ... dimension) to pixels
};

// Works out the module grid of a finder triplet: the module size along the
// lines between the finders gives the version (confirmed by the version
// information from version 7 on), the alignment pattern near its predicted
// place gives the fourth point of the perspective.
class TVekQRGridLocator {
public:
    // The grids to try, most likely first (at most a handful).
    static std::vector<TVekQRGrid> locate(const TVekBitMatrix& bits, const TVekQRFinderTriplet& triplet);

    // The grid of a version from the three finder centres alone (the fourth
    // corner completes the parallelogram).
    static TVekPerspectiveTransform affine(const TVekQRFinderTriplet& triplet, int32_t dimension);
};

}  // namespace orvel
