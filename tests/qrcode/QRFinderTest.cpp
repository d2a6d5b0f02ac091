#include <gtest/gtest.h>

#include "qrcode/VekQRAlignPattern.h"
#include "qrcode/VekQRCodeReader.h"

namespace orvel {
namespace {

void fillRect(TVekImage& image, int x0, int y0, int width, int height, uint32_t colour) {
    for (int y = y0; y < y0 + height; ++y)
        for (int x = x0; x < x0 + width; ++x) image.setPixel(x, y, colour);
}

// A finder pattern with its top-left corner at (x, y); the centre square may be
// drawn taller than three modules to upset the ring : centre ratio.
void drawFinder(TVekImage& image, int x, int y, int module, double centreHeightModules = 3) {
    fillRect(image, x, y, 7 * module, 7 * module, BLACK);
    fillRect(image, x + module, y + module, 5 * module, 5 * module, WHITE);
    const int centreHeight = static_cast<int>(centreHeightModules * module);
    fillRect(image, x + 2 * module, y + 2 * module, 3 * module, centreHeight, BLACK);
}

TEST(QRFinder, ThreePatternsFormOneLocation) {
    TVekImage picture(400, 400);
    drawFinder(picture, 40, 40, 5);
    drawFinder(picture, 240, 40, 5);
    drawFinder(picture, 40, 240, 5);
    const TVectorQRLocations locations = TVekQRCodeReader().findLocations(picture);
    ASSERT_EQ(locations.size(), 1u);
    const TVekQRCodeLocation& location = locations[0];
    EXPECT_EQ(location.topLeft.getPosition(), TVekPoint(57, 57));
    EXPECT_EQ(location.topRight.getPosition(), TVekPoint(257, 57));
    EXPECT_EQ(location.bottomLeft.getPosition(), TVekPoint(57, 257));
    EXPECT_DOUBLE_EQ(location.finderDistance, 200);
    EXPECT_DOUBLE_EQ(location.getModuleSize(), 5);
    // 200 / 5 = 40 modules apart: version Round(30 / 4) = 8 (7.5 rounds to even).
    EXPECT_EQ(TVekQRCodeReader::estimateVersion(location), 8);
}

TEST(QRFinder, PartnersAreAssignedByTheQuarterTurn) {
    // Turned upside down: the corner sits bottom right, topRight to its left.
    TVekImage picture(400, 400);
    drawFinder(picture, 300, 300, 4);
    drawFinder(picture, 100, 300, 4);
    drawFinder(picture, 300, 100, 4);
    const TVectorQRLocations locations = TVekQRCodeReader().findLocations(picture);
    ASSERT_EQ(locations.size(), 1u);
    EXPECT_EQ(locations[0].topLeft.getPosition(), TVekPoint(313.5, 313.5));
    EXPECT_EQ(locations[0].topRight.getPosition(), TVekPoint(113.5, 313.5));
    EXPECT_EQ(locations[0].bottomLeft.getPosition(), TVekPoint(313.5, 113.5));
}

TEST(QRFinder, DistancesMustAgreeWithinTenPercent) {
    TVekImage picture(500, 400);
    drawFinder(picture, 40, 40, 4);
    drawFinder(picture, 262, 40, 4);  // 222 pixels away
    drawFinder(picture, 40, 240, 4);  // 200 pixels away
    EXPECT_TRUE(TVekQRCodeReader().findLocations(picture).empty());
}

TEST(QRFinder, ModuleSizeLimits) {
    for (int module : {2, 30}) {
        TVekImage picture(900, 900);
        drawFinder(picture, 10, 10, module);
        drawFinder(picture, 10 + 20 * module, 10, module);
        drawFinder(picture, 10, 10 + 20 * module, module);
        EXPECT_TRUE(TVekQRCodeReader().findLocations(picture).empty()) << module;
    }
    TVekImage picture(900, 900);
    drawFinder(picture, 10, 10, 3);
    drawFinder(picture, 100, 10, 3);
    drawFinder(picture, 10, 100, 3);
    EXPECT_EQ(TVekQRCodeReader().findLocations(picture).size(), 1u);
}

TEST(QRFinder, RejectedCandidates) {
    // Two separate bars around a square: 1 : 1 : 3 : 1 : 1 runs, but the outer
    // runs are not one ring.
    TVekImage bars(300, 300);
    for (int x : {20, 120, 220}) {
        fillRect(bars, x, 20, 5, 35, BLACK);
        fillRect(bars, x + 10, 30, 15, 15, BLACK);
        fillRect(bars, x + 30, 20, 5, 35, BLACK);
    }
    EXPECT_TRUE(TVekQRCodeReader().findLocations(bars).empty());
    // A centre 4 modules tall: the ring and centre disagree on the module area.
    TVekImage tall(400, 400);
    drawFinder(tall, 40, 40, 5, 4);
    drawFinder(tall, 240, 40, 5, 4);
    drawFinder(tall, 40, 240, 5, 4);
    EXPECT_TRUE(TVekQRCodeReader().findLocations(tall).empty());
    // A pattern cut by the right edge is never tested.
    TVekImage cut(272, 400);
    drawFinder(cut, 40, 40, 5);
    drawFinder(cut, 240, 40, 5);
    drawFinder(cut, 40, 240, 5);
    EXPECT_TRUE(TVekQRCodeReader().findLocations(cut).empty());
}

TEST(QRFinder, VersionEstimatesOutsideTheTableGiveNoRecord) {
    // 9 modules apart: version Round(-0.25) = 0. 190 modules apart: version 45.
    for (int spacing : {9, 190}) {
        TVekImage picture(20 + 3 * (spacing + 7) + 20, 20 + 3 * (spacing + 7) + 20);
        drawFinder(picture, 20, 20, 3);
        drawFinder(picture, 20 + 3 * spacing, 20, 3);
        drawFinder(picture, 20, 20 + 3 * spacing, 3);
        TVekQRCodeReader reader;
        reader.binaryInput = true;
        const TVectorQRLocations locations = reader.findLocations(picture);
        ASSERT_EQ(locations.size(), 1u) << spacing;
        EXPECT_TRUE(reader.sampleGrid(picture, locations[0]).empty());
        EXPECT_TRUE(reader.read(picture).empty()) << spacing;
    }
}

TEST(QRFinder, RowsWithMoreRunsThanTheArraysHold) {
    // A one-pixel checkerboard has width runs per row, twice the arrays' room.
    TVekImage texture(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if ((x + y) % 2 == 0) texture.setPixel(x, y, BLACK);
    EXPECT_TRUE(TVekQRCodeReader().findLocations(texture).empty());
}

TEST(QRSampling, WindowMajority) {
    TVekImage picture(40, 40);
    auto darkCount = [&](int count, int w) {
        fillRect(picture, 0, 0, 40, 40, WHITE);
        for (int i = 0; i < count; ++i) picture.setPixel(10 + i % w, 10 + i / w, BLACK);
        return TVekQRCodeReader::sampleModule(picture, TVekPoint(10 + (w - 1) / 2, 10 + (w - 1) / 2),
                                              w == 1 ? 3 : w == 3 ? 4 : w == 5 ? 6 : 8);
    };
    EXPECT_EQ(darkCount(1, 1), 1);
    EXPECT_EQ(darkCount(0, 1), 0);
    EXPECT_EQ(darkCount(5, 3), 1);
    EXPECT_EQ(darkCount(4, 3), 0);
    EXPECT_EQ(darkCount(13, 5), 1);
    EXPECT_EQ(darkCount(12, 5), 0);
    EXPECT_EQ(darkCount(25, 7), 1);
    EXPECT_EQ(darkCount(24, 7), 0);
}

TEST(QRSampling, DivideLine) {
    const auto points = TVekQRCodeReader::divideLine(TVekLine(0, 0, 30, 40), 6);
    ASSERT_EQ(points.size(), 6u);
    EXPECT_EQ(points.front(), TVekPoint(0, 0));
    EXPECT_EQ(points[1], TVekPoint(6, 8));
    EXPECT_EQ(points[4], TVekPoint(24, 32));
    EXPECT_EQ(points.back(), TVekPoint(30, 40));
    EXPECT_EQ(TVekQRCodeReader::divideLine(TVekLine(0, 0, 5, 0), 2).size(), 2u);
}

TEST(QRSampling, AlignmentGridOfVersion40) {
    TVekQRCodeReader reader;
    reader.buildAlignmentGrid(40);
    ASSERT_EQ(reader.gridRows.size(), 7u);
    EXPECT_EQ(reader.gridRows[6][0], 170);
    EXPECT_EQ(reader.gridColumns[0][6], 170);
    EXPECT_EQ(reader.gridColumns[3][2], 58);
    EXPECT_EQ(reader.gridNodes.size(), 7u);
    reader.buildAlignmentGrid(41);
    EXPECT_TRUE(reader.gridRows.empty());
}

TEST(QRSampling, AlignmentNodeRefinement) {
    TVekImage picture(100, 100);
    fillRect(picture, 40, 40, 5, 5, BLACK);  // a centre of one 5-pixel module
    // On the centre: snapped to the region's centre.
    EXPECT_EQ(TVekQRAlignPattern(picture, true, 5, TVekPoint(41, 41)).position, TVekPoint(42, 42));
    // Just below and right of it: found among the nine pixels up and left.
    picture.clearVisited();
    EXPECT_EQ(TVekQRAlignPattern(picture, true, 5, TVekPoint(46, 46)).position, TVekPoint(42, 42));
    // Without refinement the prediction stays.
    EXPECT_EQ(TVekQRAlignPattern(picture, false, 5, TVekPoint(46, 46)).position, TVekPoint(46, 46));
    // A region far from one module's area keeps the found point.
    picture.clearVisited();
    fillRect(picture, 60, 60, 20, 20, BLACK);
    EXPECT_EQ(TVekQRAlignPattern(picture, true, 5, TVekPoint(70, 70)).position, TVekPoint(70, 70));
    // Nothing dark nearby: the prediction.
    EXPECT_EQ(TVekQRAlignPattern(picture, true, 5, TVekPoint(10, 10)).position, TVekPoint(10, 10));
}

}  // namespace
}  // namespace orvel
