#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "foundation/VekBinaryCache.h"
#include "oned/VekCode128LineDecoder.h"
#include "oned/VekLinearPhotoReader.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using F = TVekBarcodeFormat;

// How a linear symbol is photographed.
struct TShot {
    double pixelsPerModule = 2;
    double degrees = 0;      // turned clockwise about the picture's centre
    double inkSpread = 0;    // bars wider by this many modules
    int blurRadius = 0;      // box blur, pixels
    double noise = 0;        // grey levels (standard deviation)
    bool gradient = false;   // light falling from left to right
};

// One row of a zint dump without the padding zint adds to whole hex digits.
std::vector<int> moduleRow(const std::string& zintArguments) {
    const auto rows = test::zintDump(zintArguments);
    if (rows.empty()) return {};
    std::vector<int> row = rows[rows.size() / 2];
    while (!row.empty() && row.back() == 0) row.pop_back();
    return row;
}

TVekGreyImage boxBlurred(const TVekGreyImage& grey, int radius) {
    if (radius <= 0) return grey;
    const int32_t w = grey.width(), h = grey.height();
    std::vector<uint8_t> out(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int sum = 0, count = 0;
            for (int32_t dy = -radius; dy <= radius; ++dy)
                for (int32_t dx = -radius; dx <= radius; ++dx) {
                    const int32_t sx = std::clamp(x + dx, 0, w - 1), sy = std::clamp(y + dy, 0, h - 1);
                    sum += grey.get(sx, sy);
                    ++count;
                }
            out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(sum / count);
        }
    return TVekGreyImage::fromPixels(std::move(out), w, h);
}

// The bars of `modules`, with ten modules of quiet zone on each side, as a
// camera would see them: each pixel the average of 4 x 4 sub-samples.
TVekGreyImage photograph(const std::vector<int>& modules, const TShot& shot, std::mt19937& random) {
    const double p = shot.pixelsPerModule;
    const double length = (static_cast<double>(modules.size()) + 20) * p;
    const double height = std::max(30.0, 0.25 * length);
    const int32_t side = static_cast<int32_t>(std::hypot(length, height)) + 16;
    const double turn = shot.degrees * std::numbers::pi / 180, c = std::cos(turn), s = std::sin(turn);
    const double centre = 0.5 * side;
    std::vector<uint8_t> pixels(static_cast<size_t>(side) * static_cast<size_t>(side));
    const auto dark = [&](double u) {
        const double m = u / p - 10;
        for (const double edge : {m - 0.5 * shot.inkSpread, m + 0.5 * shot.inkSpread}) {
            const auto k = static_cast<long>(std::floor(edge));
            if (k >= 0 && k < static_cast<long>(modules.size()) && modules[static_cast<size_t>(k)] != 0) return true;
        }
        return false;
    };
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x) {
            int covered = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const double dx = x + (sx + 0.5) / 4 - centre, dy = y + (sy + 0.5) / 4 - centre;
                    const double u = c * dx + s * dy + 0.5 * length, v = -s * dx + c * dy;
                    if (std::abs(v) <= 0.5 * height && dark(u)) ++covered;
                }
            pixels[static_cast<size_t>(y) * static_cast<size_t>(side) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(220 - covered * (180 / 16));
        }
    TVekGreyImage grey = boxBlurred(TVekGreyImage::fromPixels(std::move(pixels), side, side), shot.blurRadius);
    if (shot.gradient) grey = test::withGradient(grey, 1.0, 0.45);
    if (shot.noise > 0) grey = test::withNoise(grey, shot.noise, random);
    return grey;
}

TVekBarcodes readLinear(const TVekGreyImage& grey, TVekBarcodeFormats formats = {},
                        TVekReaderOptions options = {}) {
    options.formats = formats;
    TVekBinaryCache picture(grey);
    return TVekLinearPhotoReader(options).read(picture);
}

struct TSymbol {
    std::string zint;
    F format;
    std::string bytes;
    std::string identifier;
};

const std::vector<TSymbol>& nineSymbologies() {
    static const std::vector<TSymbol> symbols = {
        {"-b 13 -d 978020137962", F::ean13, "9780201379624", "]E0"},
        {"-b 34 -d 03600029145", F::upcA, "036000291452", "]E0"},
        {"-b 13 -d 9638507", F::ean8, "96385074", "]E4"},
        {"-b 37 -d 0123456", F::upcE, "01234565", "]E0"},
        {"-b 20 -d 'Orvel 128/x'", F::code128, "Orvel 128/x", "]C0"},
        {"-b 8 -d ORVEL-39", F::code39, "ORVEL-39", "]A0"},
        {"-b 3 -d 12345670", F::interleaved25, "12345670", "]I0"},
        {"-b 22 -d 12345678901", F::identcode, "123456789016", "]I0"},
        {"-b 18 -d A40156B", F::codabar, "40156", "]F0"},
    };
    return symbols;
}

