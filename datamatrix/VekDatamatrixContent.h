#pragma once

#include "datamatrix/VekDatamatrixControl.h"
#include "foundation/VekBarcode.h"
#include "foundation/VekUtil.h"

namespace orvel {

// Turns a symbol's corrected data codewords into the result's content: the
// bytes (FNC1 after the first place as GS, the macro header and trailer
// written out), the ECI marks, the symbology identifier ("]d2" for FNC1 in
// the first place, else "]d1") and structured append. Decodes X12 and
// EDIFACT too. Works on the codeword decoder's values and control entries,
// never on its texts.
class TVekDatamatrixContent {
public:
    // Fills the content fields of `barcode`; on failure isValid is false and
    // error says why.
    static void decode(const TVectorInteger& codewords, TVekBarcode& barcode);

private:
    static void applyControl(const TVekDatamatrixControl& control, bool first, TVekBarcode& barcode,
                             std::string& trailer);
};

}  // namespace orvel
