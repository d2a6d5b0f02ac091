// MicroPDF417 from pictures: the size table against zint's symbols, round
// trips of every size, the distortions a camera brings, Macro
// MicroPDF417, and PDF417 and MicroPDF417 never taken for each other.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>

#include "foundation/VekBinaryCache.h"
#include "pdf417/VekMicroPDF417Layout.h"
#include "pdf417/VekMicroPDF417PhotoReader.h"
#include "pdf417/VekMicroPDF417RapReader.h"
#include "pdf417/VekPDF417PhotoReader.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::TModuleMatrix;
using TLayout = TVekMicroPDF417Layout;

// Letters that make zint choose each size for its columns.
struct TSizeSample {
    int columns;
    int rows;
    int letters;
};
constexpr TSizeSample SIZE_SAMPLES[] = {
    {1, 11, 1},   {1, 14, 7},   {1, 17, 13},  {1, 20, 19},  {1, 24, 23},  {1, 28, 31},  {2, 8, 1},
    {2, 11, 15},  {2, 14, 25},  {2, 17, 37},  {2, 20, 47},  {2, 23, 57},  {2, 26, 65},  {3, 6, 1},
    {3, 8, 11},   {3, 10, 19},  {3, 12, 27},  {3, 15, 35},  {3, 20, 47},  {3, 26, 67},  {3, 32, 91},
    {3, 38, 115}, {3, 44, 139}, {4, 4, 1},    {4, 6, 15},   {4, 8, 23},   {4, 10, 35},  {4, 12, 47},
    {4, 15, 59},  {4, 20, 77},  {4, 26, 107}, {4, 32, 143}, {4, 38, 179}, {4, 44, 216},
};

std::string lettersOf(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('A' + i % 26);
    return text;
}

// zint's rows cut to the symbol's width, each `height` modules high.
TModuleMatrix microModules(const std::string& arguments, int height = 2) {
    const auto rows = test::zintDump("-b MICROPDF417 " + arguments);
    if (rows.empty()) return {};
    const int columns = TLayout::columnsOfWidth(static_cast<double>(rows[0].size()) - 2);
    TModuleMatrix modules;
    for (auto row : rows) {
        if (columns > 0) row.resize(static_cast<size_t>(TLayout::rowModules(columns)));
        modules.insert(modules.end(), static_cast<size_t>(height), row);
    }
    return modules;
}

TVekBarcodes readMicro(const TVekGreyImage& grey, bool returnErrors = false) {
    TVekReaderOptions options;
    options.returnErrors = returnErrors;
    TVekBinaryCache picture(grey);
    return TVekMicroPDF417PhotoReader(options).read(picture);
}

TModuleMatrix turned(const TModuleMatrix& modules) {
    TModuleMatrix result(modules.front().size(), std::vector<int>(modules.size()));
    for (size_t r = 0; r < modules.size(); ++r) {
        for (size_t c = 0; c < modules[r].size(); ++c) result[c][modules.size() - 1 - r] = modules[r][c];
    }
    return result;
}

// Each level the average of its (2 radius + 1)² neighbourhood: an out of
// focus picture.
TVekGreyImage blurred(const TVekGreyImage& grey, int radius) {
    const int32_t w = grey.width(), h = grey.height();
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            int sum = 0, count = 0;
            for (int32_t dy = -radius; dy <= radius; ++dy) {
                for (int32_t dx = -radius; dx <= radius; ++dx) {
                    const int32_t sx = std::clamp(x + dx, 0, w - 1), sy = std::clamp(y + dy, 0, h - 1);
                    sum += grey.row(sy)[sx];
                    ++count;
                }
            }
            pixels[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(sum / count);
        }
    }
    return TVekGreyImage::fromPixels(std::move(pixels), w, h);
}

