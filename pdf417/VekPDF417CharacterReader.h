#pragma once

#include <cstdint>

#include "pdf417/VekPDF417EdgeList.h"

namespace orvel {

// One symbol character read from the edges of a row profile: its four bars
// and four spaces measured edge to similar edge (bar start to bar start,
// space start to space start), which the spread of ink leaves alone, each
// scaled to the 17 modules of the character.
struct TVekPDF417Character {
    int32_t value = -1;    // codeword 0 ... 928, -1 when nothing read
    int32_t cluster = -1;  // 0, 1, 2 for the clusters 0, 3, 6
    double start = 0;      // where its first bar begins
    double end = 0;        // where the next character's first bar begins
    bool fitted = false;   // read by its nearest fit (TVekPDF417Tolerance), not by rounding
    bool valid() const { return value >= 0; }
};

// How far a reading may stray from whole modules. Modules of about a pixel
// place every edge on a pixel border, so an element can measure a whole
// module too wide or too narrow: `aliased` then accepts, when the plain
// reading fails, the one character of the wanted cluster (-1: any) whose
// modules lie nearest to the measured widths.
struct TVekPDF417Tolerance {
    bool aliased = false;
    int32_t cluster = -1;
};

class TVekPDF417CharacterReader {
public:
    // The character whose first bar begins at the bar edge nearest to
    // `expected` (within `reach`), with the profile in modules.
    static TVekPDF417Character readNear(const TVekPDF417EdgeList& edges, double expected, double reach,
                                        TVekPDF417Tolerance tolerance = {});
    // The character whose first bar begins at edge `first`.
    static TVekPDF417Character readAt(const TVekPDF417EdgeList& edges, int32_t first,
                                      TVekPDF417Tolerance tolerance = {});

private:
    static TVekPDF417Character readPlain(const TVekPDF417EdgeList& edges, int32_t first);
    static TVekPDF417Character readNearest(const TVekPDF417EdgeList& edges, int32_t first, int32_t cluster);
};

}  // namespace orvel
