#pragma once

#include <array>
#include <cstdint>

#include "foundation/VekPointF.h"

namespace orvel {

// Where a PDF417 symbol seems to be: the outer edge of its start pattern
// and, when one was seen, of its stop pattern, each from its first to its
// last scan line crossing, plus what the crossings measured.
struct TVekPDF417Candidate {
    TVekPointF startFirst;  // start pattern's outer edge on the first crossing line
    TVekPointF startLast;
    TVekPointF stopFirst;   // the same for the stop pattern, when hasStop
    TVekPointF stopLast;
    bool hasStop = false;
    TVekPointF across;      // unit vector from the start into the symbol, square to its left edge
    double module = 0;      // pixels per module across the rows
    // Data columns the start to stop distance suggests in units of both
    // patterns' modules, of the start's and of the stop's (a damaged pattern
    // measures wrong); 0 where none.
    std::array<int32_t, 3> columns{};
    int32_t support = 0;    // scan lines that crossed the start pattern
};

}  // namespace orvel
