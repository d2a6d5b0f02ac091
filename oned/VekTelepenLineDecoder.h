#pragma once

#include <string>
#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// Telepen on one scan line. Every character is an ASCII code with an even
// parity bit, eight bits from the lowest, in sixteen modules of narrow (one
// module) and wide (three modules) elements, a bar and a space for each
// step: 1 is a narrow bar and a narrow space, 00 a wide bar and a narrow
// space, 010 a wide bar and a wide space; a longer run 0 1…1 0 opens with a
// narrow bar and a wide space for its 01, closes with another for its 10,
// and has a narrow pair for each 1 between. Even parity keeps every run
// within its character. The pairs are told apart by their sums (2, 4 or 6
// modules), which blur leaves alone, and a 4 by which of the two is the
// wider. Start '_', stop 'z', and a check character that brings the data's
// sum to a multiple of 127.
//
// Numeric Telepen packs two digits into one character (27 to 126 for 00 to
// 99; 17 to 26 for a digit and 'X') with the same start and stop, so the bars
// do not say which mode a symbol is in. A symbol is read as numeric when its
// characters are all numeric ones and one of them is a control character
// (the pairs 00 to 04, a digit and 'X'), which full ASCII text seldom holds;
// its identifier is then ]B1.
class TVekTelepenLineDecoder {
public:
    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const;

    // The content of the data characters (start, check and stop removed) and
    // its identifier.
    static void interpret(const std::vector<int>& values, std::string& bytes, std::string& identifier);

private:
    // The ASCII code of the character whose first bar is element `at`, -1
    // when the elements make none; `module` is the width of a module, and is
    // updated from this character. `next` gets the element after it; `last`
    // tells that its final space is a quiet zone.
    static int character(const TVekBarRow& row, size_t at, double& module, size_t& next, bool& last);
    static bool readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read);
};

}  // namespace orvel
