#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "PDF417SymbolPainter.h"
#include "pdf417/VekPDF417Reader.h"
#include "pdf417/VekPDF417SymbolTable.h"
#include "pdf417/VekScanCodeword.h"
#include "pdf417/VekScanLine.h"

namespace orvel {
namespace {

using TWidths = TVekPDF417Reader::TCharacterWidths;

// Distances and positions of one character drawn with the given element
// widths at `pixels` per module, as TVekScanLine records them from index 0.
void characterDistances(const TVectorInteger& elements, int pixels, TVectorInteger& widths,
                        TVectorInteger& positions) {
    widths.clear();
    positions.clear();
    int position = 0;
    for (size_t i = 0; i < elements.size(); ++i) {
        const int next = i + 1 < elements.size() ? elements[i + 1] : 3;
        widths.push_back((elements[i] + next) * pixels);
        positions.push_back(position);
        position += elements[i] * pixels;
    }
    positions.push_back(position);
    widths.push_back(0);
}

TEST(PDF417Scan, NormalisesClassifiesAndLooksUpCharacters) {
    TVectorInteger widths;
    TVectorInteger positions;
    for (int pixels : {1, 2, 3, 5}) {
        characterDistances({3, 1, 1, 1, 1, 1, 3, 6}, pixels, widths, positions);
        const TWidths e = TVekPDF417Reader::normaliseCodeword(widths, positions, 0);
        EXPECT_EQ(e, (TWidths{4, 2, 2, 2, 2, 4})) << pixels;
        EXPECT_EQ(TVekPDF417Reader::clusterOf(e), 0);
        EXPECT_EQ(TVekPDF417Reader::lookupCodeword(e, 0), 0);
        EXPECT_EQ(TVekPDF417Reader::lookupCodeword(e, 1), -1);
    }
    EXPECT_EQ(TVekPDF417Reader::lookupCodeword(TWidths{6, 2, 2, 2, 2, 3}, 1), 0);
    EXPECT_EQ(TVekPDF417Reader::lookupCodeword(TWidths{3, 2, 2, 2, 2, 6}, 2), 0);
    // A distance outside every band leaves a 0, which no entry holds.
    EXPECT_EQ(TVekPDF417Reader::lookupCodeword(TWidths{0, 2, 2, 2, 2, 4}, 0), -1);
    // The start pattern and the stop pattern's first 17 modules are no characters.
    EXPECT_EQ(TVekPDF417Reader::lookupCodeword(TWidths{9, 2, 2, 2, 2, 2}, 2), -1);
    EXPECT_EQ(TVekPDF417Reader::lookupCodeword(TWidths{8, 2, 4, 4, 2, 2}, 2), -1);
}

TEST(PDF417Scan, SymbolTableMatchesTheDataFileAndReadsBack) {
    std::ifstream file(std::string(ORVEL_SOURCE_DIR) + "/tests/data/pdf417/pdf417-codewords.txt");
    ASSERT_TRUE(file);
    std::string line;
    int entry = 0;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        ASSERT_LT(entry, PDF417_SYMBOL_CHARACTER_COUNT);
        EXPECT_EQ(pdf417SymbolCharacters[static_cast<size_t>(entry)], std::stoi(line)) << entry;
        ++entry;
    }
    EXPECT_EQ(entry, PDF417_SYMBOL_CHARACTER_COUNT);
    for (int k = 0; k < 3; ++k) {
        for (int c = 0; c < 929; ++c) {
            int pattern = pdf417SymbolCharacters[static_cast<size_t>(k * 929 + c)];
            TWidths e{};
            for (int i = 5; i >= 0; --i, pattern /= 10) e[static_cast<size_t>(i)] = pattern % 10;
            ASSERT_EQ(TVekPDF417Reader::clusterOf(e), 3 * k) << k << " " << c;
            ASSERT_EQ(TVekPDF417Reader::lookupCodeword(e, k), c) << k << " " << c;
        }
    }
}

TEST(PDF417Scan, VoteCounter) {
    TVekScanCodeword cell;
    EXPECT_EQ(cell.getValue(), -1);
    for (int v : {10, 11, 12, 13, 14}) cell.addValue(v);
    EXPECT_EQ(cell.getValue(), 10);  // ties go to the first value
    cell.addValue(99);
    cell.addValue(99);
    EXPECT_EQ(cell.getCount(), 5);  // a sixth distinct value is ignored
    EXPECT_EQ(cell.getValue(), 10);
    cell.addValue(13);
    EXPECT_EQ(cell.getValue(), 13);
    cell.setValue(7);  // replaces every vote
    EXPECT_EQ(cell.getCount(), 1);
    EXPECT_EQ(cell.getValue(), 7);
    cell.addValue(-1);
    cell.addValue(-1);
    EXPECT_EQ(cell.getValue(), -1);  // a -1 is voted like any value
    cell.reset();
    EXPECT_EQ(cell.getValue(), -1);
}

// A painted symbol of three rows and two columns whose codewords say where
// they are: row r, column c holds 100 r + c + 1.
test::TPDF417Painting numberedSymbol() {
    test::TPDF417Painting painting;
    painting.rows = 3;
    painting.columns = 2;
    painting.indicatorRows = 3;
    painting.ecLevel = 0;
    painting.modulePixels = 3;
    painting.rowHeight = 4;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 2; ++c) painting.codewords.push_back(100 * r + c + 1);
    }
    return painting;
}

// Quiet zone 2 modules, 3 pixels each: the start bar spans x 6 ... 29, row r
// spans y 6 + 12 r ... 17 + 12 r.
constexpr double START_X = 10;
constexpr double END_X = 6 + 3 * (17 * 5 + 17);  // the stop pattern's last bar

