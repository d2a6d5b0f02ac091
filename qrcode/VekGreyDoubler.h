#pragma once

#include "foundation/VekGreyImage.h"

namespace orvel {

// Pictures whose modules are too small for the binarizer are read at twice
// their size.
class TVekGreyDoubler {
public:
    // The picture at twice its size, each new pixel interpolated between its
    // neighbours: the binarizer then places edges to half a pixel, which modules of
    // one or two pixels need (repeating pixels would add no information). New
    // pixel centres fall a quarter pixel either side of an old one, so the
    // weights are 3/4 and 1/4 in each direction (edge pixels repeat).
    static TVekGreyImage doubled(const TVekGreyImage& grey);
};

}  // namespace orvel
