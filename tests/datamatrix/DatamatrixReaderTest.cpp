// The Data Matrix reader end to end: zint pictures of square ECC 200 symbols
// of many sizes, module sizes, turns and JPEG compression through read, and
// the scan step of the "Scan Datamatrix" button.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "datamatrix/VekDatamatrixReader.h"
#include "foundation/VekDisplay.h"
#include "foundation/VekPictureLoader.h"
#include "foundation/VekROrvelConfiguration.h"
#include "support/PictureTools.h"
#include "scan/VekScanStep.h"
#include "support/TestSupport.h"

namespace orvel::test {
namespace {

#define REQUIRE_ZINT()                                   \
    do {                                                 \
        if (!haveZint()) GTEST_SKIP() << "zint missing"; \
    } while (0)

// A white border around a picture.
TVekImage withMargin(const TVekImage& picture, int margin) {
    TVekImage result(picture.width + 2 * margin, picture.height + 2 * margin);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) result.setPixel(x + margin, y + margin, picture.getPixelInt(x, y));
    }
    return result;
}

// A square symbol of zint's size number `version` (1 = 10 x 10 ... 15 =
// 52 x 52) holding `text`, at `modulePixels` pixels per module with a white
// margin of 20 pixels.
std::optional<TVekImage> renderSymbol(int version, const std::string& text, int modulePixels,
                                      const std::string& fileName) {
    // zint's raster scale 1 draws two pixels per module.
    const std::string scale = std::to_string(modulePixels / 2) + (modulePixels % 2 ? ".5" : "");
    const std::filesystem::path path = testDirectory("datamatrix_reader") / fileName;
    const std::string arguments = "-b DATAMATRIX --square --vers=" + std::to_string(version) +
                                  " --scale=" + scale + " -d " + shellQuote(text);
    if (!zintRender(arguments, path)) return std::nullopt;
    return withMargin(loadPictureFile(path), 20);
}

std::string textOf(const TVekDatamatrixData& record) {
    std::string text;
    for (const int32_t value : record.getValue()) text += static_cast<char>(value & 0xFF);
    return text;
}

std::vector<std::string> textsOf(const TVekDatamatrixDataArray& records) {
    std::vector<std::string> texts;
    for (const TVekDatamatrixData& record : records) texts.push_back(textOf(record));
    return texts;
}

TVekDatamatrixDataArray readPicture(TVekImage& picture) {
    TVekDatamatrixReader reader;
    return reader.read(picture);
}

// Content that fills a good part of each size, digits and letters mixed:
// about one character per data codeword.
std::string contentFor(int version) {
    static const int dataCodewords[] = {0,   3,   5,   8,   12,  18,  22,  30,  36,  44,   62,   86,  114,
                                        144, 174, 204, 280, 368, 456, 576, 696, 816, 1050, 1304, 1558};
    if (version <= 1) return "123456";
    const std::string base = "Orvel DM " + std::to_string(version) + " 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ ";
    std::string text;
    while (text.size() < static_cast<size_t>(dataCodewords[version])) text += base;
    return text.substr(0, static_cast<size_t>(dataCodewords[version]) - 1);
}

TEST(DatamatrixReaderTest, ReadsSquareSymbolsOfEverySizeClassAndModuleSize) {
    REQUIRE_ZINT();
    // One region (10 x 10 ... 26 x 26) and four regions (32 x 32 ... 52 x 52).
    for (const int version : {1, 2, 3, 5, 8, 9, 10, 12, 14, 15}) {
        for (const int modulePixels : {3, 4, 5, 6, 8}) {
            // A 52 x 52 symbol at 8 pixels is one region of more than the
            // 90000 pixels the reader walks.
            if (version == 15 && modulePixels == 8) continue;
            const std::string text = contentFor(version);
            std::optional<TVekImage> picture =
                renderSymbol(version, text, modulePixels, "size.bmp");
            ASSERT_TRUE(picture) << version;
            EXPECT_EQ(textsOf(readPicture(*picture)), std::vector<std::string>{text})
                << "version " << version << " at " << modulePixels << " px";
        }
    }
}

