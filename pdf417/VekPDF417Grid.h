#pragma once

#include <array>
#include <cstdint>

#include "foundation/VekPointF.h"
#include "foundation/VekUtil.h"

namespace orvel {

// The codewords read from a PDF417 or MicroPDF417 symbol in a picture,
// before correction.
struct TVekPDF417Grid {
    int32_t rows = 0;
    int32_t columns = 0;  // data columns
    int32_t ecLevel = 0;  // 2^(ecLevel + 1) check codewords
    TVectorInteger codewords;  // rows × columns, row by row; -1 where nothing was read
    // The symbol's own top-left, top-right, bottom-right and bottom-left
    // corners in the picture.
    std::array<TVekPointF, 4> corners{};

    // MicroPDF417: the check codewords its size has (and no length
    // descriptor leads its data); 0 for PDF417.
    int32_t microEccCount = 0;

    bool isMicro() const { return microEccCount > 0; }
    int32_t eccCount() const { return isMicro() ? microEccCount : 2 << ecLevel; }
};

}  // namespace orvel