// Round trips of every symbology through blur, ink spread, noise, uneven
// light, small modules, reversed and turned pictures.
TEST(LinearPhotoReader, ReadsAllNineSymbologiesInCameraConditions) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    const std::vector<TShot> shots = {
        {2.0, 3, 0, 0, 0, false},      // small modules, slightly tilted
        {2.0, 0, 0.25, 0, 4, false},   // ink spread, noise
        {2.5, 180, -0.2, 1, 3, true},  // upside down, thin bars, gradient
        {3.0, 90, 0.3, 1, 4, false},   // turned a quarter
        {4.0, -8, 0, 2, 3, true},      // tilted, strong blur
    };
    std::mt19937 random(7);
    for (const TSymbol& symbol : nineSymbologies()) {
        const std::vector<int> modules = moduleRow(symbol.zint);
        ASSERT_FALSE(modules.empty()) << symbol.zint;
        // Thin bars with blur still defeat the narrow/wide split of the
        // width-modulated symbologies: they get the milder pictures.
        const bool widthModulated = symbol.format == F::code39 || symbol.format == F::interleaved25 ||
                                    symbol.format == F::identcode || symbol.format == F::codabar;
        for (const TShot& shot : shots) {
            if (widthModulated && (shot.inkSpread < 0 || shot.blurRadius > 1)) continue;
            const TVekBarcodes found = readLinear(photograph(modules, shot, random), {symbol.format});
            ASSERT_EQ(found.size(), 1u) << symbol.zint << " at " << shot.pixelsPerModule << " px, " << shot.degrees;
            EXPECT_EQ(found[0].format, symbol.format);
            EXPECT_EQ(found[0].bytes, symbol.bytes) << symbol.zint;
            EXPECT_EQ(found[0].symbologyIdentifier, symbol.identifier);
        }
    }
}

// An upright symbol on a light label taller than it: bars `barHeight` rows
// high from row `top`, `depth` grey levels darker than the ground, blurred;
// with `darkPrint`, a black block of print past the right quiet zone.
TVekGreyImage label(const std::vector<int>& modules, double pixelsPerModule, int32_t height, int32_t top,
                    int32_t barHeight, int depth, bool darkPrint) {
    const double quiet = 10 * pixelsPerModule;
    const auto symbolWidth = static_cast<int32_t>((static_cast<double>(modules.size()) + 20) * pixelsPerModule);
    const int32_t width = symbolWidth + (darkPrint ? 40 : 0);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 220);
    for (int32_t x = 0; x < width; ++x) {
        int covered = 0;
        for (int sx = 0; sx < 4; ++sx) {
            const double m = (x + (sx + 0.5) / 4 - quiet) / pixelsPerModule;
            const auto k = static_cast<long>(std::floor(m));
            if (k >= 0 && k < static_cast<long>(modules.size()) && modules[static_cast<size_t>(k)] != 0) ++covered;
        }
        const bool print = darkPrint && x >= symbolWidth + 8 && x < symbolWidth + 32;
        for (int32_t y = 0; y < height; ++y) {
            uint8_t& pixel = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            if (print && y >= top - 20 && y < top + barHeight + 20) pixel = 20;
            else if (y >= top && y < top + barHeight) pixel = static_cast<uint8_t>(220 - covered * depth / 4);
        }
    }
    return boxBlurred(TVekGreyImage::fromPixels(std::move(pixels), width, height), 1);
}

// Labels the usual grid crosses badly: bars a few rows high on a tall
// picture meet one line of it only, and faint bars beside black print lose
// their narrow spaces at the edge threshold the print's contrast sets.
TEST(LinearPhotoReader, ReadsShortAndFaintBars) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    const std::vector<int> ean13 = moduleRow("-b 13 -d 978020137962");
    const std::vector<int> upcA = moduleRow("-b 34 -d 03600029145");
    // 128 lines over 1500 rows: rows 697 and 709 are on the grid.
    for (const int32_t top : {692, 703}) {
        const TVekBarcodes found = readLinear(label(ean13, 2.5, 1500, top, 8, 180, false), {F::ean13});
        ASSERT_EQ(found.size(), 1u) << top;
        EXPECT_EQ(found[0].bytes, "9780201379624");
    }
    for (const int depth : {30, 60}) {
        const TVekBarcodes found = readLinear(label(upcA, 2.5, 120, 30, 60, depth, true), {F::upcA});
        ASSERT_EQ(found.size(), 1u) << depth;
        EXPECT_EQ(found[0].bytes, "036000291452");
    }
}

