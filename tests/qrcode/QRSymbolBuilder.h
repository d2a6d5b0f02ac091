#pragma once

#include <string>
#include <vector>

#include "foundation/VekUtil.h"

namespace orvel::test {

// The module matrix [column][row] of a QR symbol made by `zint -b QRCODE <arguments>`;
// empty when zint fails.
TIntegerMatrix qrMatrixFromZint(const std::string& arguments);

// The values a byte text decodes to.
TVectorInteger valuesOf(const std::string& bytes);

// The codewords of a symbol in stream (interleaved) order, read back with the
// symbol's own mask.
TVectorInteger qrStreamCodewords(const TIntegerMatrix& matrix);

// The symbol with its codewords replaced (stream order), same level and mask.
TIntegerMatrix qrWithCodewords(const TIntegerMatrix& matrix, const TVectorInteger& codewords);

// A symbol of the given version, level (0 = L ... 3 = H) and mask holding the
// data codewords (padded with 236/17), with correct error-correction codewords.
TIntegerMatrix qrBuildSymbol(int version, int level, int mask, TVectorInteger dataCodewords);

// Data codewords of a version and level.
int qrDataCodewords(int version, int level);

// The stream positions of block `block`'s codewords: data first, then error correction.
std::vector<int> qrBlockStreamPositions(int version, int level, int block);
int qrBlockCount(int version, int level);
int qrEcPerBlock(int version, int level);

}  // namespace orvel::test
