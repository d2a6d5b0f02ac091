#pragma once

#include <cstdint>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"

namespace orvel {

// The version information of QR symbols of version 7 and up: 6 version bits
// and 12 bits of a (18, 6) BCH code, drawn twice in 6 × 3 blocks next to the
// top-right and bottom-left finders.
class TVekQRVersionReader {
public:
    // The 18-bit word of a version 7 ... 40.
    static uint32_t encode(int32_t version);
    // The version whose word is within 3 bits of `word`, or 0.
    static int32_t decode(uint32_t word);
    // The version read from both blocks of a symbol of `dimension` modules,
    // sampled through `moduleToPicture`; 0 when neither block reads.
    static int32_t read(const TVekBitMatrix& bits, int32_t dimension, const TVekPerspectiveTransform& moduleToPicture);
};

}  // namespace orvel
