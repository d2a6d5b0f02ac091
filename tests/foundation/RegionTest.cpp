#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "foundation/VekAreaWalker.h"
#include "foundation/VekImageObject.h"
#include "foundation/VekPolygon.h"
#include "foundation/VekUtil.h"
#include "foundation/VekVectorizedImage.h"

namespace orvel {
namespace {

TVekImage pictureWithDarkRect(int width, int height, int left, int top, int rectWidth, int rectHeight) {
    TVekImage image(width, height);
    for (int y = top; y < top + rectHeight; ++y)
        for (int x = left; x < left + rectWidth; ++x) image.setPixel(x, y, BLACK);
    image.clearVisited();
    return image;
}

TEST(AreaWalker, WalksASquareBreadthFirstAndReturnsTheSeedOnce) {
    TVekImage image = pictureWithDarkRect(7, 7, 2, 2, 3, 3);
    // The seed is not marked beforehand: the walker must not return it twice.
    TVekAreaWalker walker(image, false, TVekPoint(2, 2));
    std::vector<TVekPoint> order;
    while (auto point = walker.nextPoint()) order.push_back(TVekPoint(point->x - 2, point->y - 2));
    const std::vector<TVekPoint> expected = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {2, 0},
                                             {2, 1}, {2, 2}, {1, 2}, {0, 2}};
    EXPECT_EQ(order, expected);
    // The light border around the square was examined and marked too.
    EXPECT_TRUE(image.isVisited(1, 1));
    EXPECT_TRUE(image.isVisited(5, 5));
    EXPECT_FALSE(image.isVisited(0, 0));
}

TEST(AreaWalker, ReturnsANonDarkSeedFollowedByItsDarkNeighbours) {
    TVekImage image = pictureWithDarkRect(5, 5, 2, 1, 1, 3);
    TVekAreaWalker walker(image, true, TVekPoint(1, 2));
    std::vector<TVekPoint> order;
    while (auto point = walker.nextPoint()) order.push_back(*point);
    EXPECT_EQ(order, (std::vector<TVekPoint>{{1, 2}, {2, 2}, {2, 3}, {2, 1}}));
}

TEST(AreaWalker, SetsUpMissingVisitedMarks) {
    TVekImage image(10, 4);
    for (int x = 0; x < 10; ++x) image.setPixel(x, 2, BLACK);  // marks never cleared
    TVekImageObject region(image, TVekPoint(0, 2));
    EXPECT_EQ(region.pixelCount, 10);
}

TEST(ImageObject, MeasuresASquare) {
    TVekImage image = pictureWithDarkRect(7, 7, 2, 2, 3, 3);
    TVekImageObject region(image, TVekPoint(4, 4), TVekPoint(2, 2));
    EXPECT_EQ(region.pixelCount, 9);
    EXPECT_EQ(region.center, TVekPoint(3, 3));
    EXPECT_EQ(region.edgePoints.size(), 8u);
    EXPECT_EQ(region.minX, 2);
    EXPECT_EQ(region.maxX, 4);
    EXPECT_EQ(region.minY, 2);
    EXPECT_EQ(region.maxY, 4);
    EXPECT_TRUE(region.containsTarget());
    // First-wins extremes in walk order: (4,2) comes before (4,3) and (4,4).
    EXPECT_EQ(region.rightmost, TVekPoint(4, 2));
    EXPECT_EQ(region.bottommost, TVekPoint(4, 4));
    EXPECT_EQ(region.leftmost, TVekPoint(2, 2));
    EXPECT_EQ(region.nearestToOrigin, TVekPoint(2, 2));
    EXPECT_EQ(region.farthestFromOrigin, TVekPoint(4, 4));
}

TEST(ImageObject, CornerTouchingPixelsFormOneRegion) {
    TVekImage image(6, 6);
    image.setPixel(2, 2, BLACK);
    image.setPixel(3, 3, BLACK);
    image.setPixel(2, 4, BLACK);
    image.clearVisited();
    TVekImageObject region(image, TVekPoint(6, 6), TVekPoint(2, 2));
    EXPECT_EQ(region.pixelCount, 3);
    EXPECT_FALSE(region.containsTarget());
}

TEST(ImageObject, OnePixelRegionHasNoAxes) {
    TVekImage image = pictureWithDarkRect(10, 10, 5, 7, 1, 1);
    TVekImageObject region(image, TVekPoint(5, 7));
    EXPECT_EQ(region.pixelCount, 1);
    EXPECT_EQ(region.center, TVekPoint(5, 7));
    EXPECT_EQ(region.edgePoints.size(), 1u);
    EXPECT_EQ(region.nearestToOrigin, TVekPoint(5, 7));
    EXPECT_EQ(region.farthestFromOrigin, TVekPoint(5, 7));
    region.fitAxes();
    EXPECT_FALSE(region.axisLine.has_value());
    EXPECT_FALSE(region.mainAxis.has_value());
    EXPECT_EQ(region.getLength(), 0);
    EXPECT_FALSE(region.isAlignedWith(region));
}

TEST(ImageObject, FitsTheAxisOfAHorizontalBar) {
    TVekImage image = pictureWithDarkRect(60, 20, 10, 5, 40, 3);
    TVekImageObject region(image, TVekPoint(10, 5));
    region.fitAxes(image);
    ASSERT_TRUE(region.axisLine && region.mainAxis);
    EXPECT_EQ(region.axisLine->y1, 6);
    EXPECT_EQ(region.axisLine->y2, 6);
    EXPECT_GE(region.axisLength, 39);
    EXPECT_LE(region.axisLength, 39.06);
    EXPECT_LE(std::fabs(region.mainAxis->y1 - 6), 1);
    EXPECT_LE(std::fabs(region.mainAxis->y2 - 6), 1);
    EXPECT_EQ(std::min(region.mainAxis->x1, region.mainAxis->x2), 10);
    EXPECT_EQ(std::max(region.mainAxis->x1, region.mainAxis->x2), 49);
}

TEST(ImageObject, FitsAVerticalBarFromTopToBottom) {
    TVekImage image = pictureWithDarkRect(20, 60, 5, 10, 3, 30);
    TVekImageObject region(image, TVekPoint(5, 10));
    region.fitAxes();
    ASSERT_TRUE(region.mainAxis);
    EXPECT_LT(region.mainAxis->y1, region.mainAxis->y2);  // upper end first
    EXPECT_NEAR(region.axisLength, 29, 0.1);
    // A bar of the same row beside it is aligned, one far below is not.
    TVekImage other = pictureWithDarkRect(20, 200, 10, 10, 3, 30);
    TVekImageObject beside(other, TVekPoint(10, 10));
    EXPECT_TRUE(region.isAlignedWith(beside));
    TVekImage far = pictureWithDarkRect(20, 200, 10, 150, 3, 30);
    TVekImageObject below(far, TVekPoint(10, 150));
    EXPECT_FALSE(region.isAlignedWith(below));
}

TEST(ImageObject, CopyKeepsTheMeasuresButNotTheOutline) {
    TVekImage image = pictureWithDarkRect(60, 20, 10, 5, 40, 3);
    TVekImageObject region(image, TVekPoint(10, 5));
    region.fitAxes();
    TVekImageObject copy = region.getCopy();
    EXPECT_EQ(copy.pixelCount, region.pixelCount);
    EXPECT_EQ(copy.minX, region.minX);
    EXPECT_EQ(copy.maxX, region.maxX);
    EXPECT_EQ(copy.minY, region.minY);
    EXPECT_EQ(copy.maxY, region.maxY);
    EXPECT_TRUE(copy.edgePoints.empty());
    EXPECT_FALSE(region.edgePoints.empty());
    copy.fitAxes();  // already fitted: must keep the axis although it has no outline
    ASSERT_TRUE(copy.mainAxis);
    EXPECT_EQ(copy.axisLength, region.axisLength);
}

TEST(ImageObject, SumOfSquaredDistancesStopsPastTheLimit) {
    TVekImage image = pictureWithDarkRect(20, 20, 5, 5, 4, 4);
    TVekImageObject region(image, TVekPoint(5, 5));
    const TVekLine line(0, 0, 10, 0);  // y = 0
    double expected = 0;
    for (const TVekPoint& p : region.edgePoints) expected += p.y * p.y;
    EXPECT_DOUBLE_EQ(region.sumSquaredDistances(line, -1), expected);
    EXPECT_EQ(region.sumSquaredDistances(line, 30), 31);
}

// Every dark pixel of a noisy picture belongs to exactly one region when the
// regions are walked the way the vectorizer does (seeds not marked first).
TEST(ImageObject, WalkingEveryRegionCountsEveryDarkPixelOnce) {
    TVekImage image(97, 61);
    std::mt19937 random(7);
    int dark = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (random() % 3 == 0) {
                image.setPixel(x, y, BLACK);
                ++dark;
            }
    image.clearVisited();
    int counted = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.isBlack(x, y) && !image.isVisited(x, y)) counted += TVekImageObject(image, TVekPoint(x, y)).pixelCount;
    EXPECT_EQ(counted, dark);
}

