// The Aztec photo front end: zint symbols drawn as a camera would see them
// (tilted, small, inverted, mirrored) read back exactly through the photo
// reader alone; pictures without a symbol give nothing.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "aztec/VekAztecModuleSampler.h"
#include "aztec/VekAztecPhotoReader.h"
#include "foundation/VekBinaryCache.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::TModuleMatrix;

#ifndef TRIALS
#define TRIALS 3
#endif

// zint's dump rows are padded to whole hex digits; an Aztec symbol is square.
TModuleMatrix aztecModules(const std::string& arguments) {
    TModuleMatrix rows = test::zintDump(arguments);
    for (auto& row : rows) row.resize(rows.size());
    return rows;
}

TVekBarcodes readPhoto(const TVekGreyImage& grey, TVekReaderOptions options = {}) {
    TVekBinaryCache picture(grey);
    return TVekAztecPhotoReader(options).read(picture);
}

TVekBarcodes validOnly(TVekBarcodes barcodes) {
    std::erase_if(barcodes, [](const TVekBarcode& b) { return !b.isValid; });
    return barcodes;
}

class AztecPhoto : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    }

    // One symbol of the given text read back; its record.
    TVekBarcode readOne(const TVekGreyImage& grey, const std::string& what, TVekReaderOptions options = {}) {
        const TVekBarcodes found = validOnly(readPhoto(grey, options));
        EXPECT_EQ(found.size(), 1u) << what;
        return found.empty() ? TVekBarcode{} : found.front();
    }
};

TEST_F(AztecPhoto, TiltedSymbolsOfEveryKindRoundTrip) {
    std::mt19937 random(18);
    const std::string text = "Tilted Aztec 0123456789 the quick brown fox jumps over the lazy dog";
    // Compact 2 to 4 layers and full-range 1 to 12, tilted up to 40 degrees.
    for (const int version : {2, 3, 4, 5, 7, 10, 16}) {
        const std::string content = text.substr(0, version == 5 ? 8 : 6 + version * 3);
        const TModuleMatrix modules = aztecModules("-b 92 --vers=" + std::to_string(version) + " -d " +
                                                   test::shellQuote(content));
        ASSERT_FALSE(modules.empty()) << version;
        for (int trial = 0; trial < TRIALS; ++trial) {
            int32_t width = 0, height = 0;
            const double side = (modules.size() + 4) * 5.0;
            const auto corners = test::tiltedCorners(random, side, 40, width, height);
            const TVekGreyImage grey = test::renderWarped(modules, corners, width, height);
            const TVekBarcode barcode = readOne(grey, "version " + std::to_string(version));
            EXPECT_EQ(barcode.bytes, content) << version;
            EXPECT_EQ(barcode.symbologyIdentifier, "]z0");
            // The outline lies near the rendered symbol (inside its quiet zone).
            const TVekPointF middle = 0.25 * (corners[0] + corners[1] + corners[2] + corners[3]);
            EXPECT_LT(distance(barcode.centre(), middle), side * 0.1) << version;
        }
    }
}

TEST_F(AztecPhoto, EverySizeAtTwoPixelsPerModule) {
    for (int version = 1; version <= 36; version += (version < 8 ? 1 : 4)) {
        const std::string text = "Size " + std::to_string(version);
        const TModuleMatrix modules = aztecModules("-b 92 --vers=" + std::to_string(version) + " -d " +
                                                   test::shellQuote(text));
        ASSERT_FALSE(modules.empty());
        const TVekBarcode barcode = readOne(test::renderUpright(modules, 2), text);
        EXPECT_EQ(barcode.bytes, text);
        // Upright: the top-left corner first, at the symbol's top-left.
        EXPECT_LT(barcode.position[0].x, barcode.position[1].x) << text;
        EXPECT_LT(barcode.position[0].y, barcode.position[3].y) << text;
        EXPECT_FALSE(barcode.isMirrored);
    }
}

