// What earns the QR family's later passes (other binarizer, inversion, the
// picture doubled): finders placed like a symbol's, not finder-like squares
// alone; and the pieces those decisions and passes rest on.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "foundation/VekBinaryCache.h"
#include "qrcode/VekGreyDoubler.h"
#include "qrcode/VekOneFinderPhotoReader.h"
#include "qrcode/VekQRPhotoReader.h"
#include "qrcode/VekQRSmallFinderArea.h"
#include "qrcode/VekQRTripletPicker.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

using namespace orvel;
using namespace orvel::test;

namespace {

// A light ground of `size` modules with a finder pattern (and its light
// separator) whose top-left module is at each of `corners`.
TModuleMatrix findersAt(int size, const std::vector<std::pair<int, int>>& corners) {
    TModuleMatrix modules(static_cast<size_t>(size), std::vector<int>(static_cast<size_t>(size), 0));
    for (const auto& [left, top] : corners)
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x) {
                const int ring = std::max(std::abs(x - 3), std::abs(y - 3));
                modules[static_cast<size_t>(top + y)][static_cast<size_t>(left + x)] = ring != 2;
            }
    return modules;
}

TVekQRFinderCandidate finder(double x, double y, double module) {
    TVekQRFinderCandidate c;
    c.centre = {x, y};
    c.moduleSize = module;
    c.count = static_cast<int32_t>(3 * module);
    return c;
}

}  // namespace

TEST(QREscalation, FindersPlacedLikeASymbolsCornersEarnTheLaterPassesLoneOnesDoNot) {
    TVekReaderOptions options;
    // Three finders as a version 2 symbol's corners (25 modules), no data.
    {
        TVekBinaryCache cache(renderUpright(findersAt(25, {{0, 0}, {18, 0}, {0, 18}}), 4));
        EXPECT_TRUE(TVekQRPhotoReader(options).readFirstPass(cache));
    }
    // Finders in a row, no right angle between any three: texture.
    {
        TVekBinaryCache cache(renderUpright(findersAt(80, {{2, 2}, {20, 20}, {45, 45}, {70, 70}}), 4));
        EXPECT_FALSE(TVekQRPhotoReader(options).readFirstPass(cache));
    }
}

TEST(QREscalation, QRCodeFindersEarnTheOneFinderReaderNothing) {
    ASSERT_TRUE(haveZint());
    TVekReaderOptions options;
    options.formats = {TVekBarcodeFormat::microQrCode, TVekBarcodeFormat::rmqrCode};
    for (const std::string vers : {"1", "3", "7"}) {
        const TModuleMatrix qr = trimmedModules(zintDump("-b QRCODE --vers=" + vers + " -d " + shellQuote("QR" + vers)));
        for (const double size : {3.0, 6.0}) {
            TVekBinaryCache cache(renderUpright(qr, size));
            TVekOneFinderPhotoReader reader(options);
            EXPECT_FALSE(reader.readFirstPass(cache)) << "QR version " << vers << " at " << size;
            EXPECT_TRUE(reader.take().empty());
        }
    }
    // A finder alone, well confirmed, that is no QR Code's corner earns them.
    TVekBinaryCache cache(renderUpright(findersAt(30, {{10, 10}}), 5));
    EXPECT_TRUE(TVekOneFinderPhotoReader(options).readFirstPass(cache));
}

TEST(QREscalation, TripletCornersAreKnownFromAnyCorner) {
    const std::vector<TVekQRFinderCandidate> c = {finder(100, 100, 4), finder(200, 100, 4), finder(100, 200, 4),
                                                  finder(400, 420, 4), finder(130, 130, 12)};
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(TVekQRTripletPicker::inSomeTriplet(c, i)) << i;
    EXPECT_FALSE(TVekQRTripletPicker::inSomeTriplet(c, 3));
    // Three times the others' module size: no partner of theirs.
    EXPECT_FALSE(TVekQRTripletPicker::inSomeTriplet(c, 4));
}

