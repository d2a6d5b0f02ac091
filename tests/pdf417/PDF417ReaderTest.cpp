#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "PDF417SymbolPainter.h"
#include "PDF417ZintSymbol.h"
#include "foundation/VekImageTools.h"
#include "foundation/VekPictureLoader.h"
#include "foundation/VekUtil.h"
#include "oned/VekPAVectorizer.h"
#include "pdf417/VekPDF417Reader.h"
#include "support/PictureTools.h"
#include "scan/VekScanStep.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::haveZint;

// zint's raster scale 1 draws two pixels per module.
std::optional<TVekImage> renderPDF417(const std::string& arguments, int modulePixels, const std::string& name) {
    const std::string scale = std::to_string(modulePixels / 2) + (modulePixels % 2 ? ".5" : "");
    const auto path = test::testDirectory("pdf417-reader") / (name + ".bmp");
    if (!test::zintRender("-b PDF417 --quietzones --scale=" + scale + " " + arguments, path)) return std::nullopt;
    return loadPictureFile(path);
}

std::string textOf(const TVekPDF417Data& record) {
    std::string text;
    for (int32_t value : record.getValues()) text += static_cast<char>(value & 0xFF);
    return text;
}

// Collects the reader's diagnostic texts while it lives.
class TDiagnostics {
public:
    TDiagnostics() {
        setDebugSink([this](const std::string& text) { texts.push_back(text); });
    }
    ~TDiagnostics() { setDebugSink(nullptr); }
    bool contains(const std::string& text) const {
        for (const std::string& t : texts) {
            if (t.find(text) != std::string::npos) return true;
        }
        return false;
    }
    std::vector<std::string> texts;
};

TVekPDF417DataArray readPicture(TVekImage& image) {
    TVekPDF417Reader reader;
    return reader.read(image);
}

void expectOneRecord(TVekImage& image, const std::string& text, const std::string& what) {
    const TVekPDF417DataArray records = readPicture(image);
    ASSERT_EQ(records.size(), 1u) << what;
    EXPECT_EQ(textOf(records[0]), text) << what;
    EXPECT_GE(records[0].getCorrectedErrors(), 0) << what;
}

// ---------------------------------------------------------------------------
// zint symbols end to end

struct TZintCase {
    int columns;
    int ecLevel;
    int modulePixels;
};

class PDF417ReaderZint : public ::testing::TestWithParam<TZintCase> {};

TEST_P(PDF417ReaderZint, ReadsUprightAndUpsideDown) {
    if (!haveZint()) GTEST_SKIP() << "zint not installed";
    const TZintCase c = GetParam();
    const std::string text = "PDF417 reader, " + std::to_string(c.columns) + " columns, level " +
                             std::to_string(c.ecLevel) + ": 0123456789 The quick brown fox!";
    const std::string name = "zint-" + std::to_string(c.columns) + "-" + std::to_string(c.ecLevel) + "-" +
                             std::to_string(c.modulePixels);
    auto image = renderPDF417("--cols=" + std::to_string(c.columns) + " --secure=" + std::to_string(c.ecLevel) +
                                  " -d " + test::shellQuote(text),
                              c.modulePixels, name);
    ASSERT_TRUE(image);
    const TVekPDF417DataArray records = readPicture(*image);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(textOf(records[0]), text);
    EXPECT_EQ(records[0].getCorrectedErrors(), 0);
    EXPECT_EQ(records[0].getEcLevel(), 1 << c.ecLevel);

    // Upside down the stop pattern comes first: the flag-8/flag-4 pairing.
    TVekImage turned = test::rotateQuarters(*image, 2);
    expectOneRecord(turned, text, name + " turned by 180 degrees");
}

INSTANTIATE_TEST_SUITE_P(ColumnsLevelsModules, PDF417ReaderZint,
                         ::testing::Values(TZintCase{1, 2, 3}, TZintCase{2, 0, 2}, TZintCase{3, 4, 4},
                                           TZintCase{4, 1, 5}, TZintCase{5, 3, 2}, TZintCase{6, 5, 3},
                                           TZintCase{2, 8, 2}));

