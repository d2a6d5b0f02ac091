// The bull's-eye search and the sampling helpers on drawn patterns.
#include <gtest/gtest.h>

#include <string>

#include "aztec/VekAztecCodeReader.h"
#include "aztec/VekReedSolomonAZ.h"

namespace orvel {
namespace {

void fillRect(TVekImage& picture, int left, int top, int width, int height, uint32_t colour = BLACK) {
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) picture.setPixel(x, y, colour);
}

struct BullsEye {
    int module = 4;
    int centreShiftX = 0;   // pixels the centre module moves off the ring's centre
    int cornerCut = 0;      // square of this side cut from each outer corner of the ring
    int sideBump = 0;       // pixels added outside the middle of each side of the ring
};

// A centre module and the five-module square ring around it, two modules
// apart, on white: the first two dark regions of an Aztec bull's-eye.
TVekImage drawBullsEye(const BullsEye& b) {
    const int m = b.module;
    const int size = 5 * m + 8 * m;
    TVekImage picture(size, size);
    const int left = 4 * m;
    fillRect(picture, left, left, 5 * m, 5 * m);
    fillRect(picture, left + m, left + m, 3 * m, 3 * m, WHITE);
    fillRect(picture, left + 2 * m + b.centreShiftX, left + 2 * m, m, m);
    const int c = b.cornerCut;
    const int outer = 5 * m;
    for (const int x : {left, left + outer - c})
        for (const int y : {left, left + outer - c}) fillRect(picture, x, y, c, c, WHITE);
    // A one-pixel bump on each side, centred (an odd length leans one pixel).
    const int start = left + (outer - b.sideBump) / 2;
    fillRect(picture, start, left - 1, b.sideBump, 1);
    fillRect(picture, start, left + outer, b.sideBump, 1);
    fillRect(picture, left - 1, start, 1, b.sideBump);
    fillRect(picture, left + outer, start, 1, b.sideBump);
    return picture;
}

size_t locationCount(TVekImage picture, TVekAztecCodeReader reader = {}) {
    return reader.findLocations(picture).size();
}

TEST(AztecFinder, RingToCentreRatioFrom15To19) {
    // 16 centre pixels; the plain ring has 256 (ratio 16).
    const TVekImage plain = drawBullsEye({});
    TVekAztecCodeReader reader;
    TVekImage copy = plain.getCopy();
    const TVectorAztecLocations locations = reader.findLocations(copy);
    ASSERT_EQ(locations.size(), 1u);
    const TVekAztecFinderPattern& pattern = locations[0].getPattern();
    EXPECT_EQ(pattern.getCentre().getPixelCount(), 16);
    EXPECT_EQ(pattern.getRing().getPixelCount(), 256);
    EXPECT_DOUBLE_EQ(pattern.getModuleSize(), 4.0);
    const TVekAztecFinderPattern copied = pattern.getCopy();
    EXPECT_EQ(copied.getRing().getPixelCount(), 256);
    EXPECT_EQ(copied.getCentre().getCenter(), pattern.getCentre().getCenter());

    EXPECT_EQ(locationCount(drawBullsEye({.cornerCut = 2})), 1u);   // 240: 15
    EXPECT_EQ(locationCount(drawBullsEye({.cornerCut = 3})), 0u);   // 220: 13.75
    EXPECT_EQ(locationCount(drawBullsEye({.sideBump = 12})), 1u);   // 304: 19
    EXPECT_EQ(locationCount(drawBullsEye({.sideBump = 14})), 0u);   // 312: 19.5
}

TEST(AztecFinder, CentresMustLieWithinTwoPixels) {
    EXPECT_EQ(locationCount(drawBullsEye({.centreShiftX = 1})), 1u);
    EXPECT_EQ(locationCount(drawBullsEye({.centreShiftX = 2})), 0u);
    EXPECT_EQ(locationCount(drawBullsEye({.centreShiftX = -2})), 0u);
}

TEST(AztecFinder, RegionSizeWindow) {
    // A 2-pixel module has a centre of 4 pixels: too small for the defaults.
    EXPECT_EQ(locationCount(drawBullsEye({.module = 2})), 0u);
    EXPECT_EQ(locationCount(drawBullsEye({.module = 3})), 1u);
    TVekAztecCodeReader finer;
    finer.minModuleSize = 1;
    EXPECT_EQ(locationCount(drawBullsEye({.module = 2}), finer), 1u);
    // A 30-pixel module has a ring of 16 x 900 = 14400 pixels: too large.
    EXPECT_EQ(locationCount(drawBullsEye({.module = 29})), 1u);
    EXPECT_EQ(locationCount(drawBullsEye({.module = 30})), 0u);
}

TEST(AztecFinder, LoneBullsEyeIsNoSymbol) {
    // Around a bull's-eye on white everything samples light, which is a valid
    // all-zero mode message and data block; without the rest of the core it
    // must not become an (empty) record.
    for (const int module : {3, 4, 7}) {
        TVekImage picture = drawBullsEye({.module = module});
        TVekAztecCodeReader reader;
        EXPECT_TRUE(reader.read(picture).empty()) << module;
    }
}

TEST(AztecFinder, EmptyAndTinyPictures) {
    for (const int size : {0, 1, 2}) {
        TVekImage picture(size, size);
        TVekAztecCodeReader reader;
        EXPECT_TRUE(reader.read(picture).empty()) << size;
    }
    TVekImage line(0, 5);
    TVekAztecCodeReader reader;
    EXPECT_TRUE(reader.read(line).empty());
}

TEST(AztecFinder, SampleStripSpacingAndSkip) {
    // Stripes of 4 pixels: dark at even stripes.
    TVekImage picture(60, 12);
    for (int stripe = 0; stripe < 15; stripe += 2) fillRect(picture, stripe * 4, 0, 4, 12);
    const TVekLine line(TVekPoint(2, 6), TVekPoint(42, 6));
    EXPECT_EQ(TVekAztecCodeReader::sampleStrip(picture, line, 11, -1),
              (TVectorInteger{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(TVekAztecCodeReader::sampleStrip(picture, line, 11, 5), (TVectorInteger{1, 0, 1, 0, 1, 1, 0, 1, 0, 1}));
    // A line of no length samples its start n times.
    const TVekLine point(TVekPoint(2, 6), TVekPoint(2, 6));
    EXPECT_EQ(TVekAztecCodeReader::sampleStrip(picture, point, 3, -1), (TVectorInteger{1, 1, 1}));
}

TEST(AztecFinder, SampleSymbolNeedsAConfiguration) {
    TVekImage picture(50, 50);
    TVekAztecCodeReader reader;
    try {
        reader.sampleSymbol(picture, 5, TVekPoint(25, 25), 5, -90, 2);
        FAIL() << "a compact symbol of 5 layers was sampled";
    } catch (const TVekAZReedException& e) {
        EXPECT_EQ(std::string(e.what()), "Configuration for 5 not found");
    }
    const TVekAzBitMap map = reader.sampleSymbol(picture, 7, TVekPoint(25, 25), 1, -90, 2);
    EXPECT_EQ(map.getWidth(), 19);
    EXPECT_EQ(reader.configuration, 1);
    EXPECT_EQ(map.getCell(0, 0), 0);
}

}  // namespace
}  // namespace orvel