TEST(QRSmallFinderArea, PairsOfSmallFindersGiveTheAreaWhereTheirThirdMayBe) {
    // Two finders of a version 1 symbol at 1.5 pixels a module, 14 modules apart.
    const std::vector<TVekQRFinderCandidate> pair = {finder(100, 100, 1.5), finder(121, 100, 1.5)};
    const auto area = TVekQRSmallFinderArea::of(pair, 400, 300);
    ASSERT_TRUE(area.has_value());
    // The third finder lies 21 pixels below either one, or above.
    for (const TVekPointF p : {TVekPointF{100, 121}, TVekPointF{121, 79}, TVekPointF{100, 100}, TVekPointF{121, 100}}) {
        EXPECT_LE(area->left, p.x);
        EXPECT_GE(area->right, p.x);
        EXPECT_LE(area->top, p.y);
        EXPECT_GE(area->bottom, p.y);
    }
    // Well inside a large picture: a small part of it.
    EXPECT_LT((area->right - area->left) * (area->bottom - area->top), 400 * 300 / 4);
    // Near the picture's corner: clipped to it.
    const auto clipped = TVekQRSmallFinderArea::of({finder(5, 5, 1.5), finder(26, 5, 1.5)}, 50, 30);
    ASSERT_TRUE(clipped.has_value());
    EXPECT_EQ(clipped->left, 0);
    EXPECT_EQ(clipped->top, 0);
    EXPECT_EQ(clipped->right, 49);
    EXPECT_EQ(clipped->bottom, 29);
    // Large modules, one finder, finders too close or of too different sizes: none.
    EXPECT_FALSE(TVekQRSmallFinderArea::of({finder(100, 100, 4), finder(180, 100, 4)}, 400, 300));
    EXPECT_FALSE(TVekQRSmallFinderArea::of({finder(100, 100, 1.5)}, 400, 300));
    EXPECT_FALSE(TVekQRSmallFinderArea::of({finder(100, 100, 1.5), finder(110, 100, 1.5)}, 400, 300));
    EXPECT_FALSE(TVekQRSmallFinderArea::of({finder(100, 100, 1.0), finder(140, 100, 2.5)}, 400, 300));
    // Small finders everywhere: texture, no area.
    std::vector<TVekQRFinderCandidate> many;
    for (int i = 0; i < 40; ++i) many.push_back(finder(10 + 9 * i, 10 + 7 * (i % 5), 1.5));
    EXPECT_FALSE(TVekQRSmallFinderArea::of(many, 400, 300));
}

TEST(QRGreyDoubler, EachNewPixelWeighsItsFourNearestOldOnesNineThreeThreeOne) {
    std::mt19937 random(31);
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{1, 5}, std::pair{6, 1}, std::pair{13, 9}}) {
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
        for (auto& p : pixels) p = static_cast<uint8_t>(random() & 255);
        const TVekGreyImage grey = TVekGreyImage::fromPixels(pixels, w, h);
        const TVekGreyImage larger = TVekGreyDoubler::doubled(grey);
        ASSERT_EQ(larger.width(), 2 * w);
        ASSERT_EQ(larger.height(), 2 * h);
        for (int32_t y = 0; y < 2 * h; ++y) {
            for (int32_t x = 0; x < 2 * w; ++x) {
                // The old pixel this one lies in, and its neighbours on the
                // new pixel's side (the edge pixel repeated).
                const int32_t ox = x / 2, oy = y / 2;
                const int32_t sx = std::clamp(ox + (x % 2 ? 1 : -1), 0, w - 1);
                const int32_t sy = std::clamp(oy + (y % 2 ? 1 : -1), 0, h - 1);
                const int32_t sum = 9 * grey.get(ox, oy) + 3 * grey.get(sx, oy) + 3 * grey.get(ox, sy) + grey.get(sx, sy);
                const auto expected = static_cast<uint8_t>(std::nearbyint(sum / 16.0));
                ASSERT_EQ(larger.get(x, y), expected) << w << "x" << h << " at " << x << "," << y;
            }
        }
    }
}