TEST(DatamatrixReaderTest, ReadsSymbolsOfSixteenAndThirtySixRegions) {
    REQUIRE_ZINT();
    // 64 x 64 (16 regions of 14 x 14, two blocks), 120 x 120 and 144 x 144
    // (36 regions; ten blocks of unequal length), upright and turned.
    for (const int version : {16, 21, 24}) {
        const std::string text = contentFor(version);
        std::optional<TVekImage> picture = renderSymbol(version, text, version == 16 ? 3 : 2, "large.bmp");
        ASSERT_TRUE(picture) << version;
        for (const int quarters : {0, 1}) {
            TVekImage turned = rotateQuarters(*picture, quarters);
            EXPECT_EQ(textsOf(readPicture(turned)), std::vector<std::string>{text})
                << "version " << version << " turned " << quarters * 90;
        }
    }
}

TEST(DatamatrixReaderTest, ReportsTheLCornerOfAnUprightSymbolOnce) {
    REQUIRE_ZINT();
    // 10 x 10 at 4 px: the box candidate and the lower left corner candidate
    // describe the same L; the second is skipped.
    std::optional<TVekImage> picture = renderSymbol(1, "123456", 4, "corner.bmp");
    ASSERT_TRUE(picture);
    const TVekDatamatrixDataArray records = readPicture(*picture);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NEAR(records[0].getX(), 20, 1);
    EXPECT_NEAR(records[0].getY(), 20 + 10 * 4 - 1, 1);
}

TEST(DatamatrixReaderTest, MeasuresFourRegionsOfA32x32Symbol) {
    REQUIRE_ZINT();
    std::optional<TVekImage> picture = renderSymbol(10, contentFor(10), 5, "regions.bmp");
    ASSERT_TRUE(picture);
    TVekDatamatrixReader reader;
    ASSERT_EQ(textsOf(reader.read(*picture)), std::vector<std::string>{contentFor(10)});
    EXPECT_EQ(reader.getRegionSize(), 14);
    EXPECT_EQ(reader.getRegionsAcross(), 2);
    EXPECT_EQ(reader.getRegionsUp(), 2);
    EXPECT_EQ(reader.getSymbolSizeIndex(), 9);
}

TEST(DatamatrixReaderTest, ReadsSymbolsTurnedByQuartersAndSmallAngles) {
    REQUIRE_ZINT();
    for (const int version : {3, 8, 10, 14}) {
        const std::string text = contentFor(version);
        std::optional<TVekImage> upright = renderSymbol(version, text, 5, "turned.bmp");
        ASSERT_TRUE(upright);
        for (const int quarters : {1, 2, 3}) {
            TVekImage turned = rotateQuarters(*upright, quarters);
            EXPECT_EQ(textsOf(readPicture(turned)), std::vector<std::string>{text})
                << "version " << version << " turned " << quarters * 90;
        }
        for (const double degrees : {2.0, -3.0, 5.0}) {
            TVekImage turned = rotateByDegrees(*upright, degrees);
            EXPECT_EQ(textsOf(readPicture(turned)), std::vector<std::string>{text})
                << "version " << version << " turned " << degrees;
        }
    }
}

TEST(DatamatrixReaderTest, ReadsJpegCompressedSymbols) {
    REQUIRE_ZINT();
    for (const int version : {5, 10}) {
        for (const int modulePixels : {4, 6}) {
            const std::string text = contentFor(version);
            std::optional<TVekImage> picture = renderSymbol(version, text, modulePixels, "jpeg.bmp");
            ASSERT_TRUE(picture);
            TVekImage compressed = jpegRoundTrip(*picture, 80);
            EXPECT_EQ(textsOf(readPicture(compressed)), std::vector<std::string>{text})
                << "version " << version << " at " << modulePixels << " px";
        }
    }
}

