#pragma once

#include <optional>

#include "foundation/VekImage.h"

namespace orvel {

// A new picture of the same size holding only BLACK and WHITE: a pixel is
// WHITE when its grey level is above the histogram threshold (a grey level
// equal to the threshold is black). The source is not changed.
TVekImage toBlackAndWhite(TVekImage& image);

// Makes the black-and-white picture a reader works on. The contrast of
// `picture` is stretched first when `enhanceContrast` is set. A `binaryInput`
// picture is black and white already and is worked on itself (white holes
// filled in place when `fillHoles`): nothing is returned then. Otherwise the
// result is a thresholded copy, its white holes filled when `fillHoles`.
std::optional<TVekImage> readerBlackAndWhite(TVekImage& picture, bool enhanceContrast, bool binaryInput,
                                             bool fillHoles);

}  // namespace orvel
