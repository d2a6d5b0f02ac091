// The picture model, the histogram threshold, the contrast stretch and the
// two clean-up passes of black-and-white pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "foundation/VekHistogram.h"
#include "foundation/VekImage.h"
#include "foundation/VekImageTools.h"
#include "foundation/VekROrvelConfiguration.h"

namespace orvel {
namespace {

uint32_t greyColour(int level) { return static_cast<uint32_t>(level) * 0x010101u; }

TVekImage uniformPicture(int32_t width, int32_t height, uint32_t colour) {
    TVekImage image(width, height);
    for (uint32_t& pixel : image.pixelData()) pixel = colour;
    return image;
}

TVekBitmap bitmapOf(int32_t width, int32_t height, uint32_t colour) {
    TVekBitmap bitmap(width, height);
    for (size_t i = 0; i < bitmap.bgr.size(); i += 3) {
        bitmap.bgr[i] = colour & 0xFF;
        bitmap.bgr[i + 1] = (colour >> 8) & 0xFF;
        bitmap.bgr[i + 2] = (colour >> 16) & 0xFF;
    }
    return bitmap;
}

bool allPixels(const TVekImage& image, uint32_t colour) {
    for (uint32_t pixel : image.pixelData())
        if (pixel != colour) return false;
    return true;
}

TEST(ImageTest, BlackAndWhiteFlagComesFromTheBitmap) {
    TVekBitmap bitmap = bitmapOf(4, 3, WHITE);
    bitmap.row(1)[0] = bitmap.row(1)[1] = bitmap.row(1)[2] = 0;
    const TVekImage pure(std::move(bitmap));
    EXPECT_TRUE(pure.blackAndWhite);
    EXPECT_EQ(pure.getPixelInt(0, 1), BLACK);

    TVekBitmap tinted = bitmapOf(4, 3, WHITE);
    tinted.row(2)[3 * 3] = 0xFE;  // blue of (3, 2)
    const TVekImage coloured(std::move(tinted));
    EXPECT_FALSE(coloured.blackAndWhite);
    EXPECT_EQ(coloured.getPixelInt(3, 2), 0xFFFFFEu);
    EXPECT_FALSE(TVekImage(2, 2).blackAndWhite);  // blank pictures are not marked
}

TEST(ImageTest, ReadsRoundToEvenAndOutsideIsWhite) {
    TVekImage image(6, 2);
    for (int32_t x = 0; x < 6; ++x) image.setPixel(x, 0, greyColour(x));
    EXPECT_EQ(image.getPixel(-1, 0), WHITE);
    EXPECT_EQ(image.getPixel(6, 0), WHITE);
    EXPECT_EQ(image.getPixel(2.5, 0), greyColour(2));
    EXPECT_EQ(image.getPixel(3.5, 0), greyColour(4));
    EXPECT_EQ(image.getPixelAt(nullptr), WHITE);
    EXPECT_EQ(image.getPixel(1e12, -1e12), WHITE);
    image.setPixel(-1, 0, BLACK);  // ignored
    image.setPixel(0, 2, BLACK);   // ignored
    EXPECT_EQ(image.getPixelInt(0, 1), WHITE);
}

TEST(ImageTest, GreyLevels) {
    EXPECT_EQ(greyOf(WHITE), 255);
    EXPECT_EQ(greyOf(BLACK), 0);  // 0.5 rounds to the even 0
    EXPECT_EQ(greyOf(0x010000), 1);
    EXPECT_EQ(greyOf(0x808080), 128);  // 384 × 0.3333 + 0.5 = 128.48
    EXPECT_EQ(greyOf(0x030303), 3);    // 2.9997 + 0.5 = 3.4997
}

TEST(ThresholdTest, HalfBlackHalfWhiteGives128) {
    TVekImage image(10, 10);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 10; ++x) image.setPixel(x, y, BLACK);
    EXPECT_EQ(TVekHistogram(image).getThreshold(), 128);
}

TEST(ThresholdTest, UniformGreyLevelsAroundTheTie) {
    TVekImage grey200 = uniformPicture(7, 5, greyColour(200));
    EXPECT_EQ(TVekHistogram(grey200).getThreshold(), 200);
    EXPECT_TRUE(allPixels(toBlackAndWhite(grey200), BLACK));  // equal to T is black

    TVekImage grey201 = uniformPicture(7, 5, greyColour(201));
    EXPECT_EQ(TVekHistogram(grey201).getThreshold(), 200);  // 200.5 rounds to 200
    EXPECT_TRUE(allPixels(toBlackAndWhite(grey201), WHITE));
}

TEST(ThresholdTest, AllWhitePictureSettlesAt254) {
    TVekImage white(9, 4);
    // 128 -> 192 -> 224 -> 240 -> 248 -> 252 -> 254 -> 254: the empty lower
    // part takes T as its mean every time.
    EXPECT_EQ(TVekHistogram(white).getThreshold(), 254);
    TVekImage result = toBlackAndWhite(white);
    EXPECT_EQ(result.width, 9);
    EXPECT_EQ(result.height, 4);
    EXPECT_TRUE(allPixels(result, WHITE));
    EXPECT_EQ(TVekHistogram(result).getThreshold(), 254);
    TVekImage black = uniformPicture(3, 3, BLACK);
    EXPECT_TRUE(allPixels(toBlackAndWhite(black), BLACK));
}

TEST(ThresholdTest, ThresholdsAMixedPictureWithoutChangingIt) {
    TVekImage image(4, 1);
    image.setPixel(0, 0, greyColour(10));
    image.setPixel(1, 0, greyColour(60));
    image.setPixel(2, 0, greyColour(190));
    image.setPixel(3, 0, greyColour(250));
    const TVekImage result = toBlackAndWhite(image);
    EXPECT_EQ(result.getPixelInt(0, 0), BLACK);
    EXPECT_EQ(result.getPixelInt(1, 0), BLACK);
    EXPECT_EQ(result.getPixelInt(2, 0), WHITE);
    EXPECT_EQ(result.getPixelInt(3, 0), WHITE);
    EXPECT_EQ(image.getPixelInt(1, 0), greyColour(60));
}

TEST(ThresholdTest, FastCountsAgreeWithThePixelByPixelRule) {
    // Random colours of every kind and an odd pixel count, against the grey
    // formula applied to each pixel.
    TVekImage image(101, 37);
    std::mt19937 random(7);
    for (uint32_t& pixel : image.pixelData()) pixel = random() & 0xFFFFFF;
    std::array<int64_t, 256> expected{};
    for (uint32_t pixel : image.pixelData()) ++expected[greyOf(pixel)];
    const TVekHistogram histogram(image);
    EXPECT_EQ(histogram.counts, expected);
    const int32_t threshold = histogram.getThreshold();
    const TVekImage result = toBlackAndWhite(image);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x)
            ASSERT_EQ(result.getPixelInt(x, y), image.getGrey(x, y) > threshold ? WHITE : BLACK) << x << ", " << y;
    for (uint32_t sum = 0; sum < 766; ++sum) {
        const uint32_t red = std::min<uint32_t>(sum, 255), blue = std::min<uint32_t>(sum - red, 255);
        ASSERT_EQ(greyLevelsBySum()[sum], greyOf((red << 16) | ((sum - red - blue) << 8) | blue)) << sum;
    }
}