TEST(PDF417Scan, ScanLineRecordsEdgeToEdgeDistances) {
    const TVekImage image = paintPDF417(numberedSymbol());
    const TVekScanLine line(image, TVekLine(START_X, 10, END_X, 10));
    // Start pattern 8 1 1 1 1 1 1 3 from inside the first bar: distance 1
    // starts at the first space.
    ASSERT_GE(line.getCount(), 8);
    EXPECT_EQ(line.getKinds()[0], 1);
    EXPECT_EQ(line.getKinds()[1], 0);
    EXPECT_EQ(line.getWidths()[1], 6);   // space 1 + bar 1
    EXPECT_EQ(line.getWidths()[6], 12);  // bar 1 + space 3
    EXPECT_EQ(line.getPositions()[8] - line.getPositions()[1], 3 * (17 - 8));
    // Start, left indicator, two characters, right indicator, and the stop
    // up to its last bar, whose start closes the distance that begins two
    // elements earlier: 8 × 5 + 7 distances. The stop pattern is never read
    // as a character.
    EXPECT_EQ(line.getCount(), 47);
    const TVekScanLine copy = line.getCopy();
    EXPECT_EQ(copy.getCount(), line.getCount());
    EXPECT_EQ(copy.getWidths(), line.getWidths());
}

TEST(PDF417Scan, ScanRowVotesRowsColumnsAndParameters) {
    const TVekImage image = paintPDF417(numberedSymbol());
    TVekPDF417Reader reader;
    for (int r = 0; r < 3; ++r) reader.scanRow(image, TVekLine(START_X, 10 + 12 * r, END_X, 10 + 12 * r));
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 2; ++c) EXPECT_EQ(reader.cell(r, c).getValue(), 100 * r + c + 1) << r << "," << c;
    }
    EXPECT_EQ(reader.getRowGroupVotes().getValue(), 0);  // (3 - 1) div 3
    EXPECT_EQ(reader.getRowRestVotes().getValue(), 2);   // (3 - 1) mod 3
    EXPECT_EQ(reader.getEcLevelVotes().getValue(), 0);
    EXPECT_EQ(reader.getColumnVotes().getValue(), 2);
}

TEST(PDF417Scan, ShortScanLinesAreDiscarded) {
    const TVekImage image = paintPDF417(numberedSymbol());
    // Find the end at which the line records exactly 31 distances.
    double end = START_X;
    while (TVekScanLine(image, TVekLine(START_X, 10, end, 10)).getCount() < 31) end += 1;
    ASSERT_EQ(TVekScanLine(image, TVekLine(START_X, 10, end, 10)).getCount(), 31);
    TVekPDF417Reader reader;
    reader.scanRow(image, TVekLine(START_X, 10, end, 10));
    EXPECT_EQ(reader.getRowGroupVotes().getValue(), -1);
    EXPECT_EQ(reader.cell(0, 0).getValue(), -1);

    while (TVekScanLine(image, TVekLine(START_X, 10, end, 10)).getCount() < 33) end += 1;
    reader.scanRow(image, TVekLine(START_X, 10, end, 10));
    EXPECT_EQ(reader.getRowGroupVotes().getValue(), 0);
}

TEST(PDF417Scan, SlantedScanLineVotesLaterCharactersIntoTheNextRow) {
    const TVekImage image = paintPDF417(numberedSymbol());
    TVekPDF417Reader reader;
    // From row 0 (cluster 0) down into row 1 (cluster 3) between the two
    // data columns: the rounded y steps from 17 to 18 between x 158 and 159.
    reader.scanRow(image, TVekLine(10, 12, 307, 23));
    EXPECT_EQ(reader.cell(0, 0).getValue(), 1);
    EXPECT_EQ(reader.cell(1, 1).getValue(), 102);
    EXPECT_EQ(reader.cell(0, 1).getValue(), -1);
}

TEST(PDF417Scan, MoreColourChangesThanTheLineCanHold) {
    // One-pixel stripes change colour at every sample: the arrays keep
    // Round(length / 2) distances and the rest is not recorded.
    TVekImage stripes(200, 10);
    for (int x = 0; x < 200; x += 2) {
        for (int y = 0; y < 10; ++y) stripes.setPixel(x, y, BLACK);
    }
    const TVekLine line(0, 5, 101, 5);
    const TVekScanLine scan(stripes, line);
    EXPECT_EQ(scan.getCount(), 50);  // Round(101 / 2), ties to even
    TVekPDF417Reader reader;
    reader.scanRow(stripes, line);
}

TEST(PDF417Scan, PatternsAndParallelLines) {
    const int32_t start[] = {8, 1, 1, 1, 1, 1, 1};
    EXPECT_TRUE(TVekPDF417Reader::matchPattern({24, 3, 3, 3, 3, 3, 3, 9}, 0, 6, start));
    EXPECT_FALSE(TVekPDF417Reader::matchPattern({12, 3, 3, 3, 3, 3, 3, 9}, 0, 6, start));
    EXPECT_FALSE(TVekPDF417Reader::matchPattern({24, 3, 3}, 0, 6, start));
    EXPECT_FALSE(TVekPDF417Reader::matchPattern({24, 3, 3, 3, 3, 3, 3}, -1, 6, start));
    EXPECT_FALSE(TVekPDF417Reader::matchPattern({0, 0, 0, 0, 0, 0}, 0, 6, start));

    EXPECT_TRUE(TVekPDF417Reader::isParallel(5, 90, 93));
    EXPECT_TRUE(TVekPDF417Reader::isParallel(5, 89, 271));
    EXPECT_TRUE(TVekPDF417Reader::isParallel(5, 268, 89));
    EXPECT_FALSE(TVekPDF417Reader::isParallel(5, 90, 96));
}

}  // namespace
}  // namespace orvel