TEST_F(AztecPhoto, OnePixelModulesAreReadAtTwiceTheSize) {
    for (const int version : {1, 4, 6, 12}) {
        const std::string text = "One pixel " + std::to_string(version);
        const TModuleMatrix modules = aztecModules("-b 92 --vers=" + std::to_string(version) + " -d " +
                                                   test::shellQuote(text));
        ASSERT_FALSE(modules.empty());
        const TVekGreyImage grey = test::renderUpright(modules, 1, 2);
        const TVekBarcode barcode = readOne(grey, text);
        EXPECT_EQ(barcode.bytes, text);
        // The outline in the picture's own pixels: the symbol starts two pixels in.
        EXPECT_NEAR(barcode.position[0].x, 2, 0.6) << text;
        EXPECT_NEAR(barcode.position[2].y, 2 + modules.size(), 0.6) << text;
    }
}

TEST_F(AztecPhoto, InvertedAndMirroredSymbols) {
    const std::string text = "Seen from behind";
    const TModuleMatrix modules = aztecModules("-b 92 -d " + test::shellQuote(text));
    ASSERT_FALSE(modules.empty());

    const TVekBarcode mirrored = readOne(test::renderUpright(test::mirroredModules(modules), 3), "mirrored");
    EXPECT_EQ(mirrored.bytes, text);
    EXPECT_TRUE(mirrored.isMirrored);

    const TVekGreyImage inverted = test::renderUpright(modules, 3).inverted();
    const TVekBarcode light = readOne(inverted, "inverted");
    EXPECT_EQ(light.bytes, text);
    EXPECT_TRUE(light.isInverted);
    TVekReaderOptions noInvert;
    noInvert.tryInvert = false;
    EXPECT_TRUE(validOnly(readPhoto(inverted, noInvert)).empty());
}

TEST_F(AztecPhoto, RunesReaderInitialisationGs1AndEci) {
    for (const auto& [value, digits] : {std::pair{0, "000"}, {25, "025"}, {137, "137"}, {255, "255"}}) {
        const TModuleMatrix rune = aztecModules("-b 128 -d " + std::to_string(value));
        ASSERT_EQ(rune.size(), 11u);
        const TVekBarcode barcode = readOne(test::renderUpright(rune, 4), "rune");
        EXPECT_EQ(barcode.bytes, digits);
        EXPECT_EQ(barcode.symbologyIdentifier, "]zC");
    }
    for (const std::string size : {"--vers=1", "--vers=5"}) {
        const TModuleMatrix init = aztecModules("-b 92 --init " + size + " -d 'Init 42'");
        const TVekBarcode barcode = readOne(test::renderUpright(init, 3), "reader initialisation");
        EXPECT_EQ(barcode.bytes, "Init 42") << size;
    }
    // FNC1 in first position is GS1 content; the inner FNC1 before (10) is GS.
    const TModuleMatrix gs1 = aztecModules("-b 92 --gs1 --gs1nocheck -d '[01]09501234567890[10]ABC[21]123'");
    const TVekBarcode gs1Barcode = readOne(test::renderUpright(gs1, 3), "GS1");
    EXPECT_EQ(gs1Barcode.bytes, "010950123456789010ABC\x1D" "21123");
    EXPECT_EQ(gs1Barcode.symbologyIdentifier, "]z1");

    const TModuleMatrix eci = aztecModules("-b 92 --eci=7 -d 'Ab\xD0\xB6'");
    const TVekBarcode eciBarcode = readOne(test::renderUpright(eci, 3), "ECI");
    ASSERT_EQ(eciBarcode.eciMarks.size(), 1u);
    EXPECT_EQ(eciBarcode.eciMarks[0], (TVekEciMark{0, 7}));
    EXPECT_EQ(eciBarcode.symbologyIdentifier, "]z3");
    EXPECT_EQ(eciBarcode.text(), "Ab\xD0\xB6");
}