TEST(PDF417Reader, ReadsSymbolsTurnedBySmallAnglesAndQuarters) {
    if (!haveZint()) GTEST_SKIP() << "zint not installed";
    const std::string text = "Turned symbol 4711";
    auto image = renderPDF417("--cols=3 --secure=3 -d " + test::shellQuote(text), 4, "turned");
    ASSERT_TRUE(image);
    for (double degrees : {-3.0, 2.0, 4.0, 178.0}) {
        TVekImage turned = test::rotateByDegrees(*image, degrees);
        expectOneRecord(turned, text, "turned by " + std::to_string(degrees));
    }
    for (int quarters : {1, 3}) {
        TVekImage turned = test::rotateQuarters(*image, quarters);
        expectOneRecord(turned, text, "turned by quarters " + std::to_string(quarters));
    }
}

TEST(PDF417Reader, WideSymbolWithFewRowsIsReadAgainWithTheAxisTurned) {
    if (!haveZint()) GTEST_SKIP() << "zint not installed";
    // Ten columns in seven rows of 6 pixels at 2 pixels per module: the start
    // bar's axis is a pixel off at one end, and perpendicular scan lines
    // cross a whole row on their way to the stop pattern.
    const std::string text = "Where is gate E2? Your PIN: 8652. Keep it secret! Hi David, see you on Friday? Cheers";
    auto image = renderPDF417("--cols=10 --secure=1 -d " + test::shellQuote(text), 2, "wide");
    ASSERT_TRUE(image);
    expectOneRecord(*image, text, "wide symbol");
}

TEST(PDF417Reader, ReadsJpegPictures) {
    if (!haveZint()) GTEST_SKIP() << "zint not installed";
    const std::string text = "JPEG 2026-12-07 / numbers 31415926535897932384626433";
    auto image = renderPDF417("--cols=4 --secure=2 -d " + test::shellQuote(text), 3, "jpeg");
    ASSERT_TRUE(image);
    TVekImage jpeg = test::jpegRoundTrip(*image, 75);
    expectOneRecord(jpeg, text, "JPEG quality 75");
}

TEST(PDF417Reader, BinaryContentThroughByteCompaction) {
    if (!haveZint()) GTEST_SKIP() << "zint not installed";
    const auto path = test::testDirectory("pdf417-reader-bytes") / "binary.bin";
    std::string bytes;
    for (int i = 0; i < 40; ++i) bytes += static_cast<char>((i * 37 + 128) & 0xFF);
    test::writeFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    auto image = renderPDF417("--binary --cols=5 --secure=2 -i " + test::shellQuote(path.string()), 3, "binary");
    ASSERT_TRUE(image);
    expectOneRecord(*image, bytes, "byte compaction");
}

TEST(PDF417Reader, SymbolsSideBySideGiveOneRecordEach) {
    if (!haveZint()) GTEST_SKIP() << "zint not installed";
    // Every start pattern pairs with both stop patterns; each symbol still
    // gives exactly one record.
    auto left = renderPDF417("--cols=2 --secure=2 -d LEFT-SYMBOL-0001", 3, "left");
    auto right = renderPDF417("--cols=3 --secure=3 -d RIGHT-SYMBOL-0002", 3, "right");
    ASSERT_TRUE(left && right);
    TVekImage both = test::sideBySide(*left, *right, 40);
    const TVekPDF417DataArray records = readPicture(both);
    std::vector<std::string> texts;
    for (const TVekPDF417Data& record : records) texts.push_back(textOf(record));
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"LEFT-SYMBOL-0001", "RIGHT-SYMBOL-0002"}));
}

