#pragma once

#include <array>
#include <cstdint>

#include "foundation/VekPointF.h"

namespace orvel {

// The fixed layout of a MaxiCode symbol: 33 rows of 30 hexagonal modules,
// odd rows set half a module to the right, the bull's-eye in the middle and
// the orientation clusters around it. Positions are in module widths from
// the bull's-eye centre, x to the right and y down the rows.
class TVekMaxiCodeGrid {
public:
    static constexpr int32_t rows = 33;
    static constexpr int32_t columns = 30;
    static constexpr int32_t codewords = 144;
    static constexpr int32_t bits = codewords * 6;

    // The distance between rows: hexagons of unit width packed tight.
    static constexpr double rowPitch = 0.866;

    // The radius of the middle of the light gap inside the outer ring, in
    // module widths: printers differ by some percent (3.2 to 3.35), in the
    // light centre by more.
    static constexpr double outerGapMiddle = 3.27;

    // The centre of module (row, column).
    static TVekPointF moduleCentre(int32_t row, int32_t column) {
        return {column + 0.5 * (row & 1) - 14.0, rowPitch * (row - 16)};
    }

    // Which bit of which codeword the module carries, codeword * 6 + bit with
    // bit 0 the most significant; -1 for the bull's-eye, the orientation
    // modules and the unused corner.
    static int32_t bitAt(int32_t row, int32_t column);

    struct TOrientationModule {
        int8_t row;
        int8_t column;
        bool dark;
    };
    // The modules of the six orientation clusters whose shade never changes.
    static const std::array<TOrientationModule, 18>& orientationModules();

    // The symbol's outline: top-left, top-right, bottom-right, bottom-left.
    static std::array<TVekPointF, 4> outline();
};

}  // namespace orvel