// Near the limit of blur and module size, lines misread digits alike and the
// check digit lets one wrong number in ten through: over random numbers the
// reader gives the right number or none, never another.
TEST(LinearPhotoReader, BlurredEanUpcGivesTheRightNumberOrNone) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    std::mt19937 random(11);
    std::uniform_int_distribution<int> digit(0, 9);
    int read = 0;
    for (int k = 0; k < 24; ++k) {
        const bool upcE = k % 2 == 1;
        std::string number = upcE ? "0" : "";
        for (int i = 0; i < (upcE ? 6 : 12); ++i) number.push_back(static_cast<char>('0' + digit(random)));
        const std::vector<int> modules = moduleRow(upcE ? "-b 37 -d " + number.substr(1) : "-b 13 -d " + number);
        if (upcE && modules.empty()) continue;  // six digits no UPC-A number compresses to
        ASSERT_FALSE(modules.empty()) << number;
        const TShot shot{1.6 + 0.05 * k, k % 3 == 0 ? 180.0 : 2.0, 0.2 * (k % 3) - 0.2, 1, 3, k % 4 == 0};
        const TVekBarcodes found = readLinear(photograph(modules, shot, random), {F::ean13, F::upcE});
        if (found.empty()) continue;
        ++read;
        ASSERT_EQ(found.size(), 1u) << number;
        EXPECT_EQ(found[0].bytes.substr(0, number.size()), number);
    }
    EXPECT_GE(read, 8);  // the pictures are not all past reading
}

TEST(LinearPhotoReader, PositionHoldsTheCornersClockwiseFromTheSymbolsTopLeft) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    std::mt19937 random(3);
    const std::vector<int> modules = moduleRow("-b 13 -d 978020137962");
    for (const double degrees : {0.0, 90.0, 180.0, 270.0}) {
        const TVekGreyImage grey = photograph(modules, {3, degrees}, random);
        const TVekBarcodes found = readLinear(grey);
        ASSERT_EQ(found.size(), 1u) << degrees;
        const auto& corner = found[0].position;
        // The top edge runs along the reading direction, the picture's centre inside.
        EXPECT_NEAR(std::fmod(found[0].orientation + 360, 360.0), degrees, 3) << degrees;
        EXPECT_GT(cross(corner[1] - corner[0], corner[3] - corner[0]), 0) << degrees;
        const TVekPointF middle = found[0].centre();
        EXPECT_NEAR(middle.x, 0.5 * grey.width(), 0.1 * grey.width());
        EXPECT_NEAR(middle.y, 0.5 * grey.height(), 0.1 * grey.height());
    }
}

TEST(LinearPhotoReader, GivesGs1AndExtendedCode128Content) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    std::mt19937 random(5);
    const TVekBarcodes gs1 = readLinear(photograph(moduleRow("-b 16 -d '[10]ABC123[21]XYZ'"), {2}, random));
    ASSERT_EQ(gs1.size(), 1u);
    EXPECT_EQ(gs1[0].bytes, "10ABC123\x1d" "21XYZ");
    EXPECT_EQ(gs1[0].symbologyIdentifier, "]C1");
    const TVekBarcodes latin = readLinear(photograph(moduleRow("-b 20 -d 'Caf\xc3\xa9 \xc3\xa0 la'"), {2}, random));
    ASSERT_EQ(latin.size(), 1u);
    EXPECT_EQ(latin[0].bytes, "Caf\xe9 \xe0 la");
    EXPECT_EQ(latin[0].text(), "Caf\xc3\xa9 \xc3\xa0 la");
}

TEST(LinearPhotoReader, Code128ShiftsAndLatchesToExtendedBytes) {
    // Start B, 'a', FNC4 FNC4 (latch), 'A' -> 0xC1, FNC4 (one back), 'B',
    // Shift to A, 0x01 control (value 65), Code C, 12.
    std::string bytes, identifier;
    ASSERT_TRUE(TVekCode128LineDecoder::interpret({104, 65, 100, 100, 33, 100, 34, 98, 65, 99, 12}, bytes, identifier));
    EXPECT_EQ(bytes, std::string("a\xc1" "B\x81" "12"));
    EXPECT_EQ(identifier, "]C0");
    EXPECT_FALSE(TVekCode128LineDecoder::interpret({105, 101, 103}, bytes, identifier));
}

