#pragma once

#include "foundation/VekLine.h"

namespace orvel {

// A PDF417 candidate: the axis of the start pattern's 8-module bar (line1)
// and the axis of the stop pattern's last, 1-module bar (line2). Scan lines
// run from line1 across the symbol to line2, whichever way up it lies.
class TVekPDF417Area {
public:
    TVekPDF417Area(const TVekLine& line1, const TVekLine& line2) : line1(line1.getCopy()), line2(line2.getCopy()) {}

    TVekLine line1;
    TVekLine line2;
};

}  // namespace orvel
