#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"
#include "foundation/VekPointF.h"

namespace orvel {

// Samples a symbol of several data regions whose picture is bent (a curved
// surface, a wide lens): one perspective map from the four corners then
// misses modules by one or more in parts of the symbol.
//
// Every region has its own solid and dashed sides, so the symbol is crossed
// by lines of known modules. Their edges are measured where the picture
// shows them (outer edges first, then the solid inner lines against the
// light dashes beside them, then the dash changes along each dashed line)
// as displacements in module units from the corners' perspective map, and
// the displacement between the lines is interpolated from the four lines
// round each region (a Coons patch: linear across, corrected by the lines
// along).
class TVekDatamatrixBentGrid {
public:
    // corners: top-left, top-right, bottom-right, bottom-left of the symbol
    // as it stands upright. The modules (dark = 1), none when the lines are
    // not found or the symbol has one region only.
    static std::optional<TVekBitMatrix> sample(const TVekBitMatrix& picture, const std::array<TVekPointF, 4>& corners,
                                               int32_t sizeIndex);

    // A measured line of one displacement component: where the line lies
    // (module units across), and the displacement at each sample along it
    // (sample k lies at k + offset).
    struct TLine {
        double at = 0;
        double offset = 0;
        std::vector<double> values;
    };

    // One displacement component over the symbol: lines crossing the
    // component's axis (a left or right edge for the x component) and dashed
    // lines along it. u runs along the component's axis, v across.
    struct TField {
        std::vector<TLine> crossing;
        std::vector<TLine> along;
        double value(double u, double v) const;

    private:
        double base(double u, double v) const;
    };
};

}  // namespace orvel
