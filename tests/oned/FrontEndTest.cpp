#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/VekROrvelConfiguration.h"
#include "foundation/VekUtil.h"
#include "oned/VekBarcode1DFinder.h"
#include "oned/VekBarsReader.h"
#include "oned/VekLineWalker.h"
#include "oned/VekPAVectorizer.h"

namespace orvel {
namespace {

std::vector<TVekPoint> walk(TVekLineWalker walker) {
    std::vector<TVekPoint> points;
    while (auto point = walker.nextPoint()) points.push_back(*point);
    return points;
}

TEST(LineWalker, StepsOnePixelPastTheEndAndNeverReturnsTheStart) {
    const auto horizontal = walk(TVekLineWalker(0, 0, 10, 0));
    ASSERT_EQ(horizontal.size(), 11u);
    EXPECT_EQ(horizontal.front(), TVekPoint(1, 0));
    EXPECT_EQ(horizontal.back(), TVekPoint(11, 0));

    const TVekLineWalker steep(0, 0, 3, 10);
    EXPECT_EQ(steep.stepY, 1);
    EXPECT_DOUBLE_EQ(steep.stepX, 0.3);
    EXPECT_EQ(TVekLineWalker(10, 0, 0, 0).stepX, -1);

    EXPECT_EQ(walk(TVekLineWalker(5, 5, 5, 5)), (std::vector<TVekPoint>{TVekPoint(5.1, 5.1)}));
    EXPECT_EQ(walk(TVekLineWalker(0, 0, 10, 0, 2.0)).back(), TVekPoint(21, 0));
    // From a line the end points are rounded half to even.
    EXPECT_EQ(walk(TVekLineWalker(TVekLine(0.5, 0, 2.5, 0))).front(), TVekPoint(1, 0));
}

// A picture with dark vertical bars of the given widths (pixels), separated by
// the given spaces, from row `top` for `height` rows, starting at column left.
TVekImage barPicture(const std::vector<int>& bars, const std::vector<int>& spaces, int left = 10, int top = 5,
                     int height = 30, int width = 0) {
    int extent = left;
    for (size_t i = 0; i < bars.size(); ++i) extent += bars[i] + (i < spaces.size() ? spaces[i] : 0);
    TVekImage image(width > 0 ? width : extent + 10, top + height + 5);
    int x = left;
    for (size_t i = 0; i < bars.size(); ++i) {
        for (int dx = 0; dx < bars[i]; ++dx)
            for (int y = top; y < top + height; ++y) image.setPixel(x + dx, y, BLACK);
        x += bars[i] + (i < spaces.size() ? spaces[i] : 0);
    }
    return image;
}

TVekBarcode1DObject lineCandidate(double x1, double x2, double y) {
    TVekBarcode1DObject candidate{TVekBarList{}};
    candidate.corner1 = candidate.corner2 = TVekPoint(x1, y);
    candidate.corner3 = candidate.corner4 = TVekPoint(x2, y);
    return candidate;
}

TEST(BarsReader, AlongTheLineGivesModulesBetweenTheWhiteMargins) {
    const TVekImage image = barPicture({3, 6, 3}, {3, 3});
    TVectorDouble widths{99};
    TVekBarsReader().readBars(BARS_ALONG_LINE, image, lineCandidate(0, 40, 15), widths);
    EXPECT_EQ(widths, (TVectorDouble{1, 1, 2, 1, 1}));

    TVekImage blank(40, 40);
    TVekBarsReader().readBars(BARS_ALONG_LINE, blank, lineCandidate(0, 39, 15), widths);
    EXPECT_TRUE(widths.empty());
    widths = {1};
    TVekBarsReader().readBars(BARS_BY_DENSITY, image, lineCandidate(0, 40, 15), widths);
    EXPECT_TRUE(widths.empty());
}

TEST(BarsReader, AlongTheLineRoundsHalfToEvenAndReportsDoubtfulRuns) {
    // Runs of 2 (unit), 5 and 7 pixels: 2.5 units round to 2, 3.5 to 4.
    const TVekImage image = barPicture({2, 7}, {5});
    std::string diagnostics;
    setDebugSink([&diagnostics](const std::string& text) { diagnostics += text + "\n"; });
    TVectorDouble widths;
    TVekBarsReader().readBars(BARS_ALONG_LINE, image, lineCandidate(0, 40, 15), widths);
    setDebugSink(nullptr);
    EXPECT_EQ(widths, (TVectorDouble{1, 2, 4}));
    EXPECT_NE(diagnostics.find("**** Cant be sure about bar width ("), std::string::npos);
}

TEST(BarsReader, CountsPixelsInsideThePolygonButNeverColumnOrRowZero) {
    TVekImage image(50, 50);
    TVekPolygon square;
    square.addPoint(0, 0);
    square.addPoint(5, 0);
    square.addPoint(5, 5);
    square.addPoint(0, 5);
    EXPECT_EQ(TVekBarsReader().countPixelsInPolygon(image, square, WHITE, TVekPoint(2, 2)), 16);
    image.setPixel(3, 3, BLACK);
    EXPECT_EQ(TVekBarsReader().countPixelsInPolygon(image, square, WHITE, TVekPoint(2, 2)), 15);
    EXPECT_EQ(TVekBarsReader().countPixelsInPolygon(image, square, BLACK, TVekPoint(2, 2)), 1);

    // A polygon far larger than the picture: the walk stays in the picture and
    // its marks do not cover the polygon's whole extent.
    TVekPolygon huge;
    huge.addPoint(-100000, -100000);
    huge.addPoint(100000, -100000);
    huge.addPoint(100000, 100000);
    huge.addPoint(-100000, 100000);
    EXPECT_EQ(TVekBarsReader().countPixelsInPolygon(image, huge, WHITE, TVekPoint(20, 20)), 49 * 49 - 1);
}

class FrontEndWithSettings : public ::testing::Test {
protected:
    void SetUp() override { saved = orvelConfiguration; }
    void TearDown() override { orvelConfiguration = saved; }
    TVekROrvelConfiguration saved;
};

TEST_F(FrontEndWithSettings, BarsFromRegionsGiveThicknessesAndSpaces) {
    TVekImage image = barPicture({3, 5, 3, 4, 3, 3, 6}, {4, 3, 5, 3, 4, 3}, 10, 5, 40);
    TVekVectorizedImage vectorized = TVekPAVectorizer().vectorize(image);
    auto candidates = TVekBarcode1DFinder().findCandidates(vectorized, image, false);
    ASSERT_EQ(candidates.size(), 1u);
    TVectorDouble widths;
    TVekBarsReader().readBars(BARS_FROM_REGIONS, image, candidates[0], widths);
    const TVectorDouble expected = {3, 4, 5, 3, 3, 5, 4, 3, 3, 4, 3, 3, 6};
    ASSERT_EQ(widths.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(widths[i], expected[i], 0.2) << i;
}

TEST_F(FrontEndWithSettings, VectorizerKeepsRegionsStrictlyInsideTheSizeWindow) {
    TVekImage blank(30, 30);
    EXPECT_TRUE(TVekPAVectorizer().vectorize(blank).getObjects().empty());
    EXPECT_EQ(std::count(blank.visitedMarks().begin(), blank.visitedMarks().end(), 1), 0);

    // Three bars of 30, 31 and 40 pixels in one row, one of 90 below.
    TVekImage image(60, 60);
    auto bar = [&image](int x, int top, int length) {
        for (int y = top; y < top + length; ++y) image.setPixel(x, y, BLACK);
    };
    bar(20, 2, 30);
    bar(5, 2, 31);
    bar(40, 2, 40);
    orvelConfiguration.minObjectSize = 30;
    orvelConfiguration.maxObjectSize = 40;
    TVekPAVectorizer vectorizer;
    orvelConfiguration.minObjectSize = 0;  // copied at construction: no effect any more
    TVekVectorizedImage first = vectorizer.vectorize(image, false);
    ASSERT_EQ(first.getObjects().size(), 1u);
    EXPECT_EQ(first.getObjects()[0]->pixelCount, 31);
    EXPECT_EQ(first.getLines()[0].x2, 10);
    EXPECT_FALSE(first.getObjects()[0]->mainAxis);

    vectorizer.maxObjectSize = 100;
    TVekVectorizedImage second = vectorizer.vectorize(image, true);
    ASSERT_EQ(second.getObjects().size(), 2u);
    EXPECT_EQ(second.getObjects()[0]->seed, TVekPoint(5, 2));  // same row: left first
    EXPECT_EQ(second.getObjects()[1]->seed, TVekPoint(40, 2));
    EXPECT_NEAR(second.getObjects()[1]->axisLength, 39, 1e-9);
    TVekVectorizedImage again = vectorizer.vectorize(image, true);
    ASSERT_EQ(again.getObjects().size(), 2u);
    EXPECT_EQ(again.getObjects()[1]->seed, TVekPoint(40, 2));
}

TEST(Finder, ParallelAnglesAcrossZeroAndOneEighty) {
    EXPECT_TRUE(TVekBarcode1DFinder::isSameAngle(2, 182, 5));
    EXPECT_TRUE(TVekBarcode1DFinder::isSameAngle(182, 2, 5));
    EXPECT_FALSE(TVekBarcode1DFinder::isSameAngle(359, 1, 5));
    EXPECT_TRUE(TVekBarcode1DFinder::isSameAngle(90, 94.9, 5));
    EXPECT_FALSE(TVekBarcode1DFinder::isSameAngle(90, 95, 5));
}

// Vertical bars one pixel wide (so their axes are exactly `heights` - 1
// pixels long), separated by `spaces`, all starting on one row.
std::vector<TVekBarcode1DObject> findBars(const std::vector<int>& heights, const std::vector<int>& spaces,
                                          int32_t minBars = 6) {
    int width = 20;
    for (size_t i = 0; i < heights.size(); ++i) width += 1 + (i < spaces.size() ? spaces[i] : 0);
    TVekImage image(width + 20, 80);
    int x = 10;
    for (size_t i = 0; i < heights.size(); ++i) {
        for (int y = 5; y < 5 + heights[i]; ++y) image.setPixel(x, y, BLACK);
        x += 1 + (i < spaces.size() ? spaces[i] : 0);
    }
    TVekPAVectorizer vectorizer;
    vectorizer.minObjectSize = 5;
    TVekVectorizedImage vectorized = vectorizer.vectorize(image);
    for (const auto& region : vectorized.getObjects()) EXPECT_EQ(region->axisLength, region->pixelCount - 1);
    TVekBarcode1DFinder finder;
    finder.minBarLength = 15;
    finder.maxBarLength = 50;
    finder.minBars = minBars;
    auto candidates = finder.findCandidates(vectorized, image, false);
    EXPECT_TRUE(vectorized.getObjects().empty());  // every region consumed
    return candidates;
}

TEST(Finder, SeedLengthIsInclusiveButJoiningLengthIsStrict) {
    // A 16-pixel bar has an axis of 15 pixels, exactly the minimum.
    const std::vector<int> spaces(7, 3);
    EXPECT_EQ(findBars({16, 30, 30, 30, 30, 30, 30, 30}, spaces).size(), 1u);
    EXPECT_TRUE(findBars({16, 16, 16, 16, 16, 16, 16, 16}, spaces).empty());
    // Bars of exactly the maximum length seed groups that no such bar joins.
    EXPECT_TRUE(findBars({51, 51, 51, 51, 51, 51, 51, 51}, spaces).empty());
    EXPECT_EQ(findBars({51, 40, 40, 40, 40, 40, 40, 40}, spaces).size(), 1u);
}

TEST(Finder, NeedsMoreThanMinBarsBeforeSplitting) {
    EXPECT_EQ(findBars(std::vector<int>(7, 30), std::vector<int>(6, 3)).size(), 1u);
    EXPECT_TRUE(findBars(std::vector<int>(6, 30), std::vector<int>(5, 3)).empty());
}

TEST(Finder, SplitsAtAGapWiderThanSixSmallestGaps) {
    std::vector<int> spaces(13, 3);
    spaces[6] = 40;  // after the seventh bar
    const auto candidates = findBars(std::vector<int>(14, 30), spaces);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0].bars.size(), 7u);
    EXPECT_EQ(candidates[1].bars.size(), 7u);
    // Each candidate ends with the bar before the wide gap or starts after it.
    double firstEnd = 0, secondStart = 1e9;
    for (const auto& bar : candidates[0].bars) firstEnd = std::max(firstEnd, bar->center.x);
    for (const auto& bar : candidates[1].bars) secondStart = std::min(secondStart, bar->center.x);
    EXPECT_TRUE(firstEnd < secondStart || secondStart < firstEnd);
    EXPECT_GT(std::fabs(firstEnd - secondStart), 30);
}

TEST(Finder, OfTwoTooCloseBarsTheLongerSurvives) {
    // A 6-pixel bar sets the minimum distance to 3; two single-pixel bars 2
    // pixels apart are too close.
    TVekImage image(60, 60);
    auto bar = [&image](int x, int width, int length) {
        for (int dx = 0; dx < width; ++dx)
            for (int y = 5; y < 5 + length; ++y) image.setPixel(x + dx, y, BLACK);
    };
    bar(10, 6, 40);
    bar(22, 1, 30);
    bar(24, 1, 40);
    TVekPAVectorizer vectorizer;
    vectorizer.minObjectSize = 5;
    TVekVectorizedImage vectorized = vectorizer.vectorize(image);
    TVekBarcode1DFinder finder;
    TVekBarList group = std::move(vectorized.getObjects());
    ASSERT_EQ(group.size(), 3u);
    const TVekBarList sorted = finder.sortBars(std::move(group));
    ASSERT_EQ(sorted.size(), 2u);
    EXPECT_EQ(sorted[1]->pixelCount, 40);
    EXPECT_LT(sorted[0]->center.x, sorted[1]->center.x);  // ordered from the left edge
}

}  // namespace
}  // namespace orvel
