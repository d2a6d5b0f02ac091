// Rectangular symbols on the photo path: the six ECC 200 rectangles and the
// eighteen rectangular extension (DMRE) sizes, from zint, upright and as a
// camera sees them (turned, tilted, blurred) at two and three pixels per
// module; and the documented reader, which knows no rectangle, refusing them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <random>
#include <string>

#include "datamatrix/VekDatamatrixDecoder.h"
#include "datamatrix/VekDatamatrixPhotoReader.h"
#include "datamatrix/VekDatamatrixReader.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"
#include "DatamatrixTestHelpers.h"
#include "support/PhotoTestSupport.h"
#include "foundation/VekException.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::TModuleMatrix;

// zint's size numbers: 25 ... 30 the ECC 200 rectangles, 31 ... 48 (with
// --dmre) the extension sizes, in the order of the size table's rows 24 ... 47.
constexpr int FIRST_RECTANGLE = 25;
constexpr int LAST_DMRE = 48;

const auto& sizeOf(int version) { return symbolSizeRow(version - 1); }

// Lower-case letters filling all but two data codewords: every codeword
// position carries content, whichever encodation zint picks.
std::string contentFor(int version) {
    const int32_t length = sizeOf(version)[DM_DATA_CODEWORDS] - 2;
    std::string text;
    for (int32_t k = 0; k < length; ++k) text += static_cast<char>('a' + (k * 7 + version) % 26);
    return text;
}

TModuleMatrix symbolFor(int version) {
    return test::zintDatamatrixAnySize("--dmre --vers=" + std::to_string(version) + " -d " +
                                       test::shellQuote(contentFor(version)));
}

std::string readPhoto(const TVekGreyImage& grey) {
    TVekBinaryCache cache(grey);
    const TVekBarcodes found = TVekDatamatrixPhotoReader(TVekReaderOptions{}).read(cache);
    if (found.size() != 1) return "<" + std::to_string(found.size()) + " symbols>";
    return found[0].isValid ? found[0].bytes : "<failed: " + found[0].error + ">";
}

// The margin's corners of a rectangle of width x height pixels turned by
// `turn` and tilted by `tilt` (radians) about an axis in its plane at
// `axis`, seen through a lens three times its size away, moved into a
// picture with a margin of 20 pixels, whose size is returned.
std::array<TVekPointF, 4> seenCorners(double width, double height, double turn, double tilt, double axis,
                                      int32_t& pictureWidth, int32_t& pictureHeight) {
    const double focal = 3 * std::max(width, height);
    const TVekPointF along{std::cos(axis), std::sin(axis)};
    const TVekPointF across{-along.y, along.x};
    std::array<TVekPointF, 4> corners = {TVekPointF{-width / 2, -height / 2}, TVekPointF{width / 2, -height / 2},
                                         TVekPointF{width / 2, height / 2}, TVekPointF{-width / 2, height / 2}};
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (TVekPointF& p : corners) {
        const TVekPointF r{p.x * std::cos(turn) - p.y * std::sin(turn), p.x * std::sin(turn) + p.y * std::cos(turn)};
        const double a = r.x * along.x + r.y * along.y;
        const double b = r.x * across.x + r.y * across.y;
        const double depth = b * std::sin(tilt);
        const double f = focal / (focal + depth);
        p = TVekPointF{f * (a * along.x + b * std::cos(tilt) * across.x), f * (a * along.y + b * std::cos(tilt) * across.y)};
        minX = std::min(minX, p.x), minY = std::min(minY, p.y), maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
    }
    for (TVekPointF& p : corners) p = TVekPointF{p.x - minX + 20, p.y - minY + 20};
    pictureWidth = static_cast<int32_t>(std::ceil(maxX - minX)) + 40;
    pictureHeight = static_cast<int32_t>(std::ceil(maxY - minY)) + 40;
    return corners;
}

