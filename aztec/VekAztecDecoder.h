#pragma once

#include <string>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "aztec/VekAzBitString.h"
#include "aztec/VekAztecData.h"
#include "foundation/VekUtil.h"

namespace orvel {

// The character modes of Aztec data; BINARY is the state inside a binary run.
enum class TVekAztecMode { UPPER, LOWER, MIXED, PUNCT, DIGIT, BINARY };

// A flag character met in the data: FNC1 (eci < 0) or an ECI designator,
// before the value at valueIndex. Flags produce no value of their own.
struct TVekAztecFlag {
    size_t valueIndex = 0;
    int32_t eci = -1;
};

// Turns the bits of an Aztec symbol's data layers into values: cuts them into
// codewords, corrects them, removes the stuffed bits and interprets the
// character modes.
class TVekAztecDecoder {
public:
    // codewordSize: bits per codeword of the symbol; configuration: row of
    // AZTEC_CONFIGURATIONS; dataCodewords: from the mode message. Raises
    // TVekAZReedException ("Wrong number of error correction codewords",
    // "Cannot solve RS errors").
    TVekAztecData decode(int32_t codewordSize, int32_t configuration, const TVekAzBitString& bits,
                         int32_t dataCodewords);

    // Removes the bit stuffed into every codeword whose other bits are all equal.
    TVekAzBitString unstuff(int32_t codewordSize, const TVectorInteger& words) const;

    // Interprets the bits as characters from startMode on. A structured-append
    // header at the start is consumed and recorded in appendPosition and
    // appendTotal (both 0 when there is none).
    TVectorInteger decodeCharacters(int32_t codewordSize, TVekAzBitString& bits, TVekAztecMode startMode);

    // The bytes of one binary run (its length prefix first).
    TVectorInteger decodeBinary(TVekAzBitString& bits) const;

    // Position (1 = first) and symbol count of a structured-append symbol.
    int32_t getAppendPosition() const { return appendPosition; }
    int32_t getAppendTotal() const { return appendTotal; }
    // The message id of the header, empty when it has none.
    const std::string& getAppendId() const { return appendId; }

    // The flags of the last decodeCharacters, in data order.
    const std::vector<TVekAztecFlag>& getFlags() const { return flags; }

private:
    void readFlag(TVekAzBitString& bits, size_t valueIndex);
    void takeAppendHeader(TVectorInteger& values);

    int32_t appendPosition = 0;
    int32_t appendTotal = 0;
    std::string appendId;
    std::vector<TVekAztecFlag> flags;
};

}  // namespace orvel
