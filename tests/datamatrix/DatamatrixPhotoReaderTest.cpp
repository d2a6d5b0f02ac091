#include <gtest/gtest.h>

#include <random>
#include <string>

#include "datamatrix/VekDatamatrixCWDecoder.h"
#include "datamatrix/VekDatamatrixContent.h"
#include "datamatrix/VekDatamatrixPhotoReader.h"
#include "datamatrix/VekDecodeCWException.h"
#include "DatamatrixTestHelpers.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::TModuleMatrix;

TVekBarcodes readPhoto(const TVekGreyImage& grey, const TVekReaderOptions& options = {}) {
    TVekBinaryCache cache(grey);
    return TVekDatamatrixPhotoReader(options).read(cache);
}

// The content of the one decoded symbol, or a note of what came out instead.
std::string onlyContent(const TVekBarcodes& found) {
    if (found.size() != 1) return "<" + std::to_string(found.size()) + " symbols>";
    return found[0].isValid ? found[0].bytes : "<failed: " + found[0].error + ">";
}

std::string describe(const TVekBarcodes& found) {
    std::string text;
    for (const TVekBarcode& b : found) text += (b.isValid ? "[" + b.bytes + "]" : "[failed: " + b.error + "]") + " ";
    return text;
}

TVekGreyImage tilted(const TModuleMatrix& modules, std::mt19937& random, double pixelsPerModule, double maxTilt,
                     bool inverted = false) {
    int32_t width = 0, height = 0;
    const double side = pixelsPerModule * static_cast<double>(modules[0].size() + 4);
    const auto corners = test::tiltedCorners(random, side, maxTilt, width, height);
    return inverted ? test::renderWarped(modules, corners, width, height, 2, 235, 20)
                    : test::renderWarped(modules, corners, width, height);
}

#define REQUIRE_ZINT() \
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed"

TEST(DatamatrixPhotoReaderTest, EverySquareAndRectangularSizeReadsTiltedByUpToFortyDegrees) {
    REQUIRE_ZINT();
    std::mt19937 random(17);
    for (int version = 1; version <= 30; ++version) {
        const std::string text = "V" + std::to_string(version);
        const TModuleMatrix modules =
            test::zintDatamatrixAnySize("--vers=" + std::to_string(version) + " -d '" + text + "'");
        ASSERT_FALSE(modules.empty()) << version;
        const double pixels = modules.size() > 60 ? 4.0 : 5.0;
        EXPECT_EQ(onlyContent(readPhoto(tilted(modules, random, pixels, 40))), text) << "version " << version;
    }
}

// Dark data modules all along the inside of the L make it look two modules
// thick; the module is then taken from the dashed timing rows. Contents are
// drawn at random until a few such symbols turn up.
TEST(DatamatrixPhotoReaderTest, SymbolsWhoseLIsLinedWithDarkDataRead) {
    REQUIRE_ZINT();
    std::mt19937 random(5);
    int32_t found = 0;
    for (int attempt = 0; attempt < 400 && found < 4; ++attempt) {
        const std::string text = std::to_string(random() % 100000000);
        const TModuleMatrix modules = test::zintDatamatrixAnySize("--square -d '" + text + "'");
        ASSERT_FALSE(modules.empty());
        const size_t n = modules.size();
        size_t dark = 0;
        for (size_t k = 1; k + 1 < n; ++k) dark += (modules[k][1] != 0) + (modules[n - 2][k] != 0);
        if (dark < 2 * (n - 2) * 3 / 4) continue;
        ++found;
        EXPECT_EQ(onlyContent(readPhoto(tilted(modules, random, 3.0, 30))), text) << text;
    }
    EXPECT_GE(found, 2);
}