// The walk as plainly as it can be written: a queue of points, all eight
// neighbours examined in order, extremes and distances kept as doubles. The
// walker skips neighbours it knows are visited and the region keeps integer
// tallies; both must give exactly what this gives.
struct TPlainRegion {
    std::vector<TVekPoint> order;
    std::vector<TVekPoint> outline;
    TVekPoint leftmost, rightmost, topmost, bottommost, nearest{999999, 999999}, farthest{0, 0};
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool targetFound = false;
};

TPlainRegion plainWalk(TVekImage& image, const TVekPoint& seed, const TVekPoint& target) {
    static const int dx[8] = {1, 1, 0, -1, -1, -1, 0, 1}, dy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < image.width && y < image.height; };
    auto dark = [&](int x, int y) { return inside(x, y) && image.isBlack(x, y); };
    TPlainRegion region;
    region.minX = region.maxX = seed.x;
    region.minY = region.maxY = seed.y;
    region.leftmost = region.rightmost = region.topmost = region.bottommost = seed;
    double nearest = 999999, farthest = 0;
    std::vector<TVekPoint> queue{TVekPoint(vekRoundInt(seed.x), vekRoundInt(seed.y))};
    image.setVisited(vekRoundInt(seed.x), vekRoundInt(seed.y));
    for (size_t next = 0; next < queue.size(); ++next) {
        const TVekPoint p = queue[next];
        const int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
        for (int k = 0; k < 8; ++k) {
            const int nx = x + dx[k], ny = y + dy[k];
            if (!inside(nx, ny) || image.isVisited(nx, ny)) continue;
            image.setVisited(nx, ny);
            if (image.isBlack(nx, ny)) queue.push_back(TVekPoint(nx, ny));
        }
        region.order.push_back(p);
        if (p == target) region.targetFound = true;
        if (p.x < region.minX) { region.minX = p.x; region.leftmost = p; }
        if (p.x > region.maxX) { region.maxX = p.x; region.rightmost = p; }
        if (p.y < region.minY) { region.minY = p.y; region.topmost = p; }
        if (p.y > region.maxY) { region.maxY = p.y; region.bottommost = p; }
        const double distance = std::sqrt(p.x * p.x + p.y * p.y);
        if (distance < nearest) { nearest = distance; region.nearest = p; }
        if (distance > farthest) { farthest = distance; region.farthest = p; }
        if (!dark(x + 1, y) || !dark(x, y + 1) || !dark(x - 1, y) || !dark(x, y - 1)) region.outline.push_back(p);
    }
    // The seed's own coordinates stand in for an extreme no pixel passed.
    region.leftmost = TVekPoint(region.minX, region.leftmost.y);
    region.rightmost = TVekPoint(region.maxX, region.rightmost.y);
    region.topmost = TVekPoint(region.topmost.x, region.minY);
    region.bottommost = TVekPoint(region.bottommost.x, region.maxY);
    return region;
}

