#pragma once

#include <cstdint>

#include "foundation/VekUtil.h"
#include "pdf417/VekGField.h"

namespace orvel {

// Reed–Solomon error correction of a PDF417 symbol over GF(929): syndromes at
// 3^1 ... 3^n, Berlekamp–Massey for the error locator, an exhaustive root
// search and Forney's formula for the error values.
class TVekPDF417RS {
public:
    TVekPDF417RS();

    // Corrects the whole symbol (data codewords first, the eccCount
    // error-correction codewords last) in place. Returns the number of errors
    // corrected, 0 for a clean symbol, or -1 when correction failed; on -1 the
    // codewords are left exactly as they were given.
    int32_t correct(TVectorInteger& codewords, int32_t eccCount) const;

private:
    int32_t fieldSize;
    TVekGField field;
};

}  // namespace orvel
