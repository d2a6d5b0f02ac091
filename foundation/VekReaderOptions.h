#pragma once

#include <cstdint>

#include "foundation/VekBarcodeFormat.h"
#include "foundation/VekBinarizer.h"

namespace orvel {

// What becomes of the EAN-2 or EAN-5 add-on right of an EAN/UPC symbol.
enum class TVekEanAddOn {
    ignore,   // the main symbol alone, add-on or not
    read,     // its digits follow the main symbol's, identifier ]E3
    require,  // as read, and a symbol without an add-on is not returned
};

// What readBarcodes looks for and how hard it tries. A plain value: two calls
// with different options may run at once.
struct TVekReaderOptions {
    TVekBarcodeFormats formats;   // empty: every symbology
    bool tryHarder = false;       // more scan lines, more passes; do not stop at the first find
    bool tryRotate = true;        // linear symbols at any quarter turn
    bool tryInvert = true;        // light symbols on a dark ground too
    bool tryDownscale = true;     // large pictures are also read at half and a third of their size
    bool isPure = false;          // one clean, upright symbol fills the picture
    int32_t maxSymbols = 0;       // stop after this many decoded symbols; 0: all
    bool returnErrors = false;    // also return symbols that were found but not decoded
    // The first binarizer tried. Data Matrix tries the cheaper global one
    // first unless this one's picture is already made by another family.
    TVekBinarizerKind binarizer = TVekBinarizerKind::local;
    bool classic = false;         // the documented readers with the demonstration program's settings
    // The fewest digits an Interleaved 2 of 5 symbol read from a photograph
    // may hold unless it has the full quiet zones of ten narrow elements on
    // both sides: shorter runs of its plain pattern turn up inside other
    // symbols. The documented readers keep their own limits.
    int32_t minInterleavedDigits = 6;
    TVekEanAddOn eanAddOn = TVekEanAddOn::ignore;  // photographs only
    // Code 39 shift pairs ("+A" for 'a', "%U" for NUL, ...) read as the full
    // ASCII characters they stand for, the symbol reported as Code 39
    // Extended. Off, as in the symbology, whose plain text holds those pairs
    // too; naming Code 39 Extended among the formats turns it on as well.
    // Photographs only.
    bool code39FullAscii = false;
};

}  // namespace orvel
