#pragma once

#include <cstdint>

#include "foundation/VekBarcode.h"
#include "foundation/VekBitMatrix.h"

namespace orvel {

// Decodes a sampled rMQR module matrix (row by row, 1 dark; the finder at the
// top-left): the format information of either side, the fixed mask,
// codewords, de-interleaving, Reed-Solomon correction per block and the data
// segments in rMQR's count widths. The position is left to the caller.
class TVekRMQRMatrixDecoder {
public:
    // isValid is false (with an error) when the matrix does not decode.
    static TVekBarcode decode(const TVekBitMatrix& modules);
    // True for the function modules of a width x height symbol (finder,
    // separator, timing, alignment, corner and sub-finder patterns, format).
    static bool isFunction(int32_t width, int32_t height, int32_t column, int32_t row);
};

}  // namespace orvel