TEST(DatamatrixReaderTest, FindsNothingWithoutASymbol) {
    TVekImage blank(300, 200);
    EXPECT_TRUE(readPicture(blank).empty());
    TVekImage onePixel(1, 1);
    onePixel.setPixel(0, 0, BLACK);
    EXPECT_TRUE(readPicture(onePixel).empty());
    // Everything dark: one region reaching every border of the picture.
    TVekImage dark(80, 60);
    for (int y = 0; y < dark.height; ++y) {
        for (int x = 0; x < dark.width; ++x) dark.setPixel(x, y, (x + y) % 7 ? BLACK : 0x202020);
    }
    EXPECT_TRUE(readPicture(dark).empty());

    // Random blobs and noise: read finds nothing and never fails.
    std::mt19937 random(7);
    TVekImage noise(400, 300);
    for (int y = 0; y < noise.height; ++y) {
        for (int x = 0; x < noise.width; ++x) {
            const bool dark = (x / 9 + y / 7) % 3 == 0 || random() % 5 == 0;
            noise.setPixel(x, y, dark ? BLACK : WHITE);
        }
    }
    EXPECT_TRUE(readPicture(noise).empty());

    // A solid square is an L on every side but has no clock track.
    TVekImage square(200, 200);
    for (int y = 50; y < 150; ++y) {
        for (int x = 50; x < 150; ++x) square.setPixel(x, y, BLACK);
    }
    EXPECT_TRUE(readPicture(square).empty());
}

TEST(DatamatrixReaderTest, ASpoiledSymbolDoesNotCostTheOtherItsRecord) {
    REQUIRE_ZINT();
    std::optional<TVekImage> good = renderSymbol(8, contentFor(8), 4, "good.bmp");
    std::optional<TVekImage> spoiled = renderSymbol(8, "Spoiled symbol 0123456789", 4, "spoiled.bmp");
    ASSERT_TRUE(good && spoiled);
    // Blacken a band of data modules: far more errors than the code corrects.
    for (int y = 40; y < 80; ++y) {
        for (int x = 30; x < 100; ++x) spoiled->setPixel(x, y, (x / 4 + y / 4) % 2 ? BLACK : WHITE);
    }
    TVekImage both = sideBySide(*spoiled, *good, 40);
    EXPECT_EQ(textsOf(readPicture(both)), std::vector<std::string>{contentFor(8)});

    TVekImage twoGood = sideBySide(*good, *good, 40);
    EXPECT_EQ(readPicture(twoGood).size(), 2u);
}

TEST(DatamatrixReaderTest, DamagedSymbolsGiveTheirContentOrNothing) {
    REQUIRE_ZINT();
    // Modules flipped at random, from a few (corrected) to many (not
    // correctable): a record, when there is one, always holds the content,
    // and no damage makes the reader fail or read outside the picture.
    std::mt19937 random(2026);
    for (const int version : {4, 10}) {
        const std::string text = contentFor(version);
        const int modulePixels = 4;
        std::optional<TVekImage> clean = renderSymbol(version, text, modulePixels, "damaged.bmp");
        ASSERT_TRUE(clean);
        const int symbolPixels = clean->width - 40;
        for (int round = 0; round < 12; ++round) {
            TVekImage picture = clean->getCopy();
            std::uniform_int_distribution<int> module(0, symbolPixels / modulePixels - 1);
            for (int flip = 0; flip < round * round; ++flip) {
                const int left = 20 + module(random) * modulePixels;
                const int top = 20 + module(random) * modulePixels;
                const bool dark = picture.getPixelInt(left, top) == BLACK;
                for (int y = top; y < top + modulePixels; ++y) {
                    for (int x = left; x < left + modulePixels; ++x) picture.setPixel(x, y, dark ? WHITE : BLACK);
                }
            }
            for (const std::string& found : textsOf(readPicture(picture))) {
                EXPECT_EQ(found, text) << "version " << version << ", " << round * round << " flips";
            }
        }
    }
}

TEST(DatamatrixReaderTest, RectangularSymbolsAreNotRead) {
    REQUIRE_ZINT();
    const std::filesystem::path path = testDirectory("datamatrix_reader") / "rectangle.bmp";
    // 16 x 36: two regions whose clock lines count 14 and 16 modules.
    ASSERT_TRUE(zintRender("-b DATAMATRIX --vers=28 --scale=2 -d 'Rectangle 0123456789'", path));
    TVekImage picture = withMargin(loadPictureFile(path), 20);
    EXPECT_TRUE(readPicture(picture).empty());
}

