#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPointF.h"

namespace orvel {

// The outer boundaries of the larger dark regions of a binarized picture
// (8-connected), each as the chain of its boundary pixel centres. A Data
// Matrix's solid L joins the dark modules next to it into one region whose
// boundary holds the L's two long straight outer sides.
class TVekDatamatrixOutlines {
public:
    using TOutline = std::vector<TVekPointF>;

    // Regions whose bounding box has a side of at least minSide pixels, the
    // largest first, at most maxCount of them.
    static std::vector<TOutline> find(const TVekBitMatrix& picture, int32_t minSide, size_t maxCount);

    struct TRegion {
        int32_t seedX, seedY;  // the region's first pixel in reading order
        int32_t width, height;
        size_t pixels;
        int32_t left = 0;  // the bounding box's left column
    };
    // The same regions untraced, for a caller that traces only those it
    // gets to before it finds a symbol.
    static std::vector<TRegion> largestRegions(const TVekBitMatrix& picture, int32_t minSide, size_t maxCount);
    static TOutline trace(const TVekBitMatrix& picture, const TRegion& region);

private:
    static std::vector<TRegion> regions(const TVekBitMatrix& picture, int32_t minSide);
};

}  // namespace orvel
