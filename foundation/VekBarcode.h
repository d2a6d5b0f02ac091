#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "foundation/VekBarcodeFormat.h"
#include "foundation/VekGS1Parser.h"
#include "foundation/VekPointF.h"

namespace orvel {

// From byte `offset` of a symbol's content on, the bytes are in the character
// set of ECI designator `eci`.
struct TVekEciMark {
    size_t offset = 0;
    int eci = 0;
    bool operator==(const TVekEciMark&) const = default;
};

// Where a symbol stands in a structured-append sequence (QR Code structured
// append, Data Matrix and Aztec structured append, Macro PDF417).
struct TVekStructuredAppend {
    int index = -1;  // 0-based position, -1 when the symbol is not part of a sequence
    int count = -1;  // symbols in the sequence, -1 when unknown
    std::string id;  // the sequence's identifier (parity byte, file id, ...)
    bool operator==(const TVekStructuredAppend&) const = default;
};

// How text(mode) shows the content.
enum class TVekTextMode : uint8_t {
    plain,    // the content as UTF-8 (text())
    hri,      // GS1 content as "(01)09501101530003(10)AB-123", as far as its AIs are
              // known (gs1() tells its errors); other content as escaped
    escaped,  // control characters as <GS>, <RS>, <EOT>, <NUL> ... (and <DEL>)
    bytes,    // the decoded bytes as lower-case hexadecimal, two digits each
};

// One symbol found in a picture.
class TVekBarcode {
public:
    TVekBarcodeFormat format = TVekBarcodeFormat::qrCode;
    // The decoded content: FNC1 after the first position as GS (0x1D),
    // Code 128 FNC4 characters as bytes 128 to 255, ECI designators left out
    // (their places are in eciMarks).
    std::string bytes;
    std::vector<TVekEciMark> eciMarks;
    // The AIM symbology identifier: "]Q1", "]d1", "]E0", ...; its modifier
    // tells GS1 content ("]C1", "]d2", "]Q3", "]z1", "]e0" ...).
    std::string symbologyIdentifier;
    // The four corners, clockwise from the symbol's own top-left.
    std::array<TVekPointF, 4> position{};
    // The direction of the symbol's top edge, degrees clockwise from the
    // picture's x axis.
    double orientation = 0;
    bool isMirrored = false;
    bool isInverted = false;  // light modules on a dark ground
    std::string ecLevel;      // "L", "M", "Q", "H" for QR Code; the level or percentage elsewhere
    TVekStructuredAppend structuredAppend;
    // A message joined from the parts of a structured-append sequence: each
    // part's four corners, in the order of the sequence (empty otherwise).
    // `position` is then that of the first part.
    std::vector<std::array<TVekPointF, 4>> partPositions;
    bool isValid = true;
    std::string error;  // why a symbol that was found could not be decoded

    bool hasECI() const { return !eciMarks.empty(); }
    // The content as UTF-8: each part in the character set its ECI designator
    // names, else in the symbology's default (ISO 8859-1; CP437 for PDF417;
    // for QR Code, UTF-8 or Shift JIS when the bytes are valid in it).
    std::string text() const;
    std::string text(TVekTextMode mode) const;
    // True when the symbology identifier marks the content as a GS1 element
    // string.
    bool isGS1() const;
    // The GS1 elements, or the error that stopped them; for content that is not
    // GS1 (isGS1() false) an empty list and no error.
    TVekGS1Content gs1() const;
    // The centre of the four corners.
    TVekPointF centre() const;
    // The orientation from the top edge of `position`.
    void setOrientationFromPosition();
};

using TVekBarcodes = std::vector<TVekBarcode>;

}  // namespace orvel
