#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "foundation/VekBinaryCache.h"
#include "pdf417/VekPDF417PhotoReader.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::TModuleMatrix;

// zint's rows, each three modules high as printed.
TModuleMatrix pdf417Modules(const std::string& arguments) {
    TModuleMatrix modules;
    for (const auto& row : test::zintDump(arguments)) modules.insert(modules.end(), 3, row);
    return modules;
}

TVekBarcodes readPhoto(const TVekGreyImage& grey, bool returnErrors = false) {
    TVekReaderOptions options;
    options.returnErrors = returnErrors;
    TVekBinaryCache picture(grey);
    return TVekPDF417PhotoReader(options).read(picture);
}

TModuleMatrix turned(const TModuleMatrix& modules) {
    TModuleMatrix result(modules.front().size(), std::vector<int>(modules.size()));
    for (size_t r = 0; r < modules.size(); ++r) {
        for (size_t c = 0; c < modules[r].size(); ++c) result[c][modules.size() - 1 - r] = modules[r][c];
    }
    return result;
}

const std::string MESSAGE = "Orvel PDF417 photo 0123456789 mixed Text & bytes";

void expectOne(const TVekBarcodes& found, const std::string& message, const std::string& what) {
    ASSERT_EQ(found.size(), 1u) << what;
    EXPECT_TRUE(found[0].isValid) << what;
    EXPECT_EQ(found[0].bytes, message) << what;
    EXPECT_EQ(found[0].symbologyIdentifier, "]L2");
}

// Upright at 2 pixels per module and every quarter turn, plain and
// mirrored: the content, the mirror flag and the corners' order (the
// symbol's own top-left first) all come through.
TEST(PDF417PhotoReader, QuarterTurnsAndMirrorAtTwoPixelsPerModule) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    const TModuleMatrix upright = pdf417Modules("-b PDF417 --cols=4 -d '" + MESSAGE + "'");
    for (const bool mirror : {false, true}) {
        TModuleMatrix modules = mirror ? test::mirroredModules(upright) : upright;
        for (int turn = 0; turn < 4; ++turn) {
            const std::string what = "turn " + std::to_string(turn) + (mirror ? " mirrored" : "");
            const TVekBarcodes found = readPhoto(test::renderUpright(modules, 2.0));
            expectOne(found, MESSAGE, what);
            if (found.size() != 1) continue;
            EXPECT_EQ(found[0].isMirrored, mirror) << what;
            // The symbol's top edge runs from its start pattern to its stop
            // pattern: rightwards, or leftwards when mirrored, then turned.
            const double expected = std::fmod((mirror ? 180.0 : 0.0) + 90.0 * turn, 360.0);
            const double orientation = std::fmod(found[0].orientation + 360.0, 360.0);
            EXPECT_NEAR(std::min(std::abs(orientation - expected), 360 - std::abs(orientation - expected)), 0, 3)
                << what;
            modules = turned(modules);
        }
    }
}

// Seen by a camera: turned at random and tilted by up to 30 degrees, with
// uneven lighting and noise; then sheared (slanted rows).
TEST(PDF417PhotoReader, TiltedAndSlantedSymbols) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    std::mt19937 random(417);
    const TModuleMatrix modules = pdf417Modules("-b PDF417 --cols=5 --secure=3 -d '" + MESSAGE + "'");
    for (int trial = 0; trial < 8; ++trial) {
        int32_t width = 0;
        int32_t height = 0;
        const auto corners = test::tiltedCorners(random, 420, 30, width, height);
        TVekGreyImage grey = test::renderWarped(modules, corners, width, height);
        grey = test::withNoise(test::withGradient(grey, 1.0, 0.6), 4, random);
        expectOne(readPhoto(grey), MESSAGE, "tilt trial " + std::to_string(trial));
    }
    for (const double slant : {-0.35, 0.25}) {
        const double w = 330, h = 160;
        const std::array<TVekPointF, 4> corners = {TVekPointF{60, 40}, {60 + w, 40 + slant * w},
                                                   {60 + w + 0.3 * h, 40 + slant * w + h}, {60 + 0.3 * h, 40 + h}};
        const TVekGreyImage grey = test::renderWarped(modules, corners, 520, 360);
        expectOne(readPhoto(grey), MESSAGE, "slant " + std::to_string(slant));
    }
}

