#pragma once

#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekCode39Interpreter.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// Code 39 on one scan line: each character's nine elements split into three
// wide and six narrow by their own widths, start and stop '*', gaps between
// characters narrower than a quiet zone, quiet zones of ten narrow modules
// scaled down for cropped photographs. No check character is required, so
// a read needs a second line that agrees. The interpreter tells which of
// Code 39 and its variants the symbol is reported as.
class TVekCode39LineDecoder {
public:
    TVekCode39LineDecoder() : interpreter_({TVekBarcodeFormat::code39}, false) {}
    explicit TVekCode39LineDecoder(const TVekCode39Interpreter& interpreter) : interpreter_(interpreter) {}

    // `clues`, when given, counts the starts followed by two characters that did not read whole.
    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads, TVekLinearClues* clues = nullptr) const;

private:
    static int character(const TVekBarRow& row, size_t first, double& narrow);
    // `characters` gets how many characters were read after the start.
    bool readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read, size_t& characters) const;

    TVekCode39Interpreter interpreter_;
};

}  // namespace orvel
