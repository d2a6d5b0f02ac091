#pragma once

#include <cstdint>

#include "foundation/VekImage.h"
#include "foundation/VekUtil.h"

namespace orvel::test {

// Paints a PDF417 symbol of the given codeword matrix (rows × columns, row by
// row; -1 paints a character of no cluster) with row indicators built from
// indicatorRows, columns and ecLevel, so that tests can give the reader
// symbols zint would never make. Each module is modulePixels wide and each
// row rowHeight modules high, with a 2-module quiet zone all round.
struct TPDF417Painting {
    int32_t rows = 3;
    int32_t columns = 1;
    int32_t indicatorRows = 3;  // the row count the row indicators claim
    int32_t ecLevel = 0;
    TVectorInteger codewords;
    int32_t modulePixels = 3;
    int32_t rowHeight = 4;
};

TVekImage paintPDF417(const TPDF417Painting& painting);

// Element widths (bar, space, ...) of codeword c of cluster index k, from
// the library's symbol character table.
TVectorInteger pdf417Elements(int32_t c, int32_t k);

}  // namespace orvel::test