// Random blobs and speckle, some pixels marked beforehand (as readers do),
// seeds on and off dark pixels, fractional seeds, seeds on the border.
TEST(ImageObject, FastWalkMatchesThePlainWalkExactly) {
    std::mt19937 random(2024);
    for (int round = 0; round < 300; ++round) {
        // Every tenth picture is large enough for regions of many thousand
        // pixels, which the walk hands over in several blocks.
        const bool large = round % 10 == 0;
        const int width = 3 + random() % (large ? 160 : 60), height = 3 + random() % (large ? 120 : 40);
        TVekImage image(width, height);
        if (round % 3 == 0) {
            // Solid shapes with a little speckle: long runs of pixels on a row,
            // which the walk expands together.
            for (int shape = 0; shape < 4; ++shape) {
                const int cx = random() % width, cy = random() % height, r = 2 + random() % 20;
                const int slant = static_cast<int>(random() % 5) - 2;
                const int kind = static_cast<int>(random() % 4);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x) {
                        const int dx = x - cx - slant * (y - cy) / 2, dy = y - cy;
                        bool inside = false;
                        if (kind == 0) inside = dx * dx + dy * dy <= r * r;                  // disc
                        if (kind == 1) inside = std::abs(dx) <= r / 2 && std::abs(dy) <= r;  // slanted bar
                        if (kind == 2) inside = std::abs(dx) <= std::abs(dy) && std::abs(dy) <= r;  // two triangles
                        if (kind == 3) inside = dx * dx + dy * dy <= r * r && dx * dx + dy * dy >= r * r / 4;  // ring
                        if (inside) image.setPixel(x, y, BLACK);
                    }
            }
            for (int k = random() % 30; k > 0; --k) image.setPixel(random() % width, random() % height, random() % 2 ? BLACK : WHITE);
        } else {
            // From sparse speckle to dark fields with a few holes.
            const int density = round % 3 == 1 ? 2 + random() % 4 : 8 + random() % 40;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if (random() % density != 0) image.setPixel(x, y, BLACK);
        }
        image.clearVisited();
        for (int k = random() % 8; k > 0; --k) image.setVisited(random() % width, random() % height);
        TVekImage twin = image.getCopy();
        twin.visitedMarks() = image.visitedMarks();

        for (int region = 0; region < 6; ++region) {
            TVekPoint seed(random() % width, random() % height);
            // On pictures of shapes, seeds mostly inside a shape, so that walks
            // grow in every direction from it.
            for (int tries = 0; round % 3 == 0 && tries < 20 && !image.isBlack(static_cast<int>(seed.x), static_cast<int>(seed.y)); ++tries)
                seed = TVekPoint(random() % width, random() % height);
            if (region == 1) seed = TVekPoint(seed.x + 0.25, seed.y - 0.375);
            if (region == 2) seed = TVekPoint(0, height - 1);
            const TVekPoint target(random() % width, random() % height);
            const std::vector<uint8_t> before = image.visitedMarks();
            const TPlainRegion expected = plainWalk(twin, seed, target);
            TVekImageObject actual(image, target, seed);
            SCOPED_TRACE(testing::Message() << "round " << round << " region " << region);
            ASSERT_EQ(actual.pixelCount, static_cast<int32_t>(expected.order.size()));
            EXPECT_EQ(actual.edgePoints, expected.outline);
            EXPECT_EQ(actual.targetFound, expected.targetFound);
            EXPECT_EQ(actual.minX, expected.minX);
            EXPECT_EQ(actual.maxX, expected.maxX);
            EXPECT_EQ(actual.minY, expected.minY);
            EXPECT_EQ(actual.maxY, expected.maxY);
            EXPECT_EQ(actual.leftmost, expected.leftmost);
            EXPECT_EQ(actual.rightmost, expected.rightmost);
            EXPECT_EQ(actual.topmost, expected.topmost);
            EXPECT_EQ(actual.bottommost, expected.bottommost);
            double sumX = 0, sumY = 0;
            for (const TVekPoint& p : expected.order) {
                sumX += p.x;
                sumY += p.y;
            }
            const double n = static_cast<double>(expected.order.size());
            EXPECT_EQ(actual.center, TVekPoint(sumX / n, sumY / n));
            EXPECT_EQ(actual.nearestToOrigin, expected.nearest);
            EXPECT_EQ(actual.farthestFromOrigin, expected.farthest);
            EXPECT_EQ(image.visitedMarks(), twin.visitedMarks());

            // The walker alone gives the same order, pixel by pixel.
            image.visitedMarks() = before;
            TVekAreaWalker walker(image, false, seed);
            std::vector<TVekPoint> order;
            while (auto point = walker.nextPoint()) order.push_back(*point);
            EXPECT_EQ(order, expected.order);
            EXPECT_EQ(image.visitedMarks(), twin.visitedMarks());
        }
    }
}

