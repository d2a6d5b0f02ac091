#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "foundation/VekBinaryCache.h"
#include "oned/VekDataBarCharacter.h"
#include "oned/VekLinearPhotoReader.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using F = TVekBarcodeFormat;
using Kind = TVekDataBarCharacter::TKind;

// Every way of cutting `modules` into `elements` widths of 1..widest, in
// lexicographic order.
std::vector<std::vector<int>> compositions(int modules, int elements, int widest) {
    std::vector<std::vector<int>> all;
    std::vector<int> current;
    std::function<void(int)> extend = [&](int left) {
        if (static_cast<int>(current.size()) == elements) {
            if (left == 0) all.push_back(current);
            return;
        }
        for (int w = 1; w <= std::min(widest, left); ++w) {
            current.push_back(w);
            extend(left - w);
            current.pop_back();
        }
    };
    extend(modules);
    return all;
}

TEST(DataBarCharacter, RanksAreTheOrderOfTheAllowedCombinations) {
    for (const int elements : {4, 7})
        for (const int modules : {5, 9, 12, 13, 17})
            for (const int widest : {2, 4, 6, 8})
                for (const bool narrowFree : {false, true}) {
                    int expected = 0;
                    for (const std::vector<int>& widths : compositions(modules, elements, widest)) {
                        const bool allowed = narrowFree || std::ranges::count(widths, 1) > 0;
                        const int rank = TVekDataBarCharacter::combinationRank(widths, widest, narrowFree);
                        if (!allowed) {
                            EXPECT_EQ(rank, -1);
                            continue;
                        }
                        ASSERT_EQ(rank, expected) << modules << " in " << elements << " widest " << widest;
                        ++expected;
                    }
                }
}

// Each value of a character set stands for exactly one width pattern.
TEST(DataBarCharacter, EveryValueHasOnePattern) {
    const std::map<Kind, int> valueCounts = {{Kind::outside, 2841}, {Kind::inside, 1597}, {Kind::expanded, 4192}};
    for (const auto& [kind, count] : valueCounts) {
        std::set<int> seen;
        int valid = 0;
        for (const std::vector<int>& widths : compositions(TVekDataBarCharacter::moduleCount(kind), 8, 9)) {
            const int value = TVekDataBarCharacter::value(widths, kind);
            if (value < 0) continue;
            ++valid;
            EXPECT_LT(value, count);
            EXPECT_TRUE(seen.insert(value).second) << "value " << value << " twice";
        }
        EXPECT_EQ(valid, count) << TVekDataBarCharacter::moduleCount(kind) << " modules";
    }
}

// zint's rows with its separator rows (those that start with four light
// modules) one module high and the symbol's rows `height` modules high.
test::TModuleMatrix symbolModules(const std::string& zintArguments, int height = 12) {
    test::TModuleMatrix modules;
    for (const std::vector<int>& row : test::zintDump(zintArguments)) {
        const bool separator = std::all_of(row.begin(), row.begin() + 4, [](int m) { return m == 0; });
        for (int k = 0; k < (separator ? 1 : height); ++k) modules.push_back(row);
    }
    return modules;
}

TVekGreyImage boxBlurred(const TVekGreyImage& grey) {
    const int32_t w = grey.width(), h = grey.height();
    std::vector<uint8_t> out(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int sum = 0;
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx)
                    sum += grey.get(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
            out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(sum / 9);
        }
    return TVekGreyImage::fromPixels(std::move(out), w, h);
}

// The symbol turned by `degrees` about its centre at `pixelsPerModule`.
TVekGreyImage turned(const test::TModuleMatrix& modules, double degrees, double pixelsPerModule) {
    const int quiet = 2;
    const double w = (static_cast<double>(modules[0].size()) + 2 * quiet) * pixelsPerModule;
    const double h = (static_cast<double>(modules.size()) + 2 * quiet) * pixelsPerModule;
    const auto side = static_cast<int32_t>(std::hypot(w, h)) + 20;
    const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    const TVekPointF centre{0.5 * side, 0.5 * side};
    const auto corner = [&](double x, double y) { return centre + TVekPointF{c * x - s * y, s * x + c * y}; };
    const std::array<TVekPointF, 4> corners = {corner(-w / 2, -h / 2), corner(w / 2, -h / 2), corner(w / 2, h / 2),
                                               corner(-w / 2, h / 2)};
    return test::renderWarped(modules, corners, side, side, quiet);
}

TVekBarcodes readLinear(const TVekGreyImage& grey, TVekBarcodeFormats formats = {}) {
    TVekReaderOptions options;
    options.formats = formats;
    TVekBinaryCache picture(grey);
    return TVekLinearPhotoReader(options).read(picture);
}

struct TSymbol {
    std::string zint;
    F format;
    std::string bytes;
};

const std::vector<TSymbol>& dataBarSymbols() {
    static const std::vector<TSymbol> symbols = {
        {"-b DBAR_OMN -d 2001234567893", F::dataBar, "0120012345678930"},
        {"-b DBAR_STK -d 0441234567890", F::dataBar, "0104412345678909"},
        {"-b DBAR_OMNSTK -d 9780201379624", F::dataBar, "0197802013796248"},
        {"-b DBAR_LTD -d 1501234567890", F::dataBarLimited, "0115012345678907"},
        {"-b DBAR_EXP -d '[01]98898765432106[3202]012345[15]991231'", F::dataBarExpanded,
         "0198898765432106320201234515991231"},
        {"-b DBAR_EXPSTK -d '[01]98898765432106[3202]012345[15]991231'", F::dataBarExpanded,
         "0198898765432106320201234515991231"},
        {"-b DBAR_EXPSTK --cols=2 -d '[01]12345678901231[10]ABC123[21]xyz%'", F::dataBarExpanded,
         "011234567890123110ABC123\x1d" "21xyz%"},
    };
    return symbols;
}