TEST(LinearPhotoReader, HonoursTheRequestedFormats) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    std::mt19937 random(9);
    const TVekGreyImage upcA = photograph(moduleRow("-b 34 -d 03600029145"), {2.5}, random);
    EXPECT_TRUE(readLinear(upcA, {F::code128, F::code39, F::ean8, F::upcE}).empty());
    EXPECT_TRUE(readLinear(upcA, {F::qrCode}).empty());
    const TVekBarcodes asEan = readLinear(upcA, {F::ean13});
    ASSERT_EQ(asEan.size(), 1u);
    EXPECT_EQ(asEan[0].bytes, "0036000291452");
    const TVekGreyImage itf = photograph(moduleRow("-b 3 -d 12345670"), {2.5}, random);
    EXPECT_TRUE(readLinear(itf, {F::identcode}).empty());  // no Identcode check digit
}

// The symbol's modules with dark print 9 modules away on each side.
std::vector<int> betweenPrint(const std::vector<int>& symbol) {
    std::vector<int> modules(4, 1);
    modules.insert(modules.end(), 9, 0);
    modules.insert(modules.end(), symbol.begin(), symbol.end());
    modules.insert(modules.end(), 9, 0);
    modules.insert(modules.end(), 4, 1);
    return modules;
}

// A short Interleaved 2 of 5 symbol between dark print nine modules away (a
// quiet zone shorter than the standard's) could be a piece of another
// symbol: only a lowered minimum length lets it through.
TEST(LinearPhotoReader, ShortInterleavedNeedsALoweredMinimum) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    std::mt19937 random(17);
    const std::vector<int> itf = moduleRow("-b 3 -d 4711");
    ASSERT_FALSE(itf.empty());
    const TVekGreyImage grey = photograph(betweenPrint(itf), {2.5}, random);
    EXPECT_TRUE(readLinear(grey, {F::interleaved25}).empty());
    TVekReaderOptions lowered;
    lowered.minInterleavedDigits = 4;
    const TVekBarcodes found = readLinear(grey, {F::interleaved25}, lowered);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].bytes, "4711");
    lowered.minInterleavedDigits = 8;  // a longer symbol with the same margins is refused then
    const TVekGreyImage six = photograph(betweenPrint(moduleRow("-b 3 -d 123456")), {2.5}, random);
    EXPECT_EQ(readLinear(six, {F::interleaved25}).size(), 1u);
    EXPECT_TRUE(readLinear(six, {F::interleaved25}, lowered).empty());
}

// EAN-2 and EAN-5 add-ons, upright and upside down: ignored by default, their
// digits after the main ones when asked, and required only when so told.
TEST(LinearPhotoReader, ReadsEanAddOnsWhenAsked) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    std::mt19937 random(19);
    struct TCase {
        std::string zint, main, addOn;
    };
    const std::vector<TCase> cases = {{"-b 13 -d 9780201379624+51995", "9780201379624", "51995"},
                                      {"-b 13 -d 9780201379624+12", "9780201379624", "12"},
                                      {"-b 34 -d 03600029145+90000", "036000291452", "90000"},
                                      {"-b 37 -d 0123456+07", "01234565", "07"}};
    TVekReaderOptions read, require;
    read.eanAddOn = TVekEanAddOn::read;
    require.eanAddOn = TVekEanAddOn::require;
    for (const TCase& symbol : cases) {
        const std::vector<int> modules = moduleRow(symbol.zint);
        ASSERT_FALSE(modules.empty()) << symbol.zint;
        for (const double degrees : {0.0, 180.0}) {
            const TVekGreyImage grey = photograph(modules, {2.5, degrees, 0, 1, 3}, random);
            const TVekBarcodes plain = readLinear(grey);
            ASSERT_EQ(plain.size(), 1u) << symbol.zint;
            EXPECT_EQ(plain[0].bytes, symbol.main);
            EXPECT_EQ(plain[0].symbologyIdentifier, "]E0");
            for (const TVekReaderOptions& options : {read, require}) {
                const TVekBarcodes found = readLinear(grey, {}, options);
                ASSERT_EQ(found.size(), 1u) << symbol.zint << " " << degrees;
                EXPECT_EQ(found[0].bytes, symbol.main + symbol.addOn);
                EXPECT_EQ(found[0].symbologyIdentifier, "]E3");
            }
        }
    }
    const TVekGreyImage alone = photograph(moduleRow("-b 13 -d 978020137962"), {2.5}, random);
    EXPECT_EQ(readLinear(alone, {}, read).size(), 1u);
    EXPECT_TRUE(readLinear(alone, {}, require).empty());
}

