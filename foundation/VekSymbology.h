#pragma once

#include <span>
#include <string_view>

#include "foundation/VekBarcodeFormat.h"

namespace orvel {

// The reader family a symbology belongs to: the folder its reader lives in.
enum class TVekSymbolFamily : uint8_t { linear, pdf417, dataMatrix, qrCode, aztec, maxiCode };

// The character set of content bytes that no ECI designator names.
enum class TVekDefaultCharset : uint8_t {
    latin1,       // ISO 8859-1
    cp437,        // PDF417's default
    utf8OrSjis,   // QR Code kinds: UTF-8 or Shift JIS when the bytes are valid in it, else ISO 8859-1
};

// One row of the symbology table: everything the library and its tools need
// to know of a symbology apart from its reader.
struct TVekSymbology {
    TVekBarcodeFormat format;
    const char* name;          // printed by orvel-scan and in JSON, accepted by --formats
    const char* aliases;       // other accepted names, space separated, in canonical form
    const char* identifier;    // AIM symbology identifier of plain content
    TVekSymbolFamily family;
    const char* familyName;    // the JSON "family": "1d", "pdf417", "datamatrix", "qr", "aztec", "maxicode"
    bool isLinear;
    TVekDefaultCharset charset;
};

// The whole table, in the order of TVekBarcodeFormat.
std::span<const TVekSymbology> symbologies();
const TVekSymbology& symbologyOf(TVekBarcodeFormat format);
// The formats of one family.
TVekBarcodeFormats formatsOfSymbolFamily(TVekSymbolFamily family);
// True when a symbol's AIM identifier says that its content is a GS1 element
// string (FNC1 in first position, or a symbology that carries nothing else).
bool marksGS1Content(std::string_view identifier);

}  // namespace orvel