TEST(VectorizedImage, KeepsOnlyRegionsWithAnAxisLine) {
    TVekImage image = pictureWithDarkRect(60, 20, 10, 5, 40, 3);
    auto region = std::make_unique<TVekImageObject>(image, TVekPoint(10, 5));
    TVekVectorizedImage vectorized;
    auto unfitted = std::make_unique<TVekImageObject>(region->getCopy());
    EXPECT_FALSE(vectorized.addObject(std::move(unfitted)));
    region->fitAxes();
    EXPECT_TRUE(vectorized.addObject(std::move(region)));
    ASSERT_EQ(vectorized.getObjects().size(), 1u);
    ASSERT_EQ(vectorized.getLines().size(), 1u);
    EXPECT_EQ(vectorized.getLines()[0].y1, 6);
}

TVekPolygon square() {
    TVekPolygon polygon;
    polygon.addPoint(0, 0);
    polygon.addPoint(10, 0);
    polygon.addPoint(10, 10);
    polygon.addPoint(0, 10);
    return polygon;
}

TEST(Polygon, RayCastCountsLeftAndTopBoundsAsInside) {
    const TVekPolygon polygon = square();
    EXPECT_TRUE(polygon.contains2(5, 5));
    EXPECT_FALSE(polygon.contains2(10, 5));
    EXPECT_TRUE(polygon.contains2(0, 5));
    EXPECT_FALSE(polygon.contains2(5, 10));
    EXPECT_FALSE(polygon.contains2(-1, 5));
    EXPECT_TRUE(polygon.containsPoint(0, 0));
}