TEST_F(AztecPhoto, SeveralSymbolsInOnePicture) {
    const TModuleMatrix first = aztecModules("-b 92 -d FIRST");
    const TModuleMatrix second = aztecModules("-b 92 --vers=6 -d SECOND");
    const int32_t width = 400, height = 220;
    const TVekGreyImage left = test::renderWarped(first, {TVekPointF{10, 20}, {150, 30}, {140, 170}, {20, 160}}, width, height);
    // The second symbol drawn into the first picture's right half.
    const TVekGreyImage right =
        test::renderWarped(second, {TVekPointF{200, 10}, {390, 15}, {385, 205}, {205, 200}}, width, height);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = std::min(left.get(x, y), right.get(x, y));
    const TVekBarcodes found = validOnly(readPhoto(TVekGreyImage::fromPixels(pixels, width, height)));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NE(found[0].bytes, found[1].bytes);
    for (const TVekBarcode& b : found) EXPECT_TRUE(b.bytes == "FIRST" || b.bytes == "SECOND") << b.bytes;
}

// Concentric squares look like a bull's-eye to the row scan but have no
// orientation marks or mode message; noise has no rings at all.
TEST(AztecPhotoClutter, RingsWithoutModeMessageAndNoiseGiveNothing) {
    TVekReaderOptions options;
    options.returnErrors = true;
    for (const int rings : {5, 7, 9, 15}) {
        const int size = 2 * rings + 1;
        TModuleMatrix target(static_cast<size_t>(size), std::vector<int>(static_cast<size_t>(size)));
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                target[y][x] = std::max(std::abs(x - rings), std::abs(y - rings)) % 2 == 0 ? 1 : 0;
        EXPECT_TRUE(readPhoto(test::renderUpright(target, 4), options).empty()) << rings;
        EXPECT_TRUE(readPhoto(test::renderUpright(target, 2), options).empty()) << rings;
    }
    std::mt19937 random(7);
    for (int trial = 0; trial < 10; ++trial) {
        TModuleMatrix noise(41, std::vector<int>(41));
        for (auto& row : noise)
            for (int& module : row) module = static_cast<int>(random() % 2);
        EXPECT_TRUE(readPhoto(test::renderUpright(noise, 1 + trial % 3), options).empty());
    }
}

// The sampler's recovered coefficients give the map's own points over a whole
// symbol, for tilted, nearly affine and exactly affine maps alike.
TEST(AztecModuleSampler, AgreesWithItsMapAcrossTheSymbol) {
    std::mt19937 random(18);
    std::uniform_real_distribution<double> jitter(-40, 40);
    for (int trial = 0; trial < 200; ++trial) {
        const double spread = trial % 3 == 0 ? 0 : trial % 3 == 1 ? 1e-3 : 1;
        TVekPerspectiveTransform::TQuad to = {TVekPointF{100, 100}, TVekPointF{700, 120}, TVekPointF{680, 690},
                                              TVekPointF{90, 650}};
        for (TVekPointF& corner : to) corner = corner + spread * TVekPointF{jitter(random), jitter(random)};
        if (spread == 0) to[3] = to[0] + (to[2] - to[1]);
        const TVekPerspectiveTransform::TQuad from = {TVekPointF{-75.5, -75.5}, TVekPointF{75.5, -75.5},
                                                      TVekPointF{75.5, 75.5}, TVekPointF{-75.5, 75.5}};
        const auto map = TVekPerspectiveTransform::quadToQuad(from, to);
        ASSERT_TRUE(map);
        const TVekAztecModuleSampler sampler(*map);
        for (int y = -75; y <= 75; y += 5)
            for (int x = -75; x <= 75; x += 5)
                ASSERT_LT(distance(sampler.at(x, y), map->map(TVekPointF{double(x), double(y)})), 1e-6) << trial;
    }
}

}  // namespace
}  // namespace orvel