TEST(StretchContrastTest, SingleGreyLevelStaysUnchanged) {
    TVekImage image = uniformPicture(10, 10, 0x405060);
    TVekHistogram(image).stretchContrast();
    EXPECT_TRUE(allPixels(image, 0x405060));
}

TEST(StretchContrastTest, MapsEachChannelThroughTheGreyMap) {
    // 100 pixels: 50 of grey 50, 50 of grey 150; clip = 5 pixels per end, so
    // low = 50 and high = 150, map[i] = Round((i - 50) × 2.56).
    TVekImage image(10, 10);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x) image.setPixel(x, y, greyColour(y < 5 ? 50 : 150));
    image.setPixel(0, 0, 0x326496);  // R 50, G 100, B 150: grey 100 does not shift the clip points
    TVekHistogram(image).stretchContrast();
    EXPECT_EQ(image.getPixelInt(1, 0), BLACK);
    EXPECT_EQ(image.getPixelInt(1, 9), WHITE);  // 256 is clamped to 255
    EXPECT_EQ(image.getPixelInt(0, 0), 0x008000u | 0xFF);  // 0, Round(128.0), 255
}

TEST(ImageTest, NeighboursAtTheBorders) {
    const TVekImage image(3, 3);
    const TVekPoint corner(0, 0);
    for (int direction : {4, 5, 6, 7}) EXPECT_FALSE(image.getNeighbour(corner, direction)) << direction;
    EXPECT_EQ(image.getNeighbour(corner, 2), TVekPoint(1, 1));
    EXPECT_FALSE(image.getNeighbour(corner, 0));
    EXPECT_FALSE(image.getNeighbour(corner, 9));
    const TVekPoint far(2, 2);
    for (int direction : {1, 2, 3, 4, 8}) EXPECT_FALSE(image.getNeighbour(far, direction)) << direction;
    EXPECT_EQ(image.getNeighbour(far, 6), TVekPoint(1, 1));
    EXPECT_FALSE(TVekImage(1, 1).getNeighbour(corner, 2));
    EXPECT_EQ(image.getNeighbour(TVekPoint(0.5, 1.25), 1), TVekPoint(1.5, 1.25));  // not rounded again
}

