#include "datamatrix/VekDatamatrixGridDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "datamatrix/VekDatamatrixBentGrid.h"
#include "datamatrix/VekDatamatrixDecoder.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"
#include "datamatrix/VekDatamatrixTimingEdges.h"
#include "foundation/VekException.h"
#include "foundation/VekGridSampler.h"
#include "foundation/VekPerspectiveTransform.h"

namespace orvel {

namespace {

// Sizes tried for one count: a blurred clock track can lose or gain a few
// dark modules, more on large symbols.
constexpr size_t MAX_SIZES = 3;
// Finder and clock modules that may read wrong before the grid is refused.
constexpr double MAX_PATTERN_ERRORS = 0.15;
constexpr double REPORTED_PATTERN_ERRORS = 0.04;

}  // namespace

std::vector<int32_t> TVekDatamatrixGridDecoder::sizesFor(int32_t darkTop, int32_t darkRight) {
    std::vector<std::pair<int32_t, int32_t>> scored;
    for (int32_t i = 0; i < DM_ALL_SYMBOL_SIZE_COUNT; ++i) {
        const auto& size = symbolSizeRow(i);
        const int32_t miss = std::abs(size[DM_SYMBOL_COLS] / 2 - darkTop) + std::abs(size[DM_SYMBOL_ROWS] / 2 - darkRight);
        const int32_t allowed = std::max(2, size[DM_SYMBOL_COLS] / 24);
        if (miss <= allowed) scored.push_back({miss, i});
    }
    std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int32_t> sizes;
    for (size_t k = 0; k < scored.size() && k < MAX_SIZES; ++k) sizes.push_back(scored[k].second);
    return sizes;
}

// The solid left column and bottom row, and the alternating top row and
// right column (dark at the top-left, light at the top-right).
double TVekDatamatrixGridDecoder::finderPatternErrors(const TVekBitMatrix& modules) {
    const int32_t cols = modules.width();
    const int32_t rows = modules.height();
    int32_t wrong = 0;
    for (int32_t c = 0; c < cols; ++c) {
        wrong += !modules.get(c, rows - 1);
        wrong += modules.get(c, 0) != (c % 2 == 0);
    }
    for (int32_t r = 0; r < rows; ++r) {
        wrong += !modules.get(0, r);
        wrong += modules.get(cols - 1, r) != (r % 2 == 1);
    }
    return static_cast<double>(wrong) / (2 * (rows + cols));
}

// Region matrices as the decoding takes them: each from its solid bottom
// edge (row 0) up to its clock row, the bottom regions first.
std::vector<TIntegerMatrix> TVekDatamatrixGridDecoder::regionsOf(const TVekBitMatrix& modules, int32_t regionRows,
                                                                 int32_t regionCols) {
    const int32_t rows = modules.height();
    const int32_t height = regionRows + 2;
    const int32_t width = regionCols + 2;
    const int32_t up = rows / height;
    const int32_t across = modules.width() / width;
    std::vector<TIntegerMatrix> regions;
    regions.reserve(static_cast<size_t>(up * across));
    for (int32_t q = 0; q < up; ++q) {
        for (int32_t p = 0; p < across; ++p) {
            TIntegerMatrix region(static_cast<size_t>(height), TVectorInteger(static_cast<size_t>(width)));
            for (int32_t r = 0; r < height; ++r) {
                const int32_t y = rows - 1 - (q * height + r);
                for (int32_t c = 0; c < width; ++c) region[r][c] = modules.get(p * width + c, y) ? 1 : 0;
            }
            regions.push_back(std::move(region));
        }
    }
    return regions;
}

std::optional<TVekBitMatrix> TVekDatamatrixGridDecoder::sampleEven(const TVekBitMatrix& picture,
                                                                   const std::array<TVekPointF, 4>& corners,
                                                                   int32_t cols, int32_t rows) {
    const std::array<TVekPointF, 4> grid = {TVekPointF{0, 0}, TVekPointF{static_cast<double>(cols), 0},
                                            TVekPointF{static_cast<double>(cols), static_cast<double>(rows)},
                                            TVekPointF{0, static_cast<double>(rows)}};
    const auto moduleToPicture = TVekPerspectiveTransform::quadToQuad(grid, corners);
    if (!moduleToPicture) return std::nullopt;
    return TVekGridSampler::sample(picture, cols, rows, *moduleToPicture);
}

// Module centres (unit-square fractions) between the measured edges:
// changes[firstEdge ...] are the inner edges, the frame's sides the outer
// ones.
std::optional<std::vector<double>> TVekDatamatrixGridDecoder::centres(const std::vector<double>& changes,
                                                                      size_t firstEdge, int32_t modules) {
    if (changes.size() != firstEdge + static_cast<size_t>(modules) - 1) return std::nullopt;
    std::vector<double> result(static_cast<size_t>(modules));
    double previous = 0;
    for (int32_t k = 0; k < modules; ++k) {
        const double next = k + 1 < modules ? changes[firstEdge + static_cast<size_t>(k)] : 1.0;
        result[static_cast<size_t>(k)] = 0.5 * (previous + next);
        previous = next;
    }
    return result;
}

std::optional<TVekBitMatrix> TVekDatamatrixGridDecoder::sampleClocked(const TVekBitMatrix& picture,
                                                                      const std::array<TVekPointF, 4>& corners,
                                                                      int32_t cols, int32_t rows) {
    const TVekPerspectiveTransform unit = TVekPerspectiveTransform::squareToQuad(corners);
    const double topLength = distance(corners[0], corners[1]);
    const double rightLength = distance(corners[1], corners[2]);
    const double down = 0.5 / rows;
    const double in = 1 - 0.5 / cols;
    // The top row starts dark at the frame's side (a change at 0 first); the
    // right column starts light.
    const auto columns = centres(
        TVekDatamatrixTimingEdges::colourChanges(picture, unit, {0, down}, {1, down}, topLength, topLength / cols), 1,
        cols);
    const auto rowCentres = centres(
        TVekDatamatrixTimingEdges::colourChanges(picture, unit, {in, 0}, {in, 1}, rightLength, rightLength / rows), 0,
        rows);
    if (!columns || !rowCentres) return std::nullopt;
    TVekBitMatrix modules(cols, rows);
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) {
            const TVekPointF p = unit.map({(*columns)[static_cast<size_t>(c)], (*rowCentres)[static_cast<size_t>(r)]});
            if (!(p.x >= -1 && p.y >= -1 && p.x <= picture.width() && p.y <= picture.height())) return std::nullopt;
            modules.set(c, r, picture.getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y))));
        }
    }
    return modules;
}

