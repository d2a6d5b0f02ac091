#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPointF.h"
#include "foundation/VekUtil.h"

namespace orvel {

// Reads one symbol of a known size through its four corners: samples the
// module grid, checks the finder and clock modules, cuts the data regions
// and hands them to the placement and Reed-Solomon correction.
class TVekDatamatrixGridDecoder {
public:
    // The symbol sizes (rows of symbolSizeRow) whose clock tracks hold
    // about the counted dark modules along the top and the right edge,
    // nearest first.
    static std::vector<int32_t> sizesFor(int32_t darkTop, int32_t darkRight);

    // How the module centres are placed between the corners: evenly, or
    // column by column and row by row where the clock tracks' edges show
    // them (for printers and scanners that stretch parts of a symbol), or
    // bent along the measured lines of a symbol of several data regions
    // (for curved surfaces and wide lenses).
    enum class TGrid { even, clocked, bent };

    // corners: top-left, top-right, bottom-right, bottom-left of the symbol
    // as it stands upright. The corrected data codewords, or none with the
    // reason in `error`. `patternErrors`, when given, is lowered to the
    // share of finder and clock modules that read wrong, if the grid could
    // be sampled.
    static std::optional<TVectorInteger> decode(const TVekBitMatrix& picture, const std::array<TVekPointF, 4>& corners,
                                                int32_t sizeIndex, TGrid grid, std::string& error,
                                                double* patternErrors = nullptr);
    // The same for a module matrix sampled elsewhere (cols x rows of the
    // size, 1 = dark).
    static std::optional<TVectorInteger> decodeModules(const TVekBitMatrix& modules, int32_t sizeIndex,
                                                       std::string& error, double* patternErrors = nullptr);

private:
    static std::optional<TVekBitMatrix> sampleEven(const TVekBitMatrix& picture,
                                                   const std::array<TVekPointF, 4>& corners, int32_t cols,
                                                   int32_t rows);
    static std::optional<TVekBitMatrix> sampleClocked(const TVekBitMatrix& picture,
                                                      const std::array<TVekPointF, 4>& corners, int32_t cols,
                                                      int32_t rows);
    static std::optional<std::vector<double>> centres(const std::vector<double>& changes, size_t firstEdge,
                                                      int32_t modules);
    // The share of finder and clock modules that read wrong.
    static double finderPatternErrors(const TVekBitMatrix& modules);
    static std::vector<TIntegerMatrix> regionsOf(const TVekBitMatrix& modules, int32_t regionRows,
                                                 int32_t regionCols);
};

}  // namespace orvel
