#pragma once

#include <array>
#include <optional>
#include <vector>

#include "datamatrix/VekDatamatrixCornerFinder.h"
#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"

namespace orvel {

// A symbol's outline in the picture: the corners top-left, top-right,
// bottom-right, bottom-left as in an upright symbol (the solid L on the left
// and bottom), and the module size measured on the L.
struct TVekDatamatrixFrame {
    std::array<TVekPointF, 4> corners;
    double moduleSize = 1;
};

// How far outside the edge predicted from the L its dark timing modules are
// looked for: well outside, so that perspective can bend the edge away from
// the prediction, or only within the quiet zone, so that a line printed
// around the symbol a module away is not taken for its edge.
enum class TVekDatamatrixEdgeSearch { wide, withinQuietZone };

// Reads the two dashed timing edges of a symbol whose solid L is known: each
// edge is the line along the outer sides of its dark modules, the fourth
// corner is where the two edges meet (so that a tilted symbol gets a true
// perspective outline), and the dark modules along each edge count the
// symbol's columns and rows.
class TVekDatamatrixTimingEdges {
public:
    // The module size of the symbol on an L, measured on the L and its
    // timing rows; none when the L is too thick for its sides (a blot or
    // the corner of a solid blob) or the lines along its timing rows cross
    // hardly any dark runs.
    static std::optional<double> module(const TVekBitMatrix& picture, const TVekDatamatrixL& l);

    // The outline of the symbol on an L whose module size is known.
    static std::optional<TVekDatamatrixFrame> frame(const TVekBitMatrix& picture, const TVekDatamatrixL& l,
                                                    double module, TVekDatamatrixEdgeSearch search);

    // Dark modules along the top edge and along the right edge.
    static std::array<int32_t, 2> darkModules(const TVekBitMatrix& picture, const TVekDatamatrixFrame& frame);

    // Where the colour changes along a line given in unit-square coordinates
    // of `unitToPicture` (fractions of the line, the line starting light),
    // with runs much shorter than a module smoothed away as noise.
    static std::vector<double> colourChanges(const TVekBitMatrix& picture,
                                             const TVekPerspectiveTransform& unitToPicture, TVekPointF from,
                                             TVekPointF to, double pixelLength, double modulePixels);

private:
    static std::optional<double> moduleSize(const TVekBitMatrix& picture, const TVekDatamatrixL& l);
    static std::optional<double> steadyRun(std::vector<double>& runs, double fromL, bool& alternating);
    static std::optional<double> timingModule(const TVekBitMatrix& picture, const TVekDatamatrixL& l, double fromL);
    static void innerPairs(const TVekBitMatrix& picture, TVekPointF from, TVekPointF to,
                           std::vector<double>& pairs);
    static std::optional<TVekDatamatrixEdgeLine> timingEdge(const TVekBitMatrix& picture, TVekPointF from,
                                                            TVekPointF towards, TVekPointF inside, double module,
                                                            TVekDatamatrixEdgeSearch search);
};

}  // namespace orvel