std::optional<TVectorInteger> TVekDatamatrixGridDecoder::decode(const TVekBitMatrix& picture,
                                                                const std::array<TVekPointF, 4>& corners,
                                                                int32_t sizeIndex, TGrid grid, std::string& error,
                                                                double* patternErrors) {
    const auto& size = symbolSizeRow(sizeIndex);
    const int32_t rows = size[DM_SYMBOL_ROWS];
    const int32_t cols = size[DM_SYMBOL_COLS];
    const auto modules = grid == TGrid::even      ? sampleEven(picture, corners, cols, rows)
                         : grid == TGrid::clocked ? sampleClocked(picture, corners, cols, rows)
                                                  : TVekDatamatrixBentGrid::sample(picture, corners, sizeIndex);
    if (!modules) {
        error = grid == TGrid::even ? "Symbol leaves the picture" : "Clock tracks do not match the size";
        return std::nullopt;
    }
    return decodeModules(*modules, sizeIndex, error, patternErrors);
}

std::optional<TVectorInteger> TVekDatamatrixGridDecoder::decodeModules(const TVekBitMatrix& modules,
                                                                       int32_t sizeIndex, std::string& error,
                                                                       double* lowestPatternErrors) {
    const auto& size = symbolSizeRow(sizeIndex);
    const int32_t rows = size[DM_SYMBOL_ROWS];
    const int32_t cols = size[DM_SYMBOL_COLS];
    const double patternErrors = finderPatternErrors(modules);
    if (lowestPatternErrors != nullptr) *lowestPatternErrors = std::min(*lowestPatternErrors, patternErrors);
    if (patternErrors > MAX_PATTERN_ERRORS) {
        error = "No finder pattern";
        return std::nullopt;
    }
    const int32_t regionRows = size[DM_REGION_ROWS];
    const int32_t regionCols = size[DM_REGION_COLS];
    TVekDatamatrixDecoder decoder;
    decoder.setExtendedSymbolSize(sizeIndex);
    TVectorInteger codewords;
    try {
        decoder.decodeRegions(regionsOf(modules, regionRows, regionCols), rows / (regionRows + 2), codewords,
                              cols / (regionCols + 2));
    } catch (const TVekException& e) {
        // Only a clean finder pattern makes a failure worth reporting: a
        // pattern this close by chance is clutter.
        error = patternErrors > REPORTED_PATTERN_ERRORS ? "No finder pattern" : e.what();
        return std::nullopt;
    }
    return codewords;
}

}  // namespace orvel
