#pragma once

#include <optional>

#include "aztec/VekAztecBullsEyeFinder.h"
#include "foundation/VekBarcode.h"
#include "foundation/VekBitMatrix.h"
#include "foundation/VekGreyImage.h"

namespace orvel {

// Reads the symbol around one bull's-eye of a binarized picture: the core's
// perspective (compact first, then full-range), the bull's-eye checked module
// by module, the orientation marks, the mode message, then the whole symbol
// sampled through the map and decoded. None when the candidate is no symbol
// (its rings, marks or mode message do not fit); a record with isValid false
// when a symbol was found but its data could not be corrected. When the
// binarized modules do not decode, the map is fitted to the whole symbol and
// the modules are read again, from the binarized picture and then from the
// grey one with the threshold half-way between the bull's-eye's dark and
// light levels (blur closes the light gaps of a binarized picture first).
class TVekAztecSymbolReader {
public:
    // grey: the picture `bits` was made from; inverted: `bits` shows it
    // with dark and light exchanged.
    static std::optional<TVekBarcode> read(const TVekBitMatrix& bits, const TVekGreyImage& grey, bool inverted,
                                           const TVekAztecBullsEyeCandidate& candidate);
};

}  // namespace orvel
