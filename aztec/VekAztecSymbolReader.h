#pragma once

#include <optional>

#include "aztec/VekAztecBullsEyeFinder.h"
#include "foundation/VekBarcode.h"
#include "foundation/VekBitMatrix.h"

namespace orvel {

// Reads the symbol around one bull's-eye of a binarized picture: the core's
// perspective (compact first, then full-range), the bull's-eye checked module
// by module, the orientation marks, the mode message, then the whole symbol
// sampled through the map and decoded. None when the candidate is no symbol
// (its rings, marks or mode message do not fit); a record with isValid false
// when a symbol was found but its data could not be corrected.
class TVekAztecSymbolReader {
public:
    static std::optional<TVekBarcode> read(const TVekBitMatrix& bits, const TVekAztecBullsEyeCandidate& candidate);
};

}  // namespace orvel
