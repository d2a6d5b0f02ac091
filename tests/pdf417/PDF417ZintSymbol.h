#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/VekUtil.h"

namespace orvel::test {

// The codewords of a PDF417 symbol rendered by zint, read from its module
// rows with the symbol character table of tests/data/pdf417.
struct TPDF417ZintSymbol {
    int rows = 0;
    int columns = 0;           // data columns
    int ecLevel = 0;           // 0 ... 8
    TVectorInteger codewords;  // rows × columns, row by row; the check codewords last

    int eccCount() const { return 2 << ecLevel; }
    // The data codewords: entry 0 is the length descriptor.
    TVectorInteger dataCodewords() const;
};

// Runs `zint -b PDF417 <arguments> --dump` and reads the symbol; nothing when
// zint fails or a character or row indicator does not read.
std::optional<TPDF417ZintSymbol> readZintPDF417(const std::string& arguments);

}  // namespace orvel::test