// The symbol inside a printed box: a dark line one light module outside it,
// as labels often frame their symbols. The line is the outermost dark edge
// near the timing rows, but not theirs. Steep perspective can still carry an
// edge onto the line near its far corner, so a few misses are allowed; a
// wrong content never.
TEST(DatamatrixPhotoReaderTest, SymbolsInAPrintedBoxRead) {
    REQUIRE_ZINT();
    std::mt19937 random(11);
    int32_t read = 0, tried = 0;
    for (const std::string text : {"24I44", "Boxed", "In a box 2026"}) {
        const TModuleMatrix modules = test::zintDatamatrixAnySize("--square -d " + test::shellQuote(text));
        ASSERT_FALSE(modules.empty());
        const size_t n = modules.size() + 4;
        TModuleMatrix boxed(n, std::vector<int>(n, 0));
        for (size_t k = 0; k < n; ++k) boxed[0][k] = boxed[n - 1][k] = boxed[k][0] = boxed[k][n - 1] = 1;
        for (size_t r = 0; r < modules.size(); ++r)
            for (size_t c = 0; c < modules.size(); ++c) boxed[r + 2][c + 2] = modules[r][c];
        for (int trial = 0; trial < 10; ++trial, ++tried) {
            const TVekBarcodes found = readPhoto(tilted(boxed, random, 5.0, 30));
            for (const TVekBarcode& b : found) EXPECT_TRUE(!b.isValid || b.bytes == text) << describe(found);
            read += onlyContent(found) == text;
        }
    }
    EXPECT_GE(read, tried - 3);
}

TEST(DatamatrixPhotoReaderTest, EveryEncodationReadsBackExactly) {
    REQUIRE_ZINT();
    std::mt19937 random(5);
    const std::vector<std::string> contents = {
        "abc 1234567890 Hello",                              // ASCII with digit pairs
        "ORVEL READS DATA MATRIX SYMBOLS 2026",              // C40
        "orvel reads data matrix symbols in text",           // Text
        "ABC123>*DEF456>*GHI789>*JKL012>*MNO",               // X12
        "A.B,C;D:E=F?G@H[I]J^K.L,M;N:O=P?Q@R[",              // EDIFACT
        "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\x01\x02\x03\xFE\xFF\x80\x81\x90",  // Base 256
    };
    for (const std::string& text : contents) {
        const TModuleMatrix modules = test::zintDatamatrixAnySize("--binary -d " + test::shellQuote(text));
        ASSERT_FALSE(modules.empty()) << text;
        EXPECT_EQ(onlyContent(readPhoto(tilted(modules, random, 4.0, 30))), text);
    }
}

TEST(DatamatrixPhotoReaderTest, SmallInvertedAndMirroredSymbolsRead) {
    REQUIRE_ZINT();
    const std::string text = "Small, inverted, mirrored";
    const TModuleMatrix modules = test::zintDatamatrixAnySize("-d " + test::shellQuote(text));
    ASSERT_FALSE(modules.empty());

    EXPECT_EQ(onlyContent(readPhoto(test::renderUpright(modules, 2.0))), text);

    std::mt19937 random(3);
    const TVekBarcodes inverted = readPhoto(tilted(modules, random, 4.0, 25, true));
    EXPECT_EQ(onlyContent(inverted), text);
    EXPECT_TRUE(!inverted.empty() && inverted[0].isInverted);
    TVekReaderOptions noInvert;
    noInvert.tryInvert = false;
    EXPECT_TRUE(readPhoto(tilted(modules, random, 4.0, 25, true), noInvert).empty());

    const TVekBarcodes mirrored = readPhoto(tilted(test::mirroredModules(modules), random, 4.0, 25));
    EXPECT_EQ(onlyContent(mirrored), text);
    EXPECT_TRUE(!mirrored.empty() && mirrored[0].isMirrored);
}

