#pragma once

#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// Code 39 on one scan line: each character's nine elements split into three
// wide and six narrow by their own widths, start and stop '*', gaps between
// characters narrower than a quiet zone, quiet zones of ten narrow modules
// scaled down for cropped photographs. No check character is required, so
// a read needs a second line that agrees.
class TVekCode39LineDecoder {
public:
    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const;

private:
    static int character(const TVekBarRow& row, size_t first, double& narrow);
    static bool readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read);
};

}  // namespace orvel