TEST(DatamatrixReaderTest, ReadsTheSamplePictures) {
    const std::filesystem::path folder = std::filesystem::path(ORVEL_SOURCE_DIR) / "samples" / "DatamatrixImages";
    TVekImage numbers = loadPictureFile(folder / "datamatrix-numbers.jpg");
    EXPECT_EQ(textsOf(readPicture(numbers)), std::vector<std::string>{"1234567890"});
    TVekImage orvel = loadPictureFile(folder / "datamatrix.bmp");
    EXPECT_EQ(textsOf(readPicture(orvel)), std::vector<std::string>{"VekBarcode Orvel"});
}

TEST(DatamatrixReaderTest, ScanStepLogsEveryRecord) {
    REQUIRE_ZINT();
    std::optional<TVekImage> picture = renderSymbol(3, "DM3x", 4, "scan.bmp");
    ASSERT_TRUE(picture);
    writeStartOfClickSettings(TVekScanFamily::datamatrix);
    const TVekScanResults results = scanPicture(TVekScanFamily::datamatrix, *picture);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].symbology, "DATAMATRIX");
    EXPECT_EQ(results[0].text, "DM3x");
    EXPECT_TRUE(results[0].success);
    ASSERT_EQ(results[0].logLines.size(), 1u);
    EXPECT_EQ(results[0].logLines[0], "Barcode  found    Value:  68 77 51 120 Text=DM3x   X: " +
                                          std::to_string(results[0].x) + ",   Y: " + std::to_string(results[0].y) +
                                          ",");
}

TEST(DatamatrixReaderTest, ScanStepTextOfGs1DataHasGroupSeparatorsNotControlBytes) {
    REQUIRE_ZINT();
    const std::filesystem::path path = testDirectory("datamatrix_reader") / "gs1.bmp";
    ASSERT_TRUE(zintRender("-b DATAMATRIX --square --gs1 --scale=2 -d '[01]12345678901231[10]ABC[21]XYZ'", path));
    TVekImage picture = withMargin(loadPictureFile(path), 20);
    writeStartOfClickSettings(TVekScanFamily::datamatrix);
    const TVekScanResults results = scanPicture(TVekScanFamily::datamatrix, picture);
    ASSERT_EQ(results.size(), 1u);
    // The leading FNC1 marks GS1 data and is left out; the one that ends the
    // variable-length field reads as GS.
    EXPECT_EQ(results[0].text, "0112345678901231" "10ABC\x1D" "21XYZ");
}

// Counts what the reader shows in debug mode.
class TCountingDisplay : public TVekDisplay {
public:
    void showLine(const TVekImage&, const TVekLine*, const std::string& caption) override { captions.push_back(caption); }
    void showLines(const TVekImage&, const TVectorLines&, const std::string& caption) override {
        captions.push_back(caption);
    }
    void showLinesAndPoints(const TVekImage&, const TVectorLines&, const std::vector<TVekPoint>& points,
                            const std::string& caption) override {
        captions.push_back(caption);
        if (caption == "Grid") gridPoints += points.size();
    }
    std::vector<std::string> captions;
    size_t gridPoints = 0;
};

TEST(DatamatrixReaderTest, DebugModeShowsTheGeometryAndWritesTheMatrix) {
    REQUIRE_ZINT();
    std::optional<TVekImage> picture = renderSymbol(1, "123456", 4, "debug.bmp");
    ASSERT_TRUE(picture);
    TCountingDisplay display;
    std::vector<std::string> written;
    setVekDisplay(&display);
    setDebugSink([&written](const std::string& text) { written.push_back(text); });
    orvelConfiguration.debug = true;
    TVekDatamatrixReader reader;
    orvelConfiguration.debug = false;
    const TVekDatamatrixDataArray records = reader.read(*picture);
    setVekDisplay(nullptr);
    setDebugSink(nullptr);

    EXPECT_EQ(textsOf(records), std::vector<std::string>{"123456"});
    EXPECT_NE(std::find(display.captions.begin(), display.captions.end(), "long line"), display.captions.end());
    EXPECT_EQ(display.gridPoints % 64, 0u);
    EXPECT_GE(display.gridPoints, 64u);
    // The sampled 10 x 10 region: solid L along the top text row (row 0).
    EXPECT_NE(std::find(written.begin(), written.end(), "XXXXXXXXXX"), written.end());
}

}  // namespace
}  // namespace orvel::test
