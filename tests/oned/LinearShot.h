#pragma once

#include <random>
#include <string>
#include <vector>

#include "foundation/VekGreyImage.h"
#include "oned/VekBarRow.h"

namespace orvel::test {

// The middle row of a linear symbol zint renders (`zint <arguments>
// --dump`), without the padding to whole hex digits; empty when zint fails.
std::vector<int> linearModules(const std::string& zintArguments);

// The modules (1 = bar) as a scan line at `pixelsPerModule`, with ten
// modules of quiet zone on each side: sharp edges, for the line decoders.
TVekBarRow barRowOf(const std::vector<int>& modules, double pixelsPerModule = 2);

// How a linear symbol is photographed.
struct TLinearShot {
    double pixelsPerModule = 2;
    double degrees = 0;   // turned clockwise about the picture's centre
    int blurRadius = 0;   // box blur, pixels
    double noise = 0;     // grey levels (standard deviation)
};

// The bars with a quiet zone of ten modules, turned, blurred and noisy.
TVekGreyImage photographBars(const std::vector<int>& modules, const TLinearShot& shot, std::mt19937& random);

}  // namespace orvel::test
