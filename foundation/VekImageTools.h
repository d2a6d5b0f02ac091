#pragma once

#include "foundation/VekImage.h"

namespace orvel {

// A new picture of the same size holding only BLACK and WHITE: a pixel is
// WHITE when its grey level is above the histogram threshold (a grey level
// equal to the threshold is black). The source is not changed.
TVekImage toBlackAndWhite(TVekImage& image);

}  // namespace orvel