TEST(DatamatrixPhotoReaderTest, TwoSymbolsInOnePictureAreBothReadWithTheirCorners) {
    REQUIRE_ZINT();
    const TModuleMatrix first = test::zintDatamatrixAnySize("-d First");
    const TModuleMatrix second = test::zintDatamatrixAnySize("--vers=5 -d Second");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    const int32_t width = 400, height = 220;
    const TVekGreyImage left = test::renderWarped(first, {{{20, 30}, {170, 40}, {160, 190}, {25, 180}}}, width, height);
    const TVekGreyImage right = test::renderWarped(second, {{{220, 20}, {380, 30}, {370, 200}, {230, 190}}}, width, height);
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) pixels[static_cast<size_t>(y * width + x)] = std::min(left.get(x, y), right.get(x, y));
    TVekReaderOptions options;
    options.tryHarder = true;
    const TVekBarcodes found = readPhoto(TVekGreyImage::fromPixels(std::move(pixels), width, height), options);
    ASSERT_EQ(found.size(), 2u) << describe(found);
    for (const TVekBarcode& barcode : found) {
        EXPECT_TRUE(barcode.isValid);
        const bool isFirst = barcode.bytes == "First";
        EXPECT_TRUE(isFirst || barcode.bytes == "Second");
        // The symbol's top-left corner is two modules inside the rendered
        // quiet zone's corner.
        const TVekPointF expected = isFirst ? TVekPointF{20, 30} : TVekPointF{220, 20};
        EXPECT_LT(distance(barcode.position[0], expected), 0.3 * distance(barcode.position[0], barcode.position[2]));
    }
}

// Without trying harder the first pass that reads a symbol still reads every
// other symbol it holds: tiny ones just off a large one's sides and corner,
// whose regions lie close to the large one's outline and must not be taken
// for its data modules. Under light falling off across the picture the first
// (global) threshold loses the dim side, and the local pass that follows
// reads it.
TEST(DatamatrixPhotoReaderTest, TinySymbolsNextToALargeOneAndUnevenLightRead) {
    REQUIRE_ZINT();
    const TModuleMatrix large =
        test::zintDatamatrixAnySize("--vers=13 -d " + test::shellQuote("Large symbol in the middle"));
    const TModuleMatrix tiny = test::zintDatamatrixAnySize("--vers=1 -d Dot");
    ASSERT_EQ(large.size(), 44u);
    ASSERT_EQ(tiny.size(), 10u);
    const int32_t width = 500, height = 500;
    // Seven pixels a module: the large symbol covers 94..402 both ways. The
    // tiny ones (three pixels a module, 30 across) keep 34 pixels off it, as
    // close as a symbol found already lets another's L be.
    auto box = [](double left, double top, double side) {
        return std::array<TVekPointF, 4>{{{left, top}, {left + side, top}, {left + side, top + side}, {left, top + side}}};
    };
    const std::vector<TVekGreyImage> layers = {test::renderWarped(large, box(80, 80, 48 * 7), width, height),
                                               test::renderWarped(tiny, box(430, 224, 42), width, height),
                                               test::renderWarped(tiny, box(104, 430, 42), width, height),
                                               test::renderWarped(tiny, box(430, 24, 42), width, height)};
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height), 255);
    for (const TVekGreyImage& layer : layers)
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                uint8_t& p = pixels[static_cast<size_t>(y * width + x)];
                p = std::min(p, layer.get(x, y));
            }
    const TVekBarcodes found = readPhoto(TVekGreyImage::fromPixels(std::move(pixels), width, height));
    ASSERT_EQ(found.size(), 4u) << describe(found);
    int32_t tinyCount = 0;
    for (const TVekBarcode& barcode : found) {
        EXPECT_TRUE(barcode.isValid);
        tinyCount += barcode.bytes == "Dot";
    }
    EXPECT_EQ(tinyCount, 3);

    std::mt19937 random(23);
    const TVekGreyImage lit = test::withGradient(tilted(large, random, 4.0, 20), 1.0, 0.25);
    EXPECT_EQ(onlyContent(readPhoto(lit)), "Large symbol in the middle");
}