TEST(PDF417Reader, PicturesWithoutSymbolGiveNothing) {
    TVekImage blank(400, 300);
    EXPECT_TRUE(readPicture(blank).empty());

    TVekImage stripes(600, 200);  // bars of every width, nothing of PDF417
    for (int x = 20, w = 1; x < 560; x += 3 * w, w = w % 9 + 1) {
        for (int dx = 0; dx < w; ++dx) {
            for (int y = 20; y < 180; ++y) stripes.setPixel(x + dx, y, BLACK);
        }
    }
    EXPECT_TRUE(readPicture(stripes).empty());

    if (!haveZint()) return;
    const auto path = test::testDirectory("pdf417-reader") / "code128.bmp";
    ASSERT_TRUE(test::zintRender("-b CODE128 --scale=2 -d NOT-A-PDF417", path));
    TVekImage linear = loadPictureFile(path);
    EXPECT_TRUE(readPicture(linear).empty());
}

TEST(PDF417Reader, AlreadyBlackAndWhitePictureIsReadUnchanged) {
    if (!haveZint()) GTEST_SKIP() << "zint not installed";
    auto image = renderPDF417("--cols=3 --secure=2 -d BLACK-AND-WHITE", 3, "bw");
    ASSERT_TRUE(image);
    TVekImage bw = toBlackAndWhite(*image);
    TVekPDF417Reader reader;
    reader.imageIsBlackAndWhite = true;
    const TVekPDF417DataArray records = reader.read(bw);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(textOf(records[0]), "BLACK-AND-WHITE");
    // The same reader reads a second picture from fresh votes.
    const TVekPDF417DataArray again = reader.read(bw);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(textOf(again[0]), "BLACK-AND-WHITE");
}

TEST(PDF417Reader, ScanStepLogsEachRecordAndAnEmptyLine) {
    if (!haveZint()) GTEST_SKIP() << "zint not installed";
    auto image = renderPDF417("--cols=2 --secure=2 -d SCAN-STEP", 3, "scanstep");
    ASSERT_TRUE(image);
    const TVekScanResults results = scanPicture(TVekScanFamily::pdf417, *image);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].symbology, "PDF417");
    EXPECT_EQ(results[0].text, "SCAN-STEP");
    EXPECT_TRUE(results[0].success);
    ASSERT_EQ(results[0].logLines.size(), 2u);
    EXPECT_EQ(results[0].logLines[0].rfind("Barcode  found Value (int): ", 0), 0u);
    EXPECT_NE(results[0].logLines[0].find("Value (String): SCAN-STEP"), std::string::npos);
    EXPECT_EQ(results[0].logLines[1], "");
}

TEST(PDF417Reader, SymbolFailingCorrectionIsLoggedButNotASuccess) {
    // Text codewords without valid check codewords: the record is decoded and
    // logged, with the correction result -1, and the scan step does not count
    // it as read.
    test::TPDF417Painting painting;
    painting.rows = 6;
    painting.columns = 3;
    painting.indicatorRows = 6;
    painting.ecLevel = 1;
    painting.codewords = {14, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 100, 200, 300, 400};
    TVekImage image = paintPDF417(painting);
    {
        const TVekPDF417DataArray records = readPicture(image);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].getCorrectedErrors(), -1);
    }
    const TVekScanResults results = scanPicture(TVekScanFamily::pdf417, image);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].success);
    EXPECT_EQ(results[0].logLines[0].rfind("Barcode  found ", 0), 0u);
}

// ---------------------------------------------------------------------------
// Painted symbols: shapes and damage zint never makes

test::TPDF417Painting zintPainting(const test::TPDF417ZintSymbol& symbol) {
    test::TPDF417Painting painting;
    painting.rows = symbol.rows;
    painting.columns = symbol.columns;
    painting.indicatorRows = symbol.rows;
    painting.ecLevel = symbol.ecLevel;
    painting.codewords = symbol.codewords;
    return painting;
}

