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
    // The symbol dimensions to try, most likely first (at most three).
    static std::vector<int32_t> dimensions(const TVekBitMatrix& bits, const TVekQRFinderTriplet& triplet);
    // The grids of one dimension to try, most likely first: through the
    // alignment pattern, through the finders' outer edges, the parallelogram.
    static std::vector<TVekQRGrid> grids(const TVekBitMatrix& bits, const TVekQRFinderTriplet& triplet,
                                         int32_t dimension);

    // The grid of a version from the three finder centres alone (the fourth
    // corner completes the parallelogram).
    static TVekPerspectiveTransform affine(const TVekQRFinderTriplet& triplet, int32_t dimension);
};

}  // namespace orvel
