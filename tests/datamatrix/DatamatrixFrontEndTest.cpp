// The pieces of the Data Matrix front end on drawn pictures and hand-made
// profiles: candidate L shapes of a region, filled sides and right angles,
// clock peaks, and the module count from edge distances.

#include <gtest/gtest.h>

#include <cmath>

#include "datamatrix/VekDatamatrixReader.h"
#include "datamatrix/VekLFinder.h"
#include "foundation/VekImageObject.h"

namespace orvel::test {
namespace {

void fill(TVekImage& picture, int left, int top, int right, int bottom) {
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) picture.setPixel(x, y, BLACK);
    }
}

TEST(DatamatrixLFinderTest, AFilledSquareGivesTheBoxAndAllFourCorners) {
    TVekImage picture(100, 100);
    fill(picture, 20, 30, 59, 69);
    const TVekImageObject region(picture, TVekPoint(20, 30));
    // Marks left over from other walks must not cut the corner search short.
    picture.clearVisited();
    std::fill(picture.visitedMarks().begin(), picture.visitedMarks().end(), uint8_t{1});

    TVekLFinder finder;
    const std::vector<TVekLPattern> patterns = finder.findLPatterns(region, picture);
    ASSERT_EQ(patterns.size(), 5u);
    const TVekPoint bl(20, 69), br(59, 69), tr(59, 30), tl(20, 30);
    // The box candidate, then the corners BL, TL, TR, BR, each turning like
    // an upright symbol from line1 to line2.
    const std::vector<std::array<TVekPoint, 3>> expected = {
        {bl, br, tl}, {bl, br, tl}, {tl, bl, tr}, {tr, tl, br}, {br, tr, bl}};
    for (size_t i = 0; i < patterns.size(); ++i) {
        EXPECT_EQ(patterns[i].line1.getStart(), expected[i][0]) << i;
        EXPECT_EQ(patterns[i].line1.getEnd(), expected[i][1]) << i;
        EXPECT_EQ(patterns[i].line2.getStart(), expected[i][0]) << i;
        EXPECT_EQ(patterns[i].line2.getEnd(), expected[i][2]) << i;
    }
}

TEST(DatamatrixLFinderTest, AThinDiagonalStrokeGivesOnlyTheBox) {
    TVekImage picture(120, 120);
    for (int k = 10; k < 100; ++k) fill(picture, k, k, k + 1, k);
    const TVekImageObject region(picture, TVekPoint(10, 10));
    TVekLFinder finder;
    EXPECT_EQ(finder.findLPatterns(region, picture).size(), 1u);
}

TEST(DatamatrixLFinderTest, SidesMustMeetWithinFiveDegreesOfARightAngle) {
    TVekImage picture(400, 400);
    fill(picture, 0, 0, 399, 399);
    TVekLFinder finder;
    const TVekImageObject region(picture, TVekPoint(0, 0));
    finder.findLPatterns(region, picture);

    const TVekPoint corner(100, 300);
    const TVekPoint along(300, 300);  // the first side points at 180 degrees towards the corner
    const auto sideAt = [&](double degrees) {
        // The second side leaves the corner at `degrees` from the first one.
        const double r = degToRad(-degrees);
        return TVekPoint(corner.x + 200 * std::cos(r), corner.y + 200 * std::sin(r));
    };
    for (const double degrees : {86.0, 90.0, 94.0}) {
        EXPECT_TRUE(finder.isLCorner({along, corner, sideAt(degrees)})) << degrees;
    }
    for (const double degrees : {84.0, 84.99, 95.01, 96.0, 45.0, 180.0}) {
        EXPECT_FALSE(finder.isLCorner({along, corner, sideAt(degrees)})) << degrees;
    }
    EXPECT_FALSE(finder.isLCorner({along, std::nullopt, sideAt(90)}));
}

TEST(DatamatrixLFinderTest, ASideIsFilledOnlyAboveFortyPercent) {
    TVekImage picture(40, 10);
    TVekLFinder finder;
    const TVekImageObject region(picture, TVekPoint(0, 0));
    finder.findLPatterns(region, picture);
    // (0, 5)-(9, 5): ten samples x = 1 ... 10, the first one never counted.
    const TVekLine side(0, 5, 9, 5);
    fill(picture, 1, 5, 5, 5);  // samples 2 ... 5 dark: 4 of 10
    EXPECT_FALSE(finder.isLineFilled(side));
    fill(picture, 6, 5, 6, 5);  // 5 of 10
    EXPECT_TRUE(finder.isLineFilled(side));
}

TEST(DatamatrixClockTrackTest, OddModuleEstimatesMoveToTheNeighbourOnTheSideOfTheValue) {
    const TVectorDouble period = {2.0, 2.0};
    // v = length x 2 / 2 - 1.5
    EXPECT_EQ(TVekDatamatrixReader::estimateModuleCount(period, TVekLine(0, 0, 10.8, 0)), 10);  // 9.3
    EXPECT_EQ(TVekDatamatrixReader::estimateModuleCount(period, TVekLine(0, 0, 10.2, 0)), 8);   // 8.7
    EXPECT_EQ(TVekDatamatrixReader::estimateModuleCount(period, TVekLine(0, 0, 13.5, 0)), 12);  // 12.0
    // No distances: no count rather than a division by zero.
    EXPECT_EQ(TVekDatamatrixReader::estimateModuleCount({}, TVekLine(0, 0, 10, 0)), -1);
}

