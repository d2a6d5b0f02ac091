#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBitMatrix.h"

namespace orvel {

// Decodes a sampled Micro QR module matrix (row by row, 1 dark; the finder at
// the top-left): format information, mask, codewords with M1's and M3's
// half codeword, Reed-Solomon correction and the data segments in Micro QR's
// mode and count widths. A matrix that does not decode is tried mirrored. The
// position is left to the caller.
class TVekMicroQRMatrixDecoder {
public:
    // isValid is false (with an error) when neither reading decodes.
    static TVekBarcode decode(const TVekBitMatrix& modules);
    // True for the function modules (finder, separator, timing, format).
    static bool isFunction(int32_t column, int32_t row) { return row == 0 || column == 0 || (row <= 8 && column <= 8); }
};

}  // namespace orvel