// The symbol of `modules` (with its quiet zone) turned by `degrees` and
// seen at a slant: its far side `keystone` shorter than its near side.
TVekGreyImage seenAtAnAngle(const TModuleMatrix& modules, double pixelsPerModule, double degrees, double keystone) {
    const double w = (static_cast<double>(modules.front().size()) + 4) * pixelsPerModule;
    const double h = (static_cast<double>(modules.size()) + 4) * pixelsPerModule;
    const double shrink = 0.5 * keystone * w;
    std::array<TVekPointF, 4> corners = {TVekPointF{-w / 2 + shrink, -h / 2}, {w / 2 - shrink, -h / 2},
                                         {w / 2, h / 2}, {-w / 2, h / 2}};
    const double a = degrees * 3.14159265358979323846 / 180;
    const double side = std::hypot(w, h) + 40;
    for (TVekPointF& p : corners) {
        p = {p.x * std::cos(a) - p.y * std::sin(a) + side / 2, p.x * std::sin(a) + p.y * std::cos(a) + side / 2};
    }
    const auto size = static_cast<int32_t>(side);
    return test::renderWarped(modules, corners, size, size);
}

// The RAPs zint draws in every row are the ones the size table gives, and
// the codewords' cluster turns from row to row as the table says.
TEST(MicroPDF417Layout, SizeTableMatchesZintSymbols) {
    ASSERT_TRUE(test::haveZint());
    std::set<std::pair<int, int>> sizes;
    for (const TLayout::TVariant& variant : TLayout::variants()) sizes.insert({variant.columns, variant.rows});
    EXPECT_EQ(sizes.size(), 34u);
    const auto rapAt = [](const std::vector<int>& row, int start) {
        std::array<int32_t, 6> widths{};
        size_t element = 0;
        for (int m = start; m < start + TLayout::RAP_MODULES; ++m) {
            if (m > start && row[static_cast<size_t>(m)] != row[static_cast<size_t>(m) - 1]) ++element;
            if (element >= widths.size()) return TLayout::TPattern{};
            ++widths[element];
        }
        std::array<int32_t, 5> pairs{};
        for (size_t k = 0; k < pairs.size(); ++k) pairs[k] = widths[k] + widths[k + 1];
        return TLayout::patternOf(pairs);
    };
    for (const TSizeSample& sample : SIZE_SAMPLES) {
        const std::string what = std::to_string(sample.columns) + " x " + std::to_string(sample.rows);
        const TModuleMatrix modules =
            microModules("--cols=" + std::to_string(sample.columns) + " -d " + lettersOf(sample.letters), 1);
        ASSERT_EQ(static_cast<int>(modules.size()), sample.rows) << what;
        const TLayout::TVariant* variant = nullptr;
        for (const TLayout::TVariant& v : TLayout::variants()) {
            if (v.columns == sample.columns && v.rows == sample.rows) variant = &v;
        }
        ASSERT_NE(variant, nullptr) << what;
        for (int r = 0; r < sample.rows; ++r) {
            const auto& row = modules[static_cast<size_t>(r)];
            const TLayout::TPattern left = rapAt(row, 0);
            const TLayout::TPattern right = rapAt(row, TLayout::rightStart(sample.columns));
            EXPECT_FALSE(left.centre || right.centre) << what;
            EXPECT_EQ(TLayout::rowOf(*variant, variant->left, left.number), r) << what;
            EXPECT_EQ(TLayout::rowOf(*variant, variant->right, right.number), r) << what;
            if (sample.columns >= 3) {
                const TLayout::TPattern centre = rapAt(row, TLayout::centreStart(sample.columns));
                EXPECT_TRUE(centre.centre) << what;
                EXPECT_EQ(TLayout::rowOf(*variant, variant->centre, centre.number), r) << what;
            }
            EXPECT_EQ(row.back(), 1) << what;  // the stop bar
        }
    }
}

// Every size upright, its rows two modules high, at 3 pixels a module.
TEST(MicroPDF417PhotoReader, EverySizeUpright) {
    ASSERT_TRUE(test::haveZint());
    for (const TSizeSample& sample : SIZE_SAMPLES) {
        const std::string what = std::to_string(sample.columns) + " x " + std::to_string(sample.rows);
        const std::string message = lettersOf(sample.letters);
        const std::string arguments = "--cols=" + std::to_string(sample.columns) + " -d " + message;
        const TVekBarcodes found = readMicro(test::renderUpright(microModules(arguments), 3.0));
        ASSERT_EQ(found.size(), 1u) << what;
        EXPECT_TRUE(found[0].isValid) << what;
        EXPECT_EQ(found[0].bytes, message) << what;
        EXPECT_EQ(found[0].format, TVekBarcodeFormat::microPdf417);
        EXPECT_EQ(found[0].symbologyIdentifier, "]L2");
    }
}