// Modules of about a pixel, each pixel the module at its centre (so a
// module now and then takes two pixels, and no edge lies between pixels),
// at two module sizes and three phases, rows three pixels high: the row's
// edges put on whole modules read every symbol exactly.
TEST(PDF417PhotoReader, AliasedModulesOfAboutAPixel) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    const auto sampled = [](const TModuleMatrix& modules, double pixelsPerModule, double phase) {
        constexpr int QUIET = 3;
        const auto columns = static_cast<double>(modules.front().size() + 2 * QUIET);
        const auto rows = static_cast<double>(modules.size() + 2 * QUIET);
        const auto width = static_cast<int32_t>(columns * pixelsPerModule);
        const auto height = static_cast<int32_t>(rows);  // rows at a pixel a module: three pixels a symbol row
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, 255);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const auto c = static_cast<int64_t>(std::floor((x + phase) / pixelsPerModule)) - QUIET;
                const int64_t r = y - QUIET;
                if (r < 0 || c < 0 || r >= static_cast<int64_t>(modules.size()) ||
                    c >= static_cast<int64_t>(modules.front().size()))
                    continue;
                if (modules[static_cast<size_t>(r)][static_cast<size_t>(c)] != 0)
                    pixels[static_cast<size_t>(y) * width + x] = 0;
            }
        }
        return TVekGreyImage::fromPixels(std::move(pixels), width, height);
    };
    const std::string message = "ActiveBarcode 1.08 px";
    for (const std::string kind : {"--cols=2 --secure=3", "--cols=3 --secure=3", "--cols=4 --secure=4"}) {
        const TModuleMatrix modules = pdf417Modules("-b PDF417 " + kind + " -d '" + message + "'");
        for (const double pixelsPerModule : {1.08, 1.13}) {
            for (const double phase : {0.0, 0.3, 0.7}) {
                const std::string what = kind + " at " + std::to_string(pixelsPerModule) + " phase " +
                                         std::to_string(phase);
                expectOne(readPhoto(sampled(modules, pixelsPerModule, phase)), message, what);
            }
        }
    }
}

// Compact symbols (no stop pattern, no right row indicator), ECI
// designators and Macro PDF417 fields.
TEST(PDF417PhotoReader, CompactEciAndMacroFields) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    const std::string compactMessage = "compact symbol, 2 px";
    expectOne(readPhoto(test::renderUpright(pdf417Modules("-b PDF417COMP --cols=3 -d '" + compactMessage + "'"), 2.0)),
              compactMessage, "compact");
    expectOne(readPhoto(test::renderUpright(turned(pdf417Modules("-b PDF417COMP -d '" + compactMessage + "'")), 3.0)),
              compactMessage, "compact turned");

    const TVekBarcodes eci = readPhoto(test::renderUpright(pdf417Modules("-b PDF417 --eci=7 -d 'Orvel'"), 3.0));
    ASSERT_EQ(eci.size(), 1u);
    EXPECT_EQ(eci[0].bytes, "Orvel");
    ASSERT_EQ(eci[0].eciMarks.size(), 1u);
    EXPECT_EQ(eci[0].eciMarks[0], (TVekEciMark{0, 7}));

    const TVekBarcodes macro =
        readPhoto(test::renderUpright(pdf417Modules("-b PDF417 --structapp=2,5,417 -d 'part two'"), 3.0));
    ASSERT_EQ(macro.size(), 1u);
    EXPECT_EQ(macro[0].bytes, "part two");
    EXPECT_EQ(macro[0].structuredAppend.index, 1);
    EXPECT_EQ(macro[0].structuredAppend.count, 5);
}

// Two symbols side by side are both read; stripes that look like bars
// (runs of every width, in rows and at a slant) give neither a symbol nor
// a failed one.
TEST(PDF417PhotoReader, SeveralSymbolsAndStripeClutter) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    const TModuleMatrix a = pdf417Modules("-b PDF417 --cols=3 -d 'left symbol'");
    const TModuleMatrix b = pdf417Modules("-b PDF417 --cols=2 -d 'right symbol 42'");
    TModuleMatrix both(std::max(a.size(), b.size()));
    for (size_t r = 0; r < both.size(); ++r) {
        both[r] = r < a.size() ? a[r] : std::vector<int>(a.front().size(), 0);
        both[r].insert(both[r].end(), 12, 0);
        const auto right = r < b.size() ? b[r] : std::vector<int>(b.front().size(), 0);
        both[r].insert(both[r].end(), right.begin(), right.end());
    }
    const TVekBarcodes found = readPhoto(test::renderUpright(both, 2.5));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NE(found[0].bytes, found[1].bytes);
    for (const TVekBarcode& barcode : found) {
        EXPECT_TRUE(barcode.bytes == "left symbol" || barcode.bytes == "right symbol 42") << barcode.bytes;
    }

    std::mt19937 random(5);
    std::uniform_int_distribution<int> run(1, 9);
    TModuleMatrix stripes(60, std::vector<int>(300, 0));
    for (size_t r = 0; r < stripes.size(); ++r) {
        int colour = 1;
        for (size_t c = 0; c < stripes[r].size();) {
            const int width = run(random);
            for (int k = 0; k < width && c < stripes[r].size(); ++k, ++c) stripes[r][c] = colour;
            colour ^= 1;
        }
        if (r % 9 != 0) stripes[r] = stripes[r - 1];
    }
    EXPECT_TRUE(readPhoto(test::renderUpright(stripes, 2.0), true).empty());
    const std::array<TVekPointF, 4> slanted = {TVekPointF{30, 30}, {700, 90}, {680, 300}, {20, 240}};
    EXPECT_TRUE(readPhoto(test::renderWarped(stripes, slanted, 740, 340), true).empty());
}

}  // namespace
}  // namespace orvel