TEST(DatamatrixClockTrackTest, DistanceFilterDropsOutlyingRuns) {
    EXPECT_EQ(TVekDatamatrixReader::filterDistances({1, 5, 5, 5}, 0), (TVectorDouble{5, 5, 5}));
    EXPECT_EQ(TVekDatamatrixReader::filterDistances({4, 5, 5, 6}, 0), (TVectorDouble{4, 5, 5, 6}));
    EXPECT_EQ(TVekDatamatrixReader::filterDistances({5, 5, 5, 20, 20}, 0), (TVectorDouble{5, 5, 5}));
    EXPECT_TRUE(TVekDatamatrixReader::filterDistances({}, 0).empty());
}

TEST(DatamatrixClockTrackTest, ClockPeakNeedsARealDropAndEnoughTransitions) {
    TVekDatamatrixReader::TPeak peak;
    // A level stretch at 10 that collapses to 1.
    const TVectorInteger plateau = {0, 10, 10, 10, 1, 0, 0};
    ASSERT_TRUE(TVekDatamatrixReader::findClockPeak(plateau, plateau, peak, 6, 0));
    EXPECT_EQ(peak.peak, 3);
    EXPECT_EQ(peak.drop, 4);
    // Six transitions are not enough, as on the first six scan steps.
    const TVectorInteger six = {0, 6, 6, 6, 0, 0, 0};
    EXPECT_FALSE(TVekDatamatrixReader::findClockPeak(six, six, peak, 6, 0));

    // Falling to 20 percent is no drop: the search goes on to the next rise.
    const TVectorInteger twoHills = {0, 20, 20, 20, 4, 4, 30, 30, 3, 3};
    ASSERT_TRUE(TVekDatamatrixReader::findClockPeak(twoHills, twoHills, peak, 9, 0));
    EXPECT_EQ(peak.peak, 7);
    EXPECT_EQ(peak.drop, 8);

    // Windows reaching before the profile or past its end stay inside it.
    EXPECT_TRUE(TVekDatamatrixReader::findClockPeak(twoHills, twoHills, peak, 40, -15));
    EXPECT_EQ(peak.peak, 7);
    EXPECT_FALSE(TVekDatamatrixReader::findClockPeak(twoHills, twoHills, peak, 30, 20));
    // A window starting before the profile on a falling stretch: the peak is
    // the first step of the profile, never a step before it.
    const TVectorInteger falling = {20, 1, 1, 0, 0};
    ASSERT_TRUE(TVekDatamatrixReader::findClockPeak(falling, falling, peak, 4, -5));
    EXPECT_EQ(peak.peak, 0);
    EXPECT_EQ(peak.drop, 1);
    EXPECT_FALSE(TVekDatamatrixReader::findClockPeak(twoHills, twoHills, peak, 3, 3));
}

TEST(DatamatrixClockTrackTest, ClockMidLineStepsHalfAModuleBackFromTheDrop) {
    // Vertical scan lines x = k from y = 100 up to y = 0; the limit is y = 10.
    TVekDatamatrixReader::TProfile profile;
    for (int k = 0; k < 40; ++k) {
        profile.lines.emplace_back(TVekLine(k, 100, k, 0));
        profile.raw.push_back(k < 30 ? 10 : 0);
        profile.scaled.push_back(profile.raw.back());
    }
    const TVekLine limit(0, 10, 50, 10);
    const TVekLine side(0, 100, 50, 100);
    // Half a module: Round(100 / (2 x 10)) = 5 steps back from the drop at 30.
    const TVekLine mid =
        TVekDatamatrixReader::clockMidLine(side, *profile.lines[29], true, profile, 30, 29, limit);
    EXPECT_EQ(mid.getStart(), TVekPoint(25, 100));
    EXPECT_EQ(mid.getEnd(), TVekPoint(25, 10));
    // A step before the first scan line keeps the peak line.
    const TVekLine early = TVekDatamatrixReader::clockMidLine(side, *profile.lines[2], true, profile, 3, 2, limit);
    EXPECT_EQ(early.getStart(), TVekPoint(2, 100));
}

TEST(DatamatrixClockTrackTest, RegionSizesAreTheTableRows) {
    EXPECT_TRUE(TVekDatamatrixReader::isRegionSize(8, 8));
    EXPECT_TRUE(TVekDatamatrixReader::isRegionSize(24, 24));
    EXPECT_TRUE(TVekDatamatrixReader::isRegionSize(16, 6));  // the 8 x 18 rectangle
    EXPECT_FALSE(TVekDatamatrixReader::isRegionSize(9, 9));
    EXPECT_FALSE(TVekDatamatrixReader::isRegionSize(26, 26));
    EXPECT_FALSE(TVekDatamatrixReader::isRegionSize(-1, -1));
}

}  // namespace
}  // namespace orvel::test