// Sizes of each column count, each turned by quarters, mirrored, seen at an
// angle (turned and foreshortened), out of focus and at 2 pixels a module:
// nearly all read, and nothing read wrong.
TEST(MicroPDF417PhotoReader, DistortedRenderings) {
    ASSERT_TRUE(test::haveZint());
    std::mt19937 random(24728);
    std::uniform_real_distribution<double> wobble(-7.0, 7.0);
    std::uniform_real_distribution<double> keystone(0.0, 0.25);
    int tried = 0, read = 0, wrong = 0;
    std::string misses;
    const auto check = [&](const TVekGreyImage& grey, const std::string& message, const std::string& what) {
        ++tried;
        const TVekBarcodes found = readMicro(grey);
        for (const TVekBarcode& barcode : found) {
            if (barcode.bytes != message) ++wrong;
        }
        if (found.size() == 1 && found[0].bytes == message) {
            ++read;
        } else {
            misses += " [" + what + "]";
        }
    };
    for (const TSizeSample& sample : SIZE_SAMPLES) {
        if (sample.rows % 2 != 0 && sample.columns != 1) continue;  // half the sizes
        const std::string size = std::to_string(sample.columns) + "x" + std::to_string(sample.rows);
        const std::string message = lettersOf(sample.letters) + "0123";
        const TModuleMatrix upright = microModules("--cols=" + std::to_string(sample.columns) + " -d " + message);
        ASSERT_FALSE(upright.empty()) << size;
        TModuleMatrix modules = upright;
        for (int turn = 1; turn < 4; ++turn) {
            modules = turned(modules);
            check(test::renderUpright(modules, 3.0), message, size + " turn " + std::to_string(turn));
        }
        check(test::renderUpright(test::mirroredModules(upright), 3.0), message, size + " mirrored");
        check(test::renderUpright(upright, 2.0), message, size + " 2 px");
        check(blurred(test::renderUpright(upright, 4.0), 1), message, size + " blurred");
        // Near the quarters, and near 30 and 150 degrees (what the looks
        // along turned lines meet).
        for (const double around : {0.0, 30.0, 90.0, 150.0, 180.0}) {
            const double angle = around + (std::fmod(around, 90.0) == 0 ? 1.0 : 0.5) * wobble(random);
            const TVekGreyImage grey = seenAtAnAngle(upright, 3.5, angle, keystone(random));
            check(test::withNoise(test::withGradient(grey, 1.0, 0.7), 3, random), message,
                  size + " at " + std::to_string(angle));
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GE(read * 100, tried * 95) << read << " of " << tried << ", missed:" << misses;
}

// The corners come in the symbol's own order (its first row's left end
// first), so orientation and mirroring come through every quarter turn.
TEST(MicroPDF417PhotoReader, OrientationAndMirror) {
    ASSERT_TRUE(test::haveZint());
    const std::string message = "orientation 0123";
    const TModuleMatrix upright = microModules("--cols=2 -d '" + message + "'", 3);
    for (const bool mirror : {false, true}) {
        TModuleMatrix modules = mirror ? test::mirroredModules(upright) : upright;
        for (int turn = 0; turn < 4; ++turn) {
            const std::string what = "turn " + std::to_string(turn) + (mirror ? " mirrored" : "");
            const TVekBarcodes found = readMicro(test::renderUpright(modules, 3.0));
            ASSERT_EQ(found.size(), 1u) << what;
            EXPECT_EQ(found[0].bytes, message) << what;
            EXPECT_EQ(found[0].isMirrored, mirror) << what;
            const double expected = std::fmod((mirror ? 180.0 : 0.0) + 90.0 * turn, 360.0);
            const double orientation = std::fmod(found[0].orientation + 360.0, 360.0);
            const double off = std::abs(orientation - expected);
            EXPECT_NEAR(std::min(off, 360 - off), 0, 3) << what;
            modules = turned(modules);
        }
    }
}

// Stripes of random widths in rows of random heights, upright and at a
// slant, and noise: no symbol, not even a failed one.
TEST(MicroPDF417PhotoReader, NothingInStripesAndNoise) {
    std::mt19937 random(38);
    std::uniform_int_distribution<int> run(1, 5);
    std::uniform_int_distribution<int> height(1, 4);
    for (int trial = 0; trial < 4; ++trial) {
        TModuleMatrix stripes(60, std::vector<int>(120, 0));
        int rowsLeft = 0;
        for (size_t r = 0; r < stripes.size(); ++r) {
            if (rowsLeft-- > 0) {
                stripes[r] = stripes[r - 1];
                continue;
            }
            rowsLeft = height(random) - 1;
            int colour = 1;
            for (size_t c = 0; c < stripes[r].size();) {
                const int width = run(random);
                for (int k = 0; k < width && c < stripes[r].size(); ++k, ++c) stripes[r][c] = colour;
                colour ^= 1;
            }
        }
        EXPECT_TRUE(readMicro(test::renderUpright(stripes, 3.0), true).empty()) << trial;
        EXPECT_TRUE(readMicro(seenAtAnAngle(stripes, 3.0, 31.0 * trial, 0.1), true).empty()) << trial;
    }
    TVekGreyImage noise = test::withNoise(TVekGreyImage(300, 200, 128), 60, random);
    EXPECT_TRUE(readMicro(noise, true).empty());
}

// Macro MicroPDF417: the control block's segment index, count and file id
// come out as structured append, the content without them; ECI marks too.
TEST(MicroPDF417PhotoReader, MacroAndEci) {
    ASSERT_TRUE(test::haveZint());
    const TVekBarcodes macro =
        readMicro(test::renderUpright(microModules("--cols=3 --structapp=2,4,1234 -d 'second of four'"), 3.0));
    ASSERT_EQ(macro.size(), 1u);
    EXPECT_EQ(macro[0].bytes, "second of four");
    EXPECT_EQ(macro[0].structuredAppend.index, 1);
    EXPECT_EQ(macro[0].structuredAppend.count, 4);
    EXPECT_EQ(macro[0].structuredAppend.id, "123-4");  // the file id codewords, as for PDF417

    const TVekBarcodes eci = readMicro(test::renderUpright(microModules("--cols=2 --eci=7 -d 'Orvel'"), 3.0));
    ASSERT_EQ(eci.size(), 1u);
    EXPECT_EQ(eci[0].bytes, "Orvel");
    ASSERT_EQ(eci[0].eciMarks.size(), 1u);
    EXPECT_EQ(eci[0].eciMarks[0], (TVekEciMark{0, 7}));
}

// A PDF417 symbol is no MicroPDF417 one, nor the reverse, even when asked
// for failures too.
TEST(MicroPDF417PhotoReader, NeverTakenForPDF417) {
    ASSERT_TRUE(test::haveZint());
    TVekReaderOptions options;
    options.returnErrors = true;
    for (const std::string& kind : {"--cols=1", "--cols=2", "--cols=4"}) {
        TModuleMatrix pdf417;
        for (const auto& row : test::zintDump("-b PDF417 " + kind + " -d 'a PDF417 symbol 0123'")) {
            pdf417.insert(pdf417.end(), 3, row);
        }
        TVekBinaryCache picture(test::renderUpright(pdf417, 3.0));
        EXPECT_TRUE(TVekMicroPDF417PhotoReader(options).read(picture).empty()) << kind;

        TVekBinaryCache micro(test::renderUpright(microModules(kind + " -d 'a MicroPDF417 symbol'"), 3.0));
        EXPECT_TRUE(TVekPDF417PhotoReader(options).read(micro).empty()) << kind;
        EXPECT_EQ(TVekMicroPDF417PhotoReader(options).read(micro).size(), 1u) << kind;
    }
}

}  // namespace
}  // namespace orvel
