#pragma once

#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// Codabar on one scan line: each character's seven elements split into wide
// and narrow on their own (two wide for digits, '-' and '$', three for the
// rest), start and stop among A to D, quiet zones of the narrow width. The
// content leaves the start and stop characters out.
class TVekCodabarLineDecoder {
public:
    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const;

private:
    static int character(const TVekBarRow& row, size_t first, double& narrow, double& wide);
    static bool readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read);
};

}  // namespace orvel
