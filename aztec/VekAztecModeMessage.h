#pragma once

#include <cstdint>

#include "aztec/VekAzBitMap.h"
#include "foundation/VekUtil.h"

namespace orvel {

// What the mode message around the bull's-eye tells: the symbol's data layers
// and how many of its codewords carry data (the rest are check codewords).
struct TVekAztecModeMessage {
    bool compact = false;
    int32_t layers = 0;
    int32_t dataCodewords = 0;
};

// Number of mode-message bits: 28 compact, 40 full-range.
int32_t modeMessageBitCount(bool compact);

// Corrects the mode-message bits (first bit first, 4-bit words over GF(16)
// with 5 check words compact, 6 full-range) and unpacks them. Raises
// TVekAZReedException when the bit count is wrong or the words cannot be
// corrected.
TVekAztecModeMessage decodeModeMessage(const TVectorInteger& bits, bool compact);

// The mode-message modules of a sampled map, clockwise from the top left
// corner of the ring at distance 5 (compact) or 7 (full-range) from the
// centre; the reference-grid module in the middle of each full-range side is
// left out.
TVectorInteger modeMessageBits(const TVekAzBitMap& map, bool compact);

}  // namespace orvel