TEST(DatamatrixPhotoReaderTest, RandomLShapedClutterGivesNothing) {
    std::mt19937 random(11);
    for (int picture = 0; picture < 20; ++picture) {
        const int32_t width = 320, height = 240;
        std::vector<uint8_t> pixels(static_cast<size_t>(width * height), 230);
        auto fill = [&](int32_t x0, int32_t y0, int32_t w, int32_t h) {
            for (int32_t y = std::max(0, y0); y < std::min(height, y0 + h); ++y)
                for (int32_t x = std::max(0, x0); x < std::min(width, x0 + w); ++x) pixels[static_cast<size_t>(y * width + x)] = 25;
        };
        std::uniform_int_distribution<int32_t> px(0, width - 1), py(0, height - 1), len(12, 120), thick(2, 8);
        for (int shape = 0; shape < 12; ++shape) {
            // An L with a ragged inside, and dashes along its open sides.
            const int32_t x = px(random), y = py(random), a = len(random), b = len(random), t = thick(random);
            fill(x, y, t, a);
            fill(x, y + a - t, b, t);
            for (int32_t k = 0; k < b; k += 2 * t) fill(x + k, y, t, t);
            for (int32_t k = 0; k < 6; ++k) fill(x + t + px(random) % std::max(1, b - t), y + py(random) % a, t, t);
        }
        TVekReaderOptions options;
        options.tryHarder = true;
        const TVekBarcodes found = readPhoto(TVekGreyImage::fromPixels(std::move(pixels), width, height), options);
        EXPECT_TRUE(found.empty()) << "picture " << picture << ": " << describe(found);
    }
}

// Codeword-level content: the photo path's extensions.

TVectorInteger x12Pair(const std::string& three) {
    auto value = [](char c) {
        if (c == '\r') return 0;
        if (c == '*') return 1;
        if (c == '>') return 2;
        if (c == ' ') return 3;
        if (c >= '0' && c <= '9') return c - '0' + 4;
        return c - 'A' + 14;
    };
    const int32_t v = 1600 * value(three[0]) + 40 * value(three[1]) + value(three[2]) + 1;
    return {v / 256, v % 256};
}

// EDIFACT values packed six bits each, the last codeword filled with zeros.
TVectorInteger edifactBytes(const std::vector<int32_t>& values) {
    TVectorInteger bytes;
    int32_t bits = 0, count = 0;
    for (int32_t v : values) {
        bits = bits << 6 | v;
        count += 6;
        while (count >= 8) {
            bytes.push_back((bits >> (count - 8)) & 0xFF);
            count -= 8;
        }
    }
    if (count > 0) bytes.push_back((bits << (8 - count)) & 0xFF);
    return bytes;
}

std::vector<int32_t> edifactValues(const std::string& text) {
    std::vector<int32_t> values;
    for (char c : text) values.push_back(c == '~' ? 0x1F : c & 0x3F);  // '~' marks the unlatch here
    return values;
}

int32_t pad253(int32_t position) {
    const int32_t v = 129 + (149 * position) % 253 + 1;
    return v > 254 ? v - 254 : v;
}

