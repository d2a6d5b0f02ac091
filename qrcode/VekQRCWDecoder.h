#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/VekException.h"
#include "foundation/VekUtil.h"
#include "qrcode/VekQRBitString.h"

namespace orvel {

// The data bit stream of a QR symbol cannot be decoded.
class EVekQRCodeCWException : public TVekException {
public:
    using TVekException::TVekException;
};

// Interprets the mode segments of a corrected QR data bit stream: numeric,
// alphanumeric, byte and Kanji, after optional structured-append, FNC1 and ECI
// headers. Values are character codes (numeric, alphanumeric), byte values, or
// two-byte Shift JIS codes (Kanji); no character-set conversion is made.
class TVekQRCWDecoder {
public:
    static constexpr int32_t MODE_TERMINATOR = 0;
    static constexpr int32_t MODE_NUMERIC = 1;
    static constexpr int32_t MODE_ALPHANUMERIC = 2;
    static constexpr int32_t MODE_STRUCTURED_APPEND = 3;
    static constexpr int32_t MODE_BYTE = 4;
    static constexpr int32_t MODE_FNC1_FIRST = 5;
    static constexpr int32_t MODE_ECI = 7;
    static constexpr int32_t MODE_KANJI = 8;
    static constexpr int32_t MODE_FNC1_SECOND = 9;
    static constexpr int32_t MODE_HANZI = 13;
    static constexpr int32_t MODE_NESTED_ECI = 14;

    // Decodes the stream of a symbol of the given version into values. Raises
    // EVekQRCodeCWException for an unsupported mode, an unknown or nested ECI,
    // and for a segment that runs past the end of the data.
    void decode(TVekQRBitString& bits, int32_t version, TVectorInteger& values);

    int32_t getAppendPosition() const { return appendPosition; }
    int32_t getAppendTotal() const { return appendTotal; }
    int32_t getEci() const { return eci; }
    int32_t getFnc1() const { return fnc1; }
    int32_t getApplicationIndicator() const { return applicationIndicator; }
    int32_t getAppendParity() const { return appendParity; }

    // Where an ECI designator switched the character set: the index of the
    // first value after it, and the designator.
    struct TEciSwitch {
        size_t valueIndex = 0;
        int32_t eci = 0;
    };
    // Off (the default): only a designator at the start of the stream is read
    // and a later one fails the stream. On: a designator may stand between any
    // two segments and each one is kept in eciSwitches().
    void setEciAnywhere(bool on) { eciAnywhere = on; }
    const std::vector<TEciSwitch>& eciSwitches() const { return switches; }
    // Off (the default): the Chinese mode fails the stream. On: its GB 2312
    // subset is read, each character a two-byte GB 2312 code like Kanji's
    // Shift JIS codes.
    void setHanzi(bool on) { hanzi = on; }
    bool sawHanzi() const { return hanziSeen; }

    // Character-count width of a mode (1, 2, 4, 8) in a version.
    static int32_t countBits(int32_t mode, int32_t version);

    // One numeric, alphanumeric, byte or Kanji segment of `count` characters
    // whose mode and count were read by the caller: Micro QR and rMQR code
    // modes and counts in their own widths, their segments as QR Code does.
    // Raises EVekQRCodeCWException when the data ends inside the segment.
    void decodeSegment(TVekQRBitString& bits, int32_t mode, int32_t count, TVectorInteger& values);

private:
    void readHeaders(TVekQRBitString& bits);
    void readEci(TVekQRBitString& bits);
    void decodeNumeric(TVekQRBitString& bits, int32_t count, TVectorInteger& values);
    void decodeAlphanumeric(TVekQRBitString& bits, int32_t count, TVectorInteger& values);
    void decodeByte(TVekQRBitString& bits, int32_t count, TVectorInteger& values);
    void decodeKanji(TVekQRBitString& bits, int32_t count, TVectorInteger& values);
    void decodeHanzi(TVekQRBitString& bits, TVectorInteger& values, int32_t version);

    int32_t appendPosition = -1;
    int32_t appendTotal = -1;
    int32_t eci = -1;
    int32_t fnc1 = 0;
    int32_t applicationIndicator = 0;
    int32_t appendParity = -1;
    bool eciAnywhere = false;
    bool hanzi = false;
    bool hanziSeen = false;
    std::vector<TEciSwitch> switches;
};

}  // namespace orvel
