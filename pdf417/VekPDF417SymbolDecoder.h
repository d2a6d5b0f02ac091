#pragma once

#include "foundation/VekBarcode.h"
#include "pdf417/VekPDF417Grid.h"

namespace orvel {

// Turns the codewords read from a picture (PDF417 or MicroPDF417) into a
// result: Reed–Solomon correction with the unread cells as erasures, the
// codeword decoding of the documented reader, ECI designators into marks
// and Macro PDF417 fields into the structured-append fields. A grid that does not decode gives a
// result with isValid false and the reason.
class TVekPDF417SymbolDecoder {
public:
    static TVekBarcode decode(const TVekPDF417Grid& grid);

private:
    // The data codewords (length descriptor first) split at ECI designators,
    // each part decoded on its own.
    static void decodeData(const TVectorInteger& data, TVekBarcode& barcode);
};

}  // namespace orvel
