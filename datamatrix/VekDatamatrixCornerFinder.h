#pragma once

#include <cstddef>
#include <vector>

#include "datamatrix/VekDatamatrixEdgeLine.h"
#include "datamatrix/VekDatamatrixOutlines.h"
#include "foundation/VekBitMatrix.h"

namespace orvel {

// A solid L seen in a picture: two long straight dark edges meeting at a
// corner. Named as in an upright symbol: `first` the left side from its top
// end down to the corner, `second` the bottom side from the corner to its
// right end (a mirrored symbol shows the two the other way round). The
// lines lie on the outer edges of the dark pixels.
struct TVekDatamatrixL {
    TVekPointF corner;
    TVekPointF firstEnd;
    TVekPointF secondEnd;
    TVekDatamatrixEdgeLine firstSide;
    TVekDatamatrixEdgeLine secondSide;
};

// Finds solid L candidates on a region outline: the outline is simplified
// into straight pieces, and two long pieces meeting at a convex corner whose
// pixels just inside are dark all along make an L.
class TVekDatamatrixCornerFinder {
public:
    // minSide: the shortest side (pixels) an L may have.
    static std::vector<TVekDatamatrixL> find(const TVekBitMatrix& picture,
                                             const TVekDatamatrixOutlines::TOutline& outline, double minSide);

private:
    struct TPiece {
        size_t from, to;  // outline indices, to after from (modulo the size)
    };
    static std::vector<size_t> simplify(const TVekDatamatrixOutlines::TOutline& outline, double tolerance);
    static std::vector<TPiece> straightPieces(const TVekDatamatrixOutlines::TOutline& outline,
                                              const std::vector<size_t>& vertices);
    static std::optional<TVekDatamatrixEdgeLine> fitPiece(const TVekDatamatrixOutlines::TOutline& outline,
                                                          const TPiece& piece);
    static bool isSolid(const TVekBitMatrix& picture, const TVekDatamatrixEdgeLine& side, TVekPointF from,
                        TVekPointF to, TVekPointF inside);
};

}  // namespace orvel
