#pragma once

#include <vector>

#include "foundation/VekBarcodeFormat.h"
#include "oned/VekBarRow.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// Interleaved 2 of 5 and Identcode (the same bars, twelve digits with the
// Deutsche Post check digit) on one scan line: the five bars of a pair give
// its first digit and the five spaces its second, each split into two wide
// and three narrow on its own, since ink spread widens bars and narrows
// spaces. Start (four narrow), stop (wide bar, two narrow) and quiet zones of
// the symbol's narrow width; at least `minimumDigits` digits, so that a
// piece of another symbol is not taken for a short one.
class TVekInterleavedLineDecoder {
public:
    TVekInterleavedLineDecoder(const TVekBarcodeFormats& formats, int minimumDigits)
        : formats_(formats), minimumDigits_(minimumDigits) {}

    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const;

private:
    bool readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read) const;

    TVekBarcodeFormats formats_;
    int minimumDigits_;
};

// True when twelve digits end with the Identcode check digit (weights 4 and
// 9 from the left).
bool hasIdentcodeCheckDigit(const std::string& digits);

}  // namespace orvel
