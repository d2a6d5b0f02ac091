#pragma once

#include <optional>

#include "aztec/VekAzBitMap.h"
#include "aztec/VekAztecModeMessage.h"
#include "foundation/VekBarcode.h"

namespace orvel {

// What the mode message of a photo symbol says, with the two kinds the
// documented reader does not know: reader-initialisation symbols (the top bit
// of the codeword count set) and runes (an 11 x 11 compact symbol whose mode
// message, every word changed by 1010, holds one byte).
struct TVekAztecPhotoMode {
    TVekAztecModeMessage message;
    bool readerInit = false;
    bool rune = false;
    int32_t runeValue = 0;
};

// Turns a sampled symbol into a barcode record through the family's mode
// message and data decoding: FNC1 after the first position becomes GS, ECI
// designators become marks, and the AIM identifier tells GS1 and ECI content.
class TVekAztecPhotoDecoder {
public:
    // The mode message on the map's ring (5 compact, 7 full-range); none when
    // it cannot be corrected as a symbol or as a rune.
    static std::optional<TVekAztecPhotoMode> readMode(const TVekAzBitMap& map, bool compact);

    // The data layers of the map decoded; a record with isValid false and the
    // error when they cannot be corrected. Sets format, bytes, eciMarks,
    // symbologyIdentifier, ecLevel and structuredAppend.
    static TVekBarcode decode(const TVekAzBitMap& map, const TVekAztecPhotoMode& mode);

    // The record of a rune.
    static TVekBarcode runeBarcode(int32_t value);
};

}  // namespace orvel
