#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/VekUtil.h"

namespace orvel::test {

// A square Data Matrix module matrix as zint draws it: [row][column], row 0 at
// the top (the clock row), 1 = dark.
using TModuleMatrix = std::vector<std::vector<int>>;

// The symbol zint makes of `arguments` (e.g. "--vers=3 -d AB"), trimmed to its
// size; empty when zint fails.
TModuleMatrix zintDatamatrix(const std::string& arguments);

// The symbol zint makes of `arguments`, square or rectangular, trimmed to the
// columns of its solid bottom row (zint's dump pads rows to whole hex digits);
// empty when zint fails.
TModuleMatrix zintDatamatrixAnySize(const std::string& arguments);

// Row of the symbol size table for a square module matrix, -1 for none.
int32_t squareSizeIndex(const TModuleMatrix& symbol);

// The region matrices the reader produces from an upright symbol: each region
// from its solid bottom edge (row 0) up to its clock row, regions along the
// bottom first.
struct TRegionCut {
    std::vector<TIntegerMatrix> regions;
    int32_t regionsUp = 0;
    int32_t regionsAcross = 0;
};
TRegionCut cutRegions(const TModuleMatrix& symbol, int32_t sizeIndex);

// The codeword stream (data then error correction, as placed) of a symbol, and
// the reverse: writes a stream back into the modules.
TVectorInteger readStream(const TModuleMatrix& symbol, int32_t sizeIndex);
void writeStream(TModuleMatrix& symbol, int32_t sizeIndex, const TVectorInteger& stream);

// Corrected data codewords of a symbol through TVekDatamatrixDecoder.
TVectorInteger decodeSymbolCodewords(const TModuleMatrix& symbol);

// Output values of codewords through TVekDatamatrixCWDecoder, with arrays of
// twice the codeword count as the reader gives; texts receives the labels.
TVectorInteger decodeContent(const TVectorInteger& codewords, TVectorString* texts = nullptr);

// The bytes of a text as output values.
TVectorInteger bytesOf(const std::string& text);

// C40 values to codeword pairs (the value count must be a multiple of three).
TVectorInteger c40Pairs(const TVectorInteger& values);

}  // namespace orvel::test