// A separable Gaussian blur of standard deviation `sigma` pixels.
TVekGreyImage blurred(const TVekGreyImage& grey, double sigma) {
    const int reach = static_cast<int>(std::ceil(3 * sigma));
    std::vector<double> kernel(static_cast<size_t>(2 * reach + 1));
    double total = 0;
    for (int k = -reach; k <= reach; ++k) total += kernel[static_cast<size_t>(k + reach)] = std::exp(-k * k / (2 * sigma * sigma));
    for (double& w : kernel) w /= total;
    const int32_t width = grey.width();
    const int32_t height = grey.height();
    std::vector<double> across(static_cast<size_t>(width * height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double s = 0;
            for (int k = -reach; k <= reach; ++k) s += kernel[static_cast<size_t>(k + reach)] * grey.get(std::clamp(x + k, 0, width - 1), y);
            across[static_cast<size_t>(y * width + x)] = s;
        }
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double s = 0;
            for (int k = -reach; k <= reach; ++k) s += kernel[static_cast<size_t>(k + reach)] * across[static_cast<size_t>(std::clamp(y + k, 0, height - 1) * width + x)];
            pixels[static_cast<size_t>(y * width + x)] = static_cast<uint8_t>(std::lrint(std::clamp(s, 0.0, 255.0)));
        }
    }
    return TVekGreyImage::fromPixels(std::move(pixels), width, height);
}

// The symbol with a margin of two modules as seen turned and tilted.
TVekGreyImage seen(const TModuleMatrix& modules, double pixelsPerModule, double turn, double tilt, double axis) {
    constexpr int quiet = 2;
    const double width = pixelsPerModule * static_cast<double>(modules[0].size() + 2 * quiet);
    const double height = pixelsPerModule * static_cast<double>(modules.size() + 2 * quiet);
    int32_t pictureWidth = 0, pictureHeight = 0;
    const auto corners = seenCorners(width, height, turn, tilt, axis, pictureWidth, pictureHeight);
    return test::renderWarped(modules, corners, pictureWidth, pictureHeight, quiet);
}

TEST(DatamatrixRectangularPhotoTest, ZintsSizeNumbersAreTheTablesRectangularRows) {
    ASSERT_TRUE(test::haveZint());
    for (int version = FIRST_RECTANGLE; version <= LAST_DMRE; ++version) {
        const TModuleMatrix modules = symbolFor(version);
        ASSERT_FALSE(modules.empty()) << version;
        EXPECT_EQ(static_cast<int32_t>(modules.size()), sizeOf(version)[DM_SYMBOL_ROWS]) << version;
        EXPECT_EQ(static_cast<int32_t>(modules[0].size()), sizeOf(version)[DM_SYMBOL_COLS]) << version;
    }
}

// The regions tile the symbol, their data modules make the mapping matrix,
// and the codewords fill it but for at most seven modules.
TEST(DatamatrixRectangularPhotoTest, ExtensionSizesAreConsistent) {
    for (int32_t row = DM_SYMBOL_SIZE_COUNT; row < DM_ALL_SYMBOL_SIZE_COUNT; ++row) {
        const auto& size = symbolSizeRow(row);
        const int32_t across = size[DM_SYMBOL_COLS] / (size[DM_REGION_COLS] + 2);
        const int32_t up = size[DM_SYMBOL_ROWS] / (size[DM_REGION_ROWS] + 2);
        EXPECT_EQ(across * (size[DM_REGION_COLS] + 2), size[DM_SYMBOL_COLS]) << row;
        EXPECT_EQ(up * (size[DM_REGION_ROWS] + 2), size[DM_SYMBOL_ROWS]) << row;
        EXPECT_EQ(across * up, size[DM_REGION_COUNT]) << row;
        EXPECT_EQ(across * size[DM_REGION_COLS], size[DM_MAPPING_COLS]) << row;
        EXPECT_EQ(up * size[DM_REGION_ROWS], size[DM_MAPPING_ROWS]) << row;
        const int32_t modules = size[DM_MAPPING_ROWS] * size[DM_MAPPING_COLS];
        EXPECT_EQ((size[DM_DATA_CODEWORDS] + size[DM_ECC_CODEWORDS]) * 8, modules - modules % 8) << row;
        EXPECT_EQ(size[DM_BLOCK_COUNT] * size[DM_ECC_PER_BLOCK], size[DM_ECC_CODEWORDS]) << row;
    }
}

