#pragma once

#include <cstdint>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekGreyImage.h"

namespace orvel {

enum class TVekBinarizerKind { global, local };

// The settings of the local binarizer.
struct TVekLocalBinarizerSettings {
    int blockSize = 8;       // pixels per side of a block
    int neighbourhood = 2;   // blocks on each side averaged into a block's threshold
    int minContrast = 24;    // a block with less spread than this is flat and takes its neighbours' threshold
};

// The iterative global threshold of the whole picture (as the classic
// readers use it): a pixel is dark when its level is at most the threshold.
TVekBitMatrix binarizeGlobal(const TVekGreyImage& grey);

// A threshold per block of pixels: the mean of each block with enough
// contrast, averaged over the neighbouring blocks. Flat blocks take the
// average of the contrasted blocks around them, so that the inside of a large
// dark module stays dark while a flat background with no contrast nearby
// becomes light instead of noise. Copes with uneven light and shadows.
TVekBitMatrix binarizeLocal(const TVekGreyImage& grey, const TVekLocalBinarizerSettings& settings = {});

TVekBitMatrix binarize(const TVekGreyImage& grey, TVekBinarizerKind kind);

}  // namespace orvel
