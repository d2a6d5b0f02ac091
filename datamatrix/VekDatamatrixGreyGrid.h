#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekPointF.h"

namespace orvel {

// The modules of a symbol read from the grey picture instead of a
// binarization: for blurred photographs, where neighbouring dark modules
// run together in any binarization but the grey level at each module's
// centre still tells dark from light against the symbol's own levels.
//
// The module centres follow the two clock tracks: along each track the
// dark-light alternation is fitted as a whole (every centre within a module
// of where an even grid puts it), so that a symbol on a curved surface,
// whose modules narrow towards its sides, keeps its columns and rows.
class TVekDatamatrixGreyGrid {
public:
    // Ways of telling dark from light, tried in turn: against the levels of
    // the clock tracks, against the modules around each one, and after
    // undoing some of the blur between neighbours.
    static constexpr int32_t THRESHOLDS = 3;

    // corners: top-left, top-right, bottom-right, bottom-left of the symbol
    // as it stands upright, in the grey picture's coordinates. None when the
    // symbol leaves the picture.
    static std::optional<TVekDatamatrixGreyGrid> sample(const TVekGreyImage& grey,
                                                        const std::array<TVekPointF, 4>& corners, int32_t cols,
                                                        int32_t rows);

    // Dark modules along the top and the right edge of an outline, counted
    // on the grey levels half a module (`modulePixels`) inside: blur merges
    // dark clock modules with their dark neighbours in a binarization.
    static std::array<int32_t, 2> darkModules(const TVekGreyImage& grey, const std::array<TVekPointF, 4>& corners,
                                              double modulePixels);

    // The modules (1 = dark) under threshold `kind` (0 .. THRESHOLDS - 1).
    TVekBitMatrix modules(int32_t kind) const;

    // Centres (fractions of a line, 0 to 1) of `count` modules along a
    // profile of grey levels sampled evenly over the line, module k dark
    // when k % 2 == darkParity: the placement that fits the alternation
    // best with steps between 0.6 and 1.5 modules. Exposed for the tests.
    static std::vector<double> fitClock(const std::vector<double>& profile, int32_t count, int32_t darkParity,
                                        double* score = nullptr);

private:
    TVekDatamatrixGreyGrid(int32_t cols, int32_t rows) : cols_(cols), rows_(rows) {
        levels_.resize(static_cast<size_t>(cols) * static_cast<size_t>(rows));
    }
    // Where the modules lie: the outline, and how far its rows bow down at
    // their middle (unit-square coordinates, negative up).
    struct TPlacement {
        std::array<TVekPointF, 4> corners;
        double bow;
    };
    // The outline with its top and right edges moved to where the clock
    // tracks alternate most clearly (the binarized edges of a blurred
    // symbol lean by a pixel or two, a third of a module), and its rows'
    // bow.
    static TPlacement refined(const TVekGreyImage& grey, std::array<TVekPointF, 4> corners, int32_t cols,
                              int32_t rows);
    double level(int32_t c, int32_t r) const { return levels_[static_cast<size_t>(r * cols_ + c)]; }
    double clockThreshold() const;
    double sharpened(int32_t c, int32_t r) const;
    double localMean(int32_t c, int32_t r) const;

    int32_t cols_;
    int32_t rows_;
    std::vector<double> levels_;  // row-major, grey levels (0 dark)
};

}  // namespace orvel