TEST(DatamatrixRectangularPhotoTest, EveryRectangularSizeReadsUprightAtTwoAndThreePixels) {
    ASSERT_TRUE(test::haveZint());
    for (int version = FIRST_RECTANGLE; version <= LAST_DMRE; ++version) {
        const TModuleMatrix modules = symbolFor(version);
        ASSERT_FALSE(modules.empty()) << version;
        for (const double pixels : {2.0, 3.0}) {
            EXPECT_EQ(readPhoto(test::renderUpright(modules, pixels)), contentFor(version))
                << "size " << modules.size() << " x " << modules[0].size() << " at " << pixels << " px";
        }
    }
}

// Each size turned at random, tilted by 20 to 35 degrees, and turned and
// blurred by a third of a module, at two and a half and three pixels per
// module: nearly all read, and nothing reads wrong.
TEST(DatamatrixRectangularPhotoTest, RectangularSizesReadTurnedTiltedAndBlurred) {
    ASSERT_TRUE(test::haveZint());
    std::mt19937 random(2117);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    constexpr double PI = 3.14159265358979323846;
    constexpr double BLUR = 0.3;  // standard deviation in modules
    int32_t tried = 0, read = 0, wrong = 0;
    std::string failures;
    for (int version = FIRST_RECTANGLE; version <= LAST_DMRE; ++version) {
        const TModuleMatrix modules = symbolFor(version);
        ASSERT_FALSE(modules.empty()) << version;
        const std::string text = contentFor(version);
        const std::string name = std::to_string(modules.size()) + "x" + std::to_string(modules[0].size());
        auto check = [&](const TVekGreyImage& grey, const std::string& how) {
            const std::string got = readPhoto(grey);
            ++tried;
            if (got == text) {
                ++read;
            } else {
                failures += name + " " + how + ": " + got.substr(0, 40) + "\n";
                wrong += got.empty() || got[0] != '<';
            }
        };
        for (const double pixels : {2.5, 3.0}) {
            const double turn = 2 * PI * unit(random);
            check(seen(modules, pixels, turn, 0, 0), "turned at " + std::to_string(pixels));
            const double tilt = (20 + 15 * unit(random)) * PI / 180;
            check(seen(modules, pixels, 2 * PI * unit(random), tilt, PI * unit(random)),
                  "tilted at " + std::to_string(pixels));
            check(blurred(seen(modules, pixels, 2 * PI * unit(random), 0, 0), BLUR * pixels),
                  "blurred at " + std::to_string(pixels));
        }
    }
    std::cout << read << " of " << tried << " distorted renderings read\n";
    EXPECT_EQ(wrong, 0) << failures;
    EXPECT_GE(read * 100, tried * 95) << read << " of " << tried << "\n" << failures;
}

// The documented decoder keeps to the original thirty sizes; the photo
// path's way in takes the extension sizes after them.
TEST(DatamatrixRectangularPhotoTest, ExtensionSizesOnlyThroughTheExtendedWayIn) {
    TVekDatamatrixDecoder decoder;
    EXPECT_THROW(decoder.setSymbolSize(DM_SYMBOL_SIZE_COUNT), TVekException);
    EXPECT_NO_THROW(decoder.setExtendedSymbolSize(DM_ALL_SYMBOL_SIZE_COUNT - 1));
    EXPECT_EQ(decoder.getSymbolSizeIndex(), DM_ALL_SYMBOL_SIZE_COUNT - 1);
    EXPECT_THROW(decoder.setExtendedSymbolSize(DM_ALL_SYMBOL_SIZE_COUNT), TVekException);
    EXPECT_THROW(decoder.setExtendedSymbolSize(-1), TVekException);
}

// The documented reader keeps its own sizes: an extension symbol it cannot
// take for a square one gives nothing.
TEST(DatamatrixRectangularPhotoTest, TheDocumentedReaderRefusesExtensionSizes) {
    ASSERT_TRUE(test::haveZint());
    for (const int version : {31, 39, 44, 48}) {
        const TModuleMatrix modules = symbolFor(version);
        ASSERT_FALSE(modules.empty()) << version;
        TVekImage picture = test::toImage(test::renderUpright(modules, 4.0));
        TVekDatamatrixReader reader;
        EXPECT_TRUE(reader.read(picture).empty()) << version;
    }
}

}  // namespace
}  // namespace orvel
