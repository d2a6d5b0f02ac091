#pragma once

#include <cstdint>

#include "foundation/VekUtil.h"

namespace orvel {

// The ECC 200 module placement: which codeword bit stands at each module of
// the mapping matrix (the data modules of all regions, without finder and
// clock patterns), row 0 at the top.
class TVekCharPlacer {
public:
    TVekCharPlacer() = default;
    TVekCharPlacer(int32_t nrow, int32_t ncol) : nrow(nrow), ncol(ncol) {}

    // Fills array (grown to nrow x ncol entries when smaller). Entry
    // row x ncol + col: codeword number x 10 + bit number (codewords from 1,
    // bit 1 the most significant), 1 for the fixed lower right corner
    // modules, 0 for none.
    void make();

    int32_t nrow = 0;
    int32_t ncol = 0;
    TVectorInteger array;

private:
    void utah(int32_t row, int32_t col, int32_t chr);
    void corner1(int32_t chr);
    void corner2(int32_t chr);
    void corner3(int32_t chr);
    void corner4(int32_t chr);
    void module(int32_t row, int32_t col, int32_t chr, int32_t bit);
    bool isFree(int32_t row, int32_t col) const;
};

}  // namespace orvel
