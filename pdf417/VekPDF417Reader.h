#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/VekHashTable.h"
#include "foundation/VekImage.h"
#include "foundation/VekROrvelConfiguration.h"
#include "foundation/VekLine.h"
#include "foundation/VekUtil.h"
#include "foundation/VekVectorizedImage.h"
#include "oned/VekBarcode1DObject.h"
#include "pdf417/VekPDF417Area.h"
#include "pdf417/VekPDF417Data.h"
#include "pdf417/VekScanCodeword.h"
#include "pdf417/VekScanLine.h"

namespace orvel {

using TVekPDF417DataArray = std::vector<TVekPDF417Data>;

// Finds PDF417 symbols by their start and stop patterns, scans every symbol
// row by row into votes for its codewords, corrects the codeword matrix and
// decodes it. One reader reads one picture at a time.
class TVekPDF417Reader {
public:
    static constexpr int32_t MAX_ROWS = 90;
    static constexpr int32_t MAX_COLUMNS = 90;        // cells per row a scan line may vote into
    static constexpr int32_t POSITION_COLUMNS = 31;   // data columns whose start positions are kept
    static constexpr int32_t CHARACTER_ELEMENTS = 8;  // bars and spaces of one symbol character
    static constexpr int32_t CHARACTER_MODULES = 17;

    // Pattern flags of a 1D candidate.
    static constexpr int32_t START_AT_BEGINNING = 1;
    static constexpr int32_t STOP_AT_END = 2;
    static constexpr int32_t START_REVERSED_AT_END = 4;
    static constexpr int32_t STOP_REVERSED_AT_BEGINNING = 8;

    using TCharacterWidths = std::array<int32_t, 6>;

    TVekPDF417Reader();
    // With the given settings instead of the process-wide ones: the reader and
    // the parts it makes never read orvelConfiguration, so readers with
    // settings of their own may run on several threads.
    explicit TVekPDF417Reader(const TVekROrvelConfiguration& settings);

    // The records of the symbols read, the last candidate area first.
    TVekPDF417DataArray read(TVekImage& image);
    void read(TVekImage& image, TVekPDF417DataArray& result) { result = read(image); }

    std::vector<TVekPDF417Area> findAreas(const TVekImage& image, TVekVectorizedImage& vectorized) const;
    // Compares widths[index ... index + count - 1] with the first count values
    // of pattern, bars and spaces each in units of their 1-module elements.
    static bool matchPattern(const TVectorDouble& widths, int32_t index, int32_t count, const int32_t* pattern);
    static bool isParallel(double tolerance, double angle1, double angle2);
    std::optional<TVekPDF417Data> readArea(const TVekImage& image, const TVekPDF417Area& area);
    // readArea, and when that gives no corrected record, readArea again with
    // the start bar's axis turned by a pixel at either end.
    std::optional<TVekPDF417Data> readAreaWithRetry(const TVekImage& image, const TVekPDF417Area& area);

    // Row scanning.
    void scanRow(const TVekImage& image, const TVekLine& line);
    // The six edge-to-edge widths in modules of the character whose first
    // element starts recorded distance index; 0 for a width outside every
    // band. The caller makes sure distances index ... index + 8 exist.
    static TCharacterWidths normaliseCodeword(const TVectorInteger& widths, const TVectorInteger& positions,
                                              int32_t index);
    // (e1 - e2 + e5 - e6 + 9) mod 9: 0, 3 and 6 are clusters, anything else
    // rejects the character.
    static int32_t clusterOf(const TCharacterWidths& widths);
    // Codeword 0 ... 928 of cluster index k (0, 1, 2), or -1.
    static int32_t lookupCodeword(const TCharacterWidths& widths, int32_t k);
    void vote(int32_t value, int32_t row, bool set, int32_t column);

    // Read access to the vote state of the last candidate.
    const TVekScanCodeword& cell(int32_t row, int32_t column) const {
        return cells[static_cast<size_t>(row) * MAX_COLUMNS + static_cast<size_t>(column)];
    }
    const TVekScanCodeword& getRowGroupVotes() const { return rowGroupVotes; }
    const TVekScanCodeword& getRowRestVotes() const { return rowRestVotes; }
    const TVekScanCodeword& getColumnVotes() const { return columnVotes; }
    const TVekScanCodeword& getEcLevelVotes() const { return ecLevelVotes; }
    // The scan lines kept for a row (those that ended at a damaged character
    // without changing row), or null.
    const std::vector<TVekScanLine>* storedLines(int32_t row) const;

    bool debug;
    bool debugMore = false;
    bool imageIsBlackAndWhite = false;

private:
    // The settings given to the constructor; none: the process-wide ones,
    // copied when each part is made.
    std::optional<TVekROrvelConfiguration> settings_;
    struct TSymbolShape {
        int32_t rows = 0;
        int32_t columns = 0;
        int32_t eccCount = 0;
    };

    TVekScanCodeword& cellAt(int32_t row, int32_t column) {
        return cells[static_cast<size_t>(row) * MAX_COLUMNS + static_cast<size_t>(column)];
    }
    void resetVotes();
    void scanLinesAcross(const TVekImage& image, const TVekPDF417Area& area);
    void voteRowIndicator(int32_t value, int32_t k);
    void storeLine(int32_t row, const TVekScanLine& scanLine);
    // The shape the row indicator votes give, or none; with report the
    // reason for none goes to the diagnostics.
    std::optional<TSymbolShape> symbolShape(bool report) const;
    std::array<int32_t, POSITION_COLUMNS> columnCentres() const;
    void fillUnvotedCells(const TSymbolShape& shape, const std::array<int32_t, POSITION_COLUMNS>& centres,
                          double columnWidth);
    bool fillFromLine(int32_t row, int32_t column, int32_t centre, double columnWidth, const TVekScanLine& line);
    TVectorInteger codewordMatrix(const TSymbolShape& shape) const;
    bool diagnostics() const { return debug || debugMore; }
    void diagnostic(const std::string& text) const;

    std::vector<TVekScanCodeword> cells;  // MAX_ROWS x MAX_COLUMNS, row by row
    TVekScanCodeword rowGroupVotes;
    TVekScanCodeword rowRestVotes;
    TVekScanCodeword columnVotes;
    TVekScanCodeword ecLevelVotes;
    TVekHashTable rowLines;  // decimal row number -> std::vector<TVekScanLine>
    std::array<TVectorDouble, POSITION_COLUMNS> columnPositions;
};

}  // namespace orvel