TEST(Polygon, BothTestsAgreeOnASlantedQuadrilateral) {
    TVekPolygon polygon;
    polygon.addPoint(10, 0);
    polygon.addPoint(30, 12);
    polygon.addPoint(18, 40);
    polygon.addPoint(0, 25);
    for (int y = -2; y <= 42; ++y)
        for (int x = -2; x <= 32; ++x) EXPECT_EQ(polygon.contains1(x, y), polygon.contains2(x, y)) << x << "," << y;
    EXPECT_TRUE(polygon.contains2(15, 20));
    EXPECT_FALSE(polygon.contains2(2, 2));
}

TEST(Polygon, DegeneratePolygonsContainNothing) {
    TVekPolygon empty;
    EXPECT_EQ(empty.calculateRect(), (TVekRect{999999, 999999, -999999, -999999}));
    EXPECT_FALSE(empty.contains2(0, 0));
    EXPECT_FALSE(empty.contains1(0, 0));
    TVekPolygon segment;
    segment.addPoint(0, 0);
    segment.addPoint(10, 10);
    EXPECT_FALSE(segment.contains2(5, 5));
    EXPECT_FALSE(segment.contains2(0, 0));
    EXPECT_EQ(square().calculateRect(), (TVekRect{0, 0, 10, 10}));
}

}  // namespace
}  // namespace orvel