TEST(PDF417Reader, UnknownCodewordsUpToHalfTheCheckCodewords) {
    if (!haveZint()) GTEST_SKIP() << "zint not installed";
    const std::string text = "Unknown cells, eight check codewords";
    const auto symbol = test::readZintPDF417("--cols=4 --secure=2 -d " + test::shellQuote(text));
    ASSERT_TRUE(symbol);
    ASSERT_EQ(symbol->eccCount(), 8);
    test::TPDF417Painting painting = zintPainting(*symbol);
    // Tall rows: scan lines that run across a row boundary are not the point here.
    painting.rowHeight = 10;
    {
        TVekImage clean = paintPDF417(painting);
        expectOneRecord(clean, text, "painted from zint's codewords");
    }
    // Characters of no cluster, in four different rows: four unknown cells.
    const std::vector<int> damaged = {0 * 4 + 1, 2 * 4 + 3, 4 * 4 + 0, 5 * 4 + 2, 1 * 4 + 2};
    for (size_t i = 0; i < 4; ++i) painting.codewords[static_cast<size_t>(damaged[i])] = -1;
    {
        TVekImage image = paintPDF417(painting);
        const TVekPDF417DataArray records = readPicture(image);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(textOf(records[0]), text);
        EXPECT_EQ(records[0].getCorrectedErrors(), 4);
    }
    painting.codewords[static_cast<size_t>(damaged[4])] = -1;
    TVekImage image = paintPDF417(painting);
    TDiagnostics diagnostics;
    TVekPDF417Reader reader;
    reader.debugMore = true;
    EXPECT_TRUE(reader.read(image).empty());
    EXPECT_TRUE(diagnostics.contains("Too many unknown codewords 5>4"));
}

TEST(PDF417Reader, RowIndicatorsClaimingImpossibleShapesAreRejected) {
    struct TShapeCase {
        int rows, columns, indicatorRows, ecLevel;
        const char* diagnostic;
    };
    for (const TShapeCase& c : {TShapeCase{3, 1, 2, 0, "Too few rows/cols"},
                                TShapeCase{3, 1, 3, 2, "EcLen too long"},
                                // Two check codewords in two cells leave no length descriptor.
                                TShapeCase{3, 1, 2, 0, "Too few rows/cols"}}) {
        test::TPDF417Painting painting;
        painting.rows = c.rows;
        painting.columns = c.columns;
        painting.indicatorRows = c.indicatorRows;
        painting.ecLevel = c.ecLevel;
        painting.codewords.assign(static_cast<size_t>(c.rows * c.columns), 1);
        TVekImage image = paintPDF417(painting);
        TDiagnostics diagnostics;
        TVekPDF417Reader reader;
        reader.debugMore = true;
        EXPECT_TRUE(reader.read(image).empty()) << c.diagnostic;
        EXPECT_TRUE(diagnostics.contains(c.diagnostic)) << c.diagnostic;
    }
}

TEST(PDF417Reader, CheckCodewordsFillingTheWholeSymbolAreRejected) {
    // Four cells, four check codewords (level 1): no room for the length
    // descriptor, which the decoder would read beyond the data.
    test::TPDF417Painting painting;
    painting.rows = 4;
    painting.columns = 1;
    painting.indicatorRows = 4;
    painting.ecLevel = 1;
    painting.codewords = {0, 0, 0, 0};
    TVekImage image = paintPDF417(painting);
    TDiagnostics diagnostics;
    TVekPDF417Reader reader;
    reader.debugMore = true;
    EXPECT_TRUE(reader.read(image).empty());
    EXPECT_TRUE(diagnostics.contains("EcLen too long"));
}

TEST(PDF417Reader, ErrorCorrectionLevelNineIsRejected) {
    // A cluster-3 row indicator can claim level 9 (1024 check codewords),
    // beyond what the error correction tables cover.
    test::TPDF417Painting painting;
    painting.rows = 90;
    painting.columns = 12;
    painting.indicatorRows = 90;
    painting.ecLevel = 9;
    painting.rowHeight = 2;
    painting.modulePixels = 2;
    painting.codewords.assign(90 * 12, 0);
    TVekImage image = paintPDF417(painting);
    TDiagnostics diagnostics;
    TVekPDF417Reader reader;
    reader.debugMore = true;
    EXPECT_TRUE(reader.read(image).empty());
    EXPECT_TRUE(diagnostics.contains("No error correction level"));
}

