#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBitMatrix.h"

namespace orvel {

// Decodes a sampled QR module matrix (row by row, 1 dark) with the family's
// decoding and fills a result: content bytes with the places where ECI
// designators switch the character set, symbology identifier, level,
// structured append. A matrix that does not decode is tried mirrored (a
// symbol seen from behind). The position is left to the caller.
class TVekQRMatrixDecoder {
public:
    // isValid is false (with an error) when neither reading decodes.
    static TVekBarcode decode(const TVekBitMatrix& modules);
};

}  // namespace orvel