TVectorInteger join(std::initializer_list<TVectorInteger> parts) {
    TVectorInteger all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TVekBarcode content(const TVectorInteger& codewords) {
    TVekBarcode barcode;
    TVekDatamatrixContent::decode(codewords, barcode);
    return barcode;
}

TEST(DatamatrixContentTest, X12UnlatchesAndEndsInAscii) {
    // Unlatch, then ASCII.
    EXPECT_EQ(content(join({{238}, x12Pair("AB1"), x12Pair(">*\r"), {254, 'd' + 1, 129}})).bytes, "AB1>*\rd");
    // One codeword left at the end of the symbol is ASCII without an unlatch.
    EXPECT_EQ(content(join({{238}, x12Pair("XYZ"), {'E' + 1}})).bytes, "XYZE");
    // The symbol ends on a whole pair.
    EXPECT_EQ(content(join({{238}, x12Pair("123"), x12Pair("456")})).bytes, "123456");
    // A value above 39 cannot be X12.
    EXPECT_FALSE(content({238, 255, 255}).isValid);
}

TEST(DatamatrixContentTest, EdifactUnlatchesInsideATripleAndPads) {
    // The unlatch as the second value of a triple takes two codewords.
    const TVectorInteger two = join({{240}, edifactBytes(edifactValues("ABCDE~")), {'f' + 1, 129}});
    EXPECT_EQ(content(two).bytes, "ABCDEf");
    // Unlatch first in a triple: one codeword; then the standard's pads.
    TVectorInteger padded = join({{240}, edifactBytes(edifactValues("A.B,~")), {129}});
    padded.push_back(pad253(static_cast<int32_t>(padded.size()) + 1));
    EXPECT_EQ(content(padded).bytes, "A.B,");
    // Fewer than three codewords left are ASCII without an unlatch.
    EXPECT_EQ(content(join({{240}, edifactBytes(edifactValues("WXYZ")), {'1' + 1, '2' + 1}})).bytes, "WXYZ12");
    // The symbol ends on a whole triple.
    EXPECT_EQ(content(join({{240}, edifactBytes(edifactValues("@[\\]^?AB"))})).bytes, "@[\\]^?AB");
}

TEST(DatamatrixContentTest, EciFnc1AndTheDocumentedRefusal) {
    // Pilcrow in Latin-1, ECI 7 (ISO 8859-5), Cyrillic Zhe: both bytes 0xB6.
    const TVekBarcode eci = content({235, 0xB6 - 127, 241, 8, 235, 0xB6 - 127, 129});
    ASSERT_TRUE(eci.isValid);
    EXPECT_EQ(eci.bytes, "\xB6\xB6");
    ASSERT_EQ(eci.eciMarks.size(), 1u);
    EXPECT_EQ(eci.eciMarks[0], (TVekEciMark{1, 7}));
    EXPECT_EQ(eci.text(), "\xC2\xB6\xD0\x96");
    EXPECT_EQ(eci.symbologyIdentifier, "]d1");

    const TVekBarcode gs1 = content({232, 130 + 1, 130 + 23, 232, 130 + 10, 'A' + 1});
    EXPECT_EQ(gs1.symbologyIdentifier, "]d2");
    EXPECT_EQ(gs1.bytes, "0123\x1D" "10A");
    // FNC1 in C40 is a control like ASCII's on this path: 1, 27 is FNC1.
    const int32_t c40 = 1600 * 1 + 40 * 27 + 14 + 1;  // FNC1, 'A'
    EXPECT_EQ(content({'B' + 1, 230, c40 / 256, c40 % 256}).bytes, "B\x1D" "A");

    // Structured append and ECI before an FNC1 leave it in the first place; a
    // macro writes its header and trailer; Reader Programming carries nothing.
    const TVekBarcode part = content({233, 0x12, 1, 2, 241, 27, 232, 130 + 1, 'B' + 1});
    EXPECT_EQ(part.symbologyIdentifier, "]d2");
    EXPECT_EQ(part.bytes, "01B");
    EXPECT_EQ(part.structuredAppend.index, 1);
    EXPECT_EQ(part.structuredAppend.count, 15);
    EXPECT_EQ(part.structuredAppend.id, "258");
    ASSERT_EQ(part.eciMarks.size(), 1u);
    EXPECT_EQ(part.eciMarks[0], (TVekEciMark{0, 26}));
    const TVekBarcode macro = content({236, 'A' + 1, 232, 'B' + 1});
    EXPECT_EQ(macro.symbologyIdentifier, "]d1");
    EXPECT_EQ(macro.bytes, "[)>\x1E" "05\x1D" "A\x1D" "B\x1E\x04");
    EXPECT_EQ(content({234, 'A' + 1, 237}).bytes, "A[)>\x1E" "06\x1D\x1E\x04");
    EXPECT_EQ(content({234, 232, 'A' + 1}).symbologyIdentifier, "]d1");
    // Codeword 0, which no encoder writes, gives no byte but takes the first place.
    const TVekBarcode zero = content({0, 232, 'A' + 1});
    EXPECT_EQ(zero.symbologyIdentifier, "]d1");
    EXPECT_EQ(zero.bytes, "\x1D" "A");

    // The documented reading still refuses both latches.
    for (int32_t latch : {238, 240}) {
        TVekDatamatrixCWDecoder documented;
        const TVectorInteger codewords = {latch, 1, 1, 1};
        TVectorString texts(16);
        TVectorInteger values(16);
        int32_t pos = 0, count = 0;
        EXPECT_THROW(documented.decode(pos, codewords, texts, values, count), TVekDecodeCWException);
    }
}

}  // namespace
}  // namespace orvel