TEST(PDF417Reader, OneCandidateHoldingStartAndStopPairsWithItself) {
    // A start pattern followed at once by a stop pattern: one candidate of 17
    // elements, flags 1 and 2, paired with itself.
    const int module = 4;
    TVekImage image(60 * module, 60 * module);
    int x = 10 * module;
    bool bar = true;
    for (int width : {8, 1, 1, 1, 1, 1, 1, 3, 7, 1, 1, 3, 1, 1, 1, 2, 1}) {
        for (int dx = 0; dx < width * module; ++dx) {
            for (int y = 5 * module; y < 50 * module && bar; ++y) image.setPixel(x + dx, y, BLACK);
        }
        x += width * module;
        bar = !bar;
    }
    TVekPDF417Reader reader;
    TVekPAVectorizer vectorizer;
    TVekVectorizedImage vectorized = vectorizer.vectorize(image, true);
    const std::vector<TVekPDF417Area> areas = reader.findAreas(image, vectorized);
    ASSERT_EQ(areas.size(), 1u);
    // line1 on the 8-module bar, line2 on the last bar, starting on the same side.
    EXPECT_LT(areas[0].line1.x1, 18 * module);
    EXPECT_GT(areas[0].line2.x1, 43 * module);
    EXPECT_LT(std::fabs(areas[0].line2.y1 - areas[0].line1.y1), 5.0 * module);
    EXPECT_TRUE(reader.read(image).empty());
}

TEST(PDF417Reader, DamagedAndArbitraryPicturesNeverCrash) {
    // Painted symbols with random codewords (no valid error correction) and
    // random blots, and pictures of random bars: every read ends without an
    // error (and, under the sanitizers, without a read out of bounds).
    std::mt19937 random(929);
    for (int round = 0; round < 12; ++round) {
        test::TPDF417Painting painting;
        painting.rows = 3 + static_cast<int>(random() % 12);
        painting.columns = 1 + static_cast<int>(random() % 5);
        painting.indicatorRows = painting.rows + static_cast<int>(random() % 3) - 1;
        painting.ecLevel = static_cast<int>(random() % 10);
        painting.modulePixels = 2 + static_cast<int>(random() % 2);
        for (int i = 0; i < painting.rows * painting.columns; ++i) {
            painting.codewords.push_back(static_cast<int>(random() % 931) - 1);
        }
        TVekImage image = paintPDF417(painting);
        for (int blot = 0; blot < round; ++blot) {
            const int x0 = static_cast<int>(random() % static_cast<unsigned>(image.width));
            const int y0 = static_cast<int>(random() % static_cast<unsigned>(image.height));
            const uint32_t colour = random() % 2 ? BLACK : WHITE;
            for (int y = y0; y < y0 + 6; ++y) {
                for (int x = x0; x < x0 + 9; ++x) image.setPixel(x, y, colour);
            }
        }
        EXPECT_NO_THROW(readPicture(image)) << round;
    }
    for (int round = 0; round < 4; ++round) {
        TVekImage bars(500, 300);
        for (int x = 10; x < 480;) {
            const int width = 1 + static_cast<int>(random() % 12);
            const int length = 20 + static_cast<int>(random() % 250);
            for (int dx = 0; dx < width; ++dx) {
                for (int y = 10; y < 10 + length; ++y) bars.setPixel(x + dx, y + (dx * round) / 7, BLACK);
            }
            x += width + 1 + static_cast<int>(random() % 8);
        }
        EXPECT_NO_THROW(readPicture(bars)) << round;
    }
}

}  // namespace
}  // namespace orvel
