#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "datamatrix/VekDatamatrixBentGrid.h"
#include "datamatrix/VekDatamatrixPhotoReader.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekPerspectiveTransform.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::TModuleMatrix;

// A symbol seen tilted through a lens that bends straight lines and on a
// surface that sags: each picture point is moved radially by `lens` times
// its squared distance from the centre and down by `sag` times its squared
// distance across (both relative to half the picture) before the tilted
// symbol is looked up there. Edges and inner lines come out curved, by
// about a module in the middle of a side against a straight line between
// the corners.
TVekGreyImage renderBent(const TModuleMatrix& modules, std::mt19937& random, double pixelsPerModule, double lens,
                         double sag) {
    constexpr int quiet = 3;
    const int rows = static_cast<int>(modules.size());
    const int columns = static_cast<int>(modules[0].size());
    int32_t width = 0, height = 0;
    const double side = pixelsPerModule * (std::max(rows, columns) + 2 * quiet);
    const auto corners = test::tiltedCorners(random, side, 30, width, height);
    const auto toSquare = TVekPerspectiveTransform::quadToSquare(corners);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, 235);
    if (!toSquare) return TVekGreyImage::fromPixels(std::move(pixels), width, height);
    const TVekPointF centre{width / 2.0, height / 2.0};
    const double half = std::max(width, height) / 2.0;
    constexpr int sub = 3;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int dark = 0;
            for (int sy = 0; sy < sub; ++sy) {
                for (int sx = 0; sx < sub; ++sx) {
                    const TVekPointF q = (1.0 / half) * (TVekPointF{x + (sx + 0.5) / sub, y + (sy + 0.5) / sub} - centre);
                    TVekPointF bent = (1 + lens * dot(q, q)) * q;
                    bent.y += sag * q.x * q.x;
                    const TVekPointF unit = toSquare->map(centre + half * bent);
                    const int c = static_cast<int>(std::floor(unit.x * (columns + 2 * quiet))) - quiet;
                    const int r = static_cast<int>(std::floor(unit.y * (rows + 2 * quiet))) - quiet;
                    if (r >= 0 && c >= 0 && r < rows && c < columns && modules[r][c] != 0) ++dark;
                }
            }
            pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(235 - 215 * dark / (sub * sub));
        }
    }
    return TVekGreyImage::fromPixels(std::move(pixels), width, height);
}

TVekBarcodes readPhoto(const TVekGreyImage& grey) {
    TVekBinaryCache cache(grey);
    return TVekDatamatrixPhotoReader(TVekReaderOptions{}).read(cache);
}

std::string describe(const TVekBarcodes& found) {
    std::string text;
    for (const TVekBarcode& b : found) text += (b.isValid ? "[" + b.bytes + "]" : "[failed: " + b.error + "]") + " ";
    return text;
}

#define REQUIRE_ZINT() \
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed"

// Symbols of four regions and a rectangle of two, tilted and
// bent by a lens and a sagging surface, read back exactly.
TEST(DatamatrixBentGridTest, TiltedSymbolsOfSeveralRegionsBentByLensAndSurfaceReadBack) {
    REQUIRE_ZINT();
    std::mt19937 random(41);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    struct TCase {
        int version;
        int columns;
        double pixels;
    };
    for (const TCase& c : {TCase{10, 32, 5}, TCase{13, 44, 5}, TCase{14, 48, 4.5}, TCase{30, 48, 5}}) {
        for (int trial = 0; trial < 2; ++trial) {
            std::string text;
            for (int i = 0; i < c.columns; ++i) text += static_cast<char>('A' + random() % 26);
            const TModuleMatrix modules = test::trimmedModules(
                test::zintDump("-b DATAMATRIX --vers=" + std::to_string(c.version) + " -d '" + text + "'"), c.columns);
            ASSERT_FALSE(modules.empty());
            const double lens = (unit(random) < 0.5 ? -1 : 1) * (0.05 + 0.03 * unit(random));
            const double sag = (unit(random) < 0.5 ? -1 : 1) * (0.025 + 0.02 * unit(random));
            const TVekBarcodes found = readPhoto(renderBent(modules, random, c.pixels, lens, sag));
            ASSERT_EQ(found.size(), 1u) << "version " << c.version << " trial " << trial << ": " << describe(found);
            EXPECT_TRUE(found[0].isValid) << "version " << c.version << " trial " << trial << ": " << describe(found);
            EXPECT_EQ(found[0].bytes, text) << "version " << c.version << " trial " << trial;
        }
    }
}

// Bad corners and sizes give nothing rather than a crash: corners far
// outside the picture, folded over, on a blank or noisy picture.
TEST(DatamatrixBentGridTest, HostileCornersAndPicturesGiveNothingOrModulesOfTheSize) {
    std::mt19937 random(3);
    TVekBitMatrix noise(120, 90);
    for (int32_t y = 0; y < noise.height(); ++y)
        for (int32_t x = 0; x < noise.width(); ++x) noise.set(x, y, random() % 2 == 0);
    const TVekBitMatrix blank(120, 90);
    const std::array<const TVekBitMatrix*, 2> pictures = {&noise, &blank};
    std::uniform_real_distribution<double> coordinate(-200, 320);
    for (const TVekBitMatrix* picture : pictures) {
        for (int trial = 0; trial < 60; ++trial) {
            std::array<TVekPointF, 4> corners;
            for (auto& p : corners) p = {coordinate(random), coordinate(random)};
            const int32_t size = static_cast<int32_t>(random() % 32) - 1;
            const auto modules = TVekDatamatrixBentGrid::sample(*picture, corners, size);
            if (!modules) continue;
            EXPECT_GT(modules->width(), 26);
            EXPECT_LE(modules->width(), 144);
        }
    }
    EXPECT_FALSE(TVekDatamatrixBentGrid::sample(blank, {TVekPointF{10, 10}, {80, 10}, {80, 80}, {10, 80}}, 13));
}

}  // namespace
}  // namespace orvel