TEST(ImageTest, EdgePixels) {
    TVekImage image = uniformPicture(3, 3, BLACK);
    EXPECT_FALSE(image.isEdgePixel(TVekPoint(1, 1)));
    EXPECT_TRUE(image.isEdgePixel(TVekPoint(0, 1)));  // the west neighbour is missing
    image.setPixel(1, 0, WHITE);
    EXPECT_TRUE(image.isEdgePixel(TVekPoint(1, 1)));
}

TEST(ImageTest, FillWhiteHolesFillsOnlySingleEnclosedPixels) {
    TVekImage image = uniformPicture(8, 5, BLACK);
    image.setPixel(2, 2, WHITE);  // single hole: filled
    image.setPixel(5, 2, WHITE);  // two adjacent holes: kept
    image.setPixel(5, 3, WHITE);
    image.setPixel(0, 2, WHITE);  // on the border: kept
    image.fillWhiteHoles();
    EXPECT_EQ(image.getPixelInt(2, 2), BLACK);
    EXPECT_EQ(image.getPixelInt(5, 2), WHITE);
    EXPECT_EQ(image.getPixelInt(5, 3), WHITE);
    EXPECT_EQ(image.getPixelInt(0, 2), WHITE);
}

TEST(ImageTest, RemoveHorizontalLinesLeavesADashedLine) {
    TVekImage image(12, 40);
    for (int32_t x = 0; x < 12; ++x) image.setPixel(x, 20, BLACK);
    image.removeHorizontalLines();
    // Column 0 has no dark left neighbour; afterwards every cut column leaves
    // its right neighbour with a white left side.
    for (int32_t x = 0; x < 12; ++x) {
        const bool cut = x % 2 == 1 && x < 11;
        EXPECT_EQ(image.getPixelInt(x, 20), cut ? WHITE : BLACK) << "column " << x;
    }

    // A thick bar is not a thin line: the dark run below stops the count.
    TVekImage bar(6, 40);
    for (int32_t y = 10; y < 30; ++y)
        for (int32_t x = 0; x < 6; ++x) bar.setPixel(x, y, BLACK);
    bar.removeHorizontalLines();
    EXPECT_TRUE(bar.isBlack(2, 10));
}

TEST(ImageTest, CopiesAreIndependent) {
    TVekImage blank(5, 4);
    blank.setPixel(1, 1, BLACK);
    TVekImage copy = blank.getCopy();
    EXPECT_EQ(copy.width, 5);
    EXPECT_EQ(copy.height, 4);
    EXPECT_EQ(copy.getPixelInt(1, 1), BLACK);
    copy.setPixel(2, 2, BLACK);
    EXPECT_EQ(blank.getPixelInt(2, 2), WHITE);

    // A loaded picture is copied as loaded: a contrast stretch made in place
    // on the original does not reach the copy.
    TVekBitmap bitmap = bitmapOf(4, 4, 0x404040);
    bitmap.row(0)[0] = bitmap.row(0)[1] = bitmap.row(0)[2] = 0xC0;
    TVekImage loaded(std::move(bitmap));
    loaded.setPixel(3, 3, BLACK);
    const TVekImage loadedCopy = loaded.getCopy();
    EXPECT_EQ(loadedCopy.getPixelInt(3, 3), 0x404040u);
    EXPECT_EQ(loadedCopy.getPixelInt(0, 0), 0xC0C0C0u);
    ASSERT_TRUE(loadedCopy.bitmap());
    EXPECT_NE(loadedCopy.bitmap()->bgr.data(), loaded.bitmap()->bgr.data());
}

TEST(ImageTest, VisitedMarksStayInsideThePicture) {
    TVekImage image(3, 2);
    EXPECT_TRUE(image.isVisited(0, 0));  // no marks before clearVisited
    image.clearVisited();
    EXPECT_FALSE(image.isVisited(2, 1));
    image.setVisitedAt(TVekPoint(1.5, 0.5));  // rounds to (2, 0)
    EXPECT_TRUE(image.isVisited(2, 0));
    image.setVisited(5, 5);
    EXPECT_TRUE(image.isVisited(5, 5));  // outside counts as visited
}

TEST(SettingsTest, Defaults) {
    const TVekROrvelConfiguration defaults;
    EXPECT_FALSE(defaults.debug);
    EXPECT_EQ(defaults.maxBarLength, 1500);
    EXPECT_EQ(defaults.minBarLength, 15);
    EXPECT_EQ(defaults.maxObjectSize, 90000);
    EXPECT_EQ(defaults.minObjectSize, 30);
    EXPECT_EQ(defaults.maxAngleDifference, 5);
    EXPECT_TRUE(defaults.removeCloseBars);
}

}  // namespace
}  // namespace orvel
