#pragma once

#include <cstdint>

#include "pdf417/VekPDF417EdgeList.h"

namespace orvel {

// Puts the edges of a row profile of modules of about a pixel on whole
// modules. Such a row shows each module over one pixel, now and then over
// two, so a character's elements measure a module too wide here and there
// and a character alone cannot tell which. Along the whole row, though,
// modules and pixels keep one ratio: fitted over the bar edges that begin
// characters (every 17 modules) and then over all edges, it tells each
// edge's module.
class TVekPDF417RowSnapper {
public:
    // `characters`: how many 17-module characters begin at 0, 17, 34, ...
    // (profile units, about a module each). False when too few of them
    // show.
    static bool snap(const TVekPDF417EdgeList& edges, int32_t characters, TVekPDF417EdgeList& snapped);

private:
    struct TFit {
        double scale = 1;   // profile units per module
        double offset = 0;  // profile position of module 0
    };
    static bool fitStarts(const TVekPDF417EdgeList& edges, int32_t characters, TFit& fit);
    static bool fitAll(const TVekPDF417EdgeList& edges, TFit& fit);
};

}  // namespace orvel
