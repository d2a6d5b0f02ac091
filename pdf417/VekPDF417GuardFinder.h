#pragma once

#include <cstdint>
#include <vector>

#include "pdf417/VekPDF417EdgeList.h"

namespace orvel {

// A start or stop pattern met on a scan line read in one direction.
struct TVekPDF417Guard {
    bool isStart = true;
    double outerEdge = 0;  // the start's first bar edge, or the stop's last bar edge
    double module = 0;     // the pattern's width over its modules
};

// Finds the start pattern (bars and spaces 8 1 1 1 1 1 1 3) and the stop
// pattern (7 1 1 3 1 1 1 2 1) among the edges of a scan line, comparing
// their edge-to-similar-edge widths so that ink spread does not matter.
class TVekPDF417GuardFinder {
public:
    static void find(const TVekPDF417EdgeList& edges, std::vector<TVekPDF417Guard>& guards);

private:
    static bool matches(const TVekPDF417EdgeList& edges, int32_t first, const int32_t* pairs, int32_t elements,
                        int32_t modules);
};

}  // namespace orvel