void expectRead(const TVekBarcodes& found, const TSymbol& symbol, const std::string& how) {
    ASSERT_EQ(found.size(), 1u) << symbol.zint << " " << how;
    EXPECT_EQ(found[0].format, symbol.format) << symbol.zint;
    EXPECT_EQ(found[0].bytes, symbol.bytes) << symbol.zint << " " << how;
    EXPECT_EQ(found[0].symbologyIdentifier, "]e0");
}

TEST(DataBarRead, ReadsEveryFormUprightAtTwoPixelsPerModule) {
    ASSERT_TRUE(test::haveZint());
    for (const TSymbol& symbol : dataBarSymbols()) {
        const test::TModuleMatrix modules = symbolModules(symbol.zint);
        ASSERT_FALSE(modules.empty()) << symbol.zint;
        expectRead(readLinear(test::renderUpright(modules, 2)), symbol, "upright");
    }
}

TEST(DataBarRead, ReadsTurnedAndBlurredSymbols) {
    ASSERT_TRUE(test::haveZint());
    for (const TSymbol& symbol : dataBarSymbols()) {
        const test::TModuleMatrix modules = symbolModules(symbol.zint);
        expectRead(readLinear(turned(modules, 6, 2.5)), symbol, "turned 6 degrees");
        expectRead(readLinear(turned(modules, 180, 2)), symbol, "upside down");
        expectRead(readLinear(turned(modules, 90, 3)), symbol, "a quarter turn");
        expectRead(readLinear(boxBlurred(turned(modules, -3, 3))), symbol, "blurred");
    }
}

// Each encodation method of Expanded: compressed GTIN, weights, prices and
// dates, and the general-purpose field's modes with FNC1 between fields.
TEST(DataBarRead, ReadsEveryExpandedEncodation) {
    ASSERT_TRUE(test::haveZint());
    const std::vector<std::pair<std::string, std::string>> contents = {
        {"[01]98898765432106[3103]001750", "01988987654321063103001750"},
        {"[01]98898765432106[3202]012345", "01988987654321063202012345"},
        {"[01]98898765432106[3203]012345", "01988987654321063203012345"},
        {"[01]98898765432106[3922]795", "01988987654321063922795"},
        {"[01]98898765432106[3932]978795", "01988987654321063932978795"},
        {"[01]98898765432106[3102]001750[11]100312", "0198898765432106310200175011100312"},
        {"[01]98898765432106[3202]001750[17]100312", "0198898765432106320200175017100312"},
        {"[01]98898765432106[3102]001750", "01988987654321063102001750"},
        {"[10]12A[11]991231", "1012A\x1d" "11991231"},
        {"[90]abc!%&()*+,:;<=>?_ 9", "90abc!%&()*+,:;<=>?_ 9"},
        {"[01]12345678901231[21]12345[10]A-./*,9", "01123456789012312112345\x1d" "10A-./*,9"},
    };
    for (const auto& [data, bytes] : contents) {
        const TSymbol symbol{"-b DBAR_EXP -d '" + data + "'", F::dataBarExpanded, bytes};
        const test::TModuleMatrix modules = symbolModules(symbol.zint);
        ASSERT_FALSE(modules.empty()) << data;
        const TVekBarcodes found = readLinear(test::renderUpright(modules, 2), {F::dataBarExpanded});
        ASSERT_EQ(found.size(), 1u) << data;
        EXPECT_EQ(found[0].bytes, bytes) << data;
    }
}

// A character's elements changed so that its width and the finders stay:
// the checksum no longer holds and nothing may be read.
TEST(DataBarRead, RefusesSymbolsWhoseChecksumFails) {
    ASSERT_TRUE(test::haveZint());
    for (const TSymbol& symbol : dataBarSymbols()) {
        if (symbol.zint.find("STK") != std::string::npos) continue;
        test::TModuleMatrix modules = symbolModules(symbol.zint);
        // Within the first character (after the two guard modules), move
        // the edge between its third and fourth element by one module.
        std::vector<int> row = modules[0];
        size_t edge = 2, elements = 0;
        while (elements < 3) {
            ++edge;
            if (row[edge] != row[edge - 1]) ++elements;
        }
        // `edge` starts the fourth element; widen it leftwards when the
        // third is wider than one module, else rightwards.
        if (row[edge - 1] == row[edge - 2]) row[edge - 1] = row[edge];
        else if (row[edge + 1] == row[edge]) row[edge] = row[edge - 1];
        for (std::vector<int>& line : modules) line = row;
        for (const TVekBarcode& barcode : readLinear(test::renderUpright(modules, 2)))
            EXPECT_NE(barcode.format, symbol.format) << symbol.zint << " read as " << barcode.bytes;
    }
}

// Other symbols, EAN-13 with its finder-like guard bars first, read with
// every format on: nothing of DataBar's may come out of them.
TEST(DataBarRead, ReadsNoDataBarInOtherSymbols) {
    ASSERT_TRUE(test::haveZint());
    for (const std::string zint : {"-b 13 -d 978020137962", "-b 20 -d 'Orvel 128/x'", "-b 3 -d 12345670",
                                   "-b 34 -d 03600029145", "-b 18 -d A40156B"}) {
        const test::TModuleMatrix modules = symbolModules(zint, 40);
        for (const TVekBarcode& barcode : readLinear(test::renderUpright(modules, 2))) {
            EXPECT_NE(barcode.format, F::dataBar) << zint;
            EXPECT_NE(barcode.format, F::dataBarLimited) << zint;
            EXPECT_NE(barcode.format, F::dataBarExpanded) << zint;
        }
    }
}

}  // namespace
}  // namespace orvel