// The part of an upright photograph (degrees 0) from module `from` to module
// `to` of the symbol (negative: into the quiet zone before it), rows within
// the bars only; the first column dark when `darkBorder`, as a frame leaves it.
TVekGreyImage symbolPart(const std::vector<int>& modules, double pixelsPerModule, double from, double to,
                         bool darkBorder, std::mt19937& random) {
    const TVekGreyImage grey = photograph(modules, {pixelsPerModule}, random);
    const double length = (static_cast<double>(modules.size()) + 20) * pixelsPerModule;
    const double height = std::max(30.0, 0.25 * length);
    const double firstBar = 0.5 * grey.width() - 0.5 * length + 10 * pixelsPerModule;
    const auto left = static_cast<int32_t>(std::floor(firstBar + from * pixelsPerModule));
    const auto right = static_cast<int32_t>(std::ceil(firstBar + to * pixelsPerModule));
    const auto top = static_cast<int32_t>(0.5 * grey.height() - 0.5 * height) + 2;
    const auto rows = static_cast<int32_t>(height) - 4;
    const TVekGreyImage part = grey.cropped(left, top, right - left, rows);
    std::vector<uint8_t> pixels;
    for (int32_t y = 0; y < part.height(); ++y)
        for (int32_t x = 0; x < part.width(); ++x) pixels.push_back(darkBorder && x == 0 ? 30 : part.get(x, y));
    return TVekGreyImage::fromPixels(std::move(pixels), part.width(), part.height());
}

// Pictures cropped close: a Code 39 symbol whose start and stop characters
// touch the picture's border is whole (they never stand inside a symbol), one
// cut inside is not; an EAN-8 quiet zone ending in a dark frame line at the
// border still counts.
TEST(LinearPhotoReader, ReadsSymbolsCroppedAtThePicturesBorderButNotCutOnes) {
    if (!test::haveZint()) GTEST_SKIP() << "zint not installed";
    std::mt19937 random(13);
    const std::vector<int> code39 = moduleRow("-b 8 -d ORVEL-39");
    const double size = static_cast<double>(code39.size());
    const TVekBarcodes whole = readLinear(symbolPart(code39, 3, -0.3, size + 0.3, false, random));
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].bytes, "ORVEL-39");
    for (const double cut : {0.5 * size, 20.0})
        EXPECT_TRUE(readLinear(symbolPart(code39, 3, cut, size + 5, false, random)).empty()) << cut;
    const std::vector<int> ean8 = moduleRow("-b 13 -d 9638507");
    const double eanSize = static_cast<double>(ean8.size());
    const TVekBarcodes framed = readLinear(symbolPart(ean8, 3, -4.5, eanSize + 5, true, random));
    ASSERT_EQ(framed.size(), 1u);
    EXPECT_EQ(framed[0].bytes, "96385074");
}

// Stripes, a 2D symbol and noise hold no linear symbol; nothing may come back.
TEST(LinearPhotoReader, FindsNothingInStripesTextureAndTwoDimensionalSymbols) {
    std::mt19937 random(11);
    for (int picture = 0; picture < 12; ++picture) {
        std::vector<int> modules;
        std::uniform_int_distribution<int> width(1, picture % 3 == 0 ? 2 : 4);
        for (int element = 0; element < 120; ++element)
            modules.insert(modules.end(), static_cast<size_t>(width(random)), element % 2 == 0 ? 1 : 0);
        const TVekBarcodes found = readLinear(photograph(modules, {2.0 + picture % 3, 0, 0, picture % 2}, random));
        for (const TVekBarcode& barcode : found)
            ADD_FAILURE() << "stripes " << picture << " read as " << formatName(barcode.format) << " " << barcode.bytes;
    }
    if (!test::haveZint()) return;
    for (const char* symbol : {"-b 58 -d 'Orvel reads QR Code too'", "-b 71 -d 'DM 0123456789'",
                                      "-b 55 -d 'PDF417 rows are not linear symbols'"}) {
        const auto modules = test::zintDump(symbol);
        for (const double scale : {2.0, 3.0}) {
            const TVekBarcodes found = readLinear(test::renderUpright(modules, scale));
            EXPECT_TRUE(found.empty()) << symbol << " read as " << (found.empty() ? "" : found[0].bytes);
        }
    }
}

}  // namespace
}  // namespace orvel
