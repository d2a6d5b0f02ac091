#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "foundation/VekBarcode.h"

namespace orvel {

// What a run of MaxiCode data codewords says.
struct TVekMaxiCodeText {
    std::string bytes;
    std::vector<TVekEciMark> eciMarks;
    TVekStructuredAppend structuredAppend;
    bool valid = true;
};

// The character code sets A to E of MaxiCode: shifts for one character, two
// or three (A from B), locks and latches, the numeric shift (nine digits in
// five codewords), ECI designators, pads, and the structured-append marker
// that may open a message (a pad, then the position and count).
class TVekMaxiCodeTextDecoder {
public:
    // The character of set A for a value, as the structured postal code of
    // mode 3 uses it; 0 for values that stand for no character.
    static char setACharacter(int32_t value);

    static TVekMaxiCodeText decode(std::span<const uint8_t> codewords);
};

}  // namespace orvel
