#pragma once

#include <cstdint>
#include <vector>

#include "pdf417/VekPDF417EdgeList.h"
#include "pdf417/VekPDF417GuardFinder.h"

namespace orvel {

// A row address pattern read from the edges of a row profile.
struct TVekMicroPDF417Rap {
    int32_t number = 0;   // 1 ... 52, 0 when nothing read
    bool centre = false;  // of the centre cycle
    double start = 0;     // its first bar's edge
    double end = 0;       // where the bar after it begins
    bool valid() const { return number > 0; }
};

// Reads MicroPDF417's row address patterns, like the symbol characters
// edge to similar edge so that ink spread does not matter, and finds the
// left and right edges of MicroPDF417 rows on a scan line.
class TVekMicroPDF417RapReader {
public:
    // The pattern whose first bar begins at edge `first`.
    static TVekMicroPDF417Rap readAt(const TVekPDF417EdgeList& edges, int32_t first);
    // The pattern whose first bar begins at the bar edge nearest to
    // `expected` (within `reach`), the profile in modules.
    static TVekMicroPDF417Rap readNear(const TVekPDF417EdgeList& edges, double expected, double reach);

    // The rows' left edges (a left RAP after a quiet zone, then a symbol
    // character) as starts, and their right edges (a symbol character, a
    // right RAP, the stop bar, then a quiet zone) as stops.
    static void findGuards(const TVekPDF417EdgeList& edges, std::vector<TVekPDF417Guard>& guards);
};

}  // namespace orvel
