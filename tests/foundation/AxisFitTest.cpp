#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "foundation/VekImageObject.h"
#include "foundation/VekOutlineMoments.h"

namespace orvel {
namespace {

// The axis fit with one pass of sumSquaredDistances per outline point: the
// plain form of the choice fitAxes makes, to compare it with.
struct TPlainAxes {
    std::optional<TVekLine> axisLine, mainAxis;
};

TPlainAxes plainFit(const TVekImageObject& region) {
    const TVekPoint center = region.center;
    const auto upperHalf = [&](const TVekPoint& p) { return p.y <= center.y + 0.5; };
    const auto lowerHalf = [&](const TVekPoint& p) { return p.y >= center.y - 0.5; };
    const auto best = [&](const TVekPoint& origin, auto eligible) {
        const TVekPoint* chosen = nullptr;
        double smallest = -1;
        for (const TVekPoint& point : region.edgePoints) {
            if (!eligible(point)) continue;
            const double sum = region.sumSquaredDistances(TVekLine(origin, point), smallest);
            if (chosen == nullptr || sum < smallest) {
                chosen = &point;
                smallest = sum;
            }
        }
        return chosen;
    };
    TPlainAxes axes;
    const TVekPoint* upper = best(center, [&](const TVekPoint& p) { return p != center && upperHalf(p); });
    if (upper == nullptr) return axes;
    TVekPoint q = *upper;
    const double r0 = q.distanceTo(center);
    const TVekPoint* lower = best(q, [&](const TVekPoint& p) { return lowerHalf(p) && p.distanceTo(q) > r0; });
    TVekPoint p = lower != nullptr ? *lower : center;
    axes.axisLine = TVekLine(q, p);
    const auto farthestOnAxis = [&](const TVekPoint& from, const TVekPoint& start, auto half) {
        double farthest = -1;
        TVekPoint end = start;
        for (const TVekPoint& point : region.edgePoints) {
            if (!half(point) || axes.axisLine->distanceToPoint(point) > 1) continue;
            const double distance = point.distanceTo(from);
            if (distance > r0 && distance > farthest) {
                farthest = distance;
                end = point;
            }
        }
        return end;
    };
    p = farthestOnAxis(q, p, lowerHalf);
    q = farthestOnAxis(p, q, upperHalf);
    axes.mainAxis = TVekLine(q, p);
    return axes;
}

void expectSameLine(const std::optional<TVekLine>& actual, const std::optional<TVekLine>& expected) {
    ASSERT_EQ(actual.has_value(), expected.has_value());
    if (!expected) return;
    EXPECT_EQ(actual->x1, expected->x1);
    EXPECT_EQ(actual->y1, expected->y1);
    EXPECT_EQ(actual->x2, expected->x2);
    EXPECT_EQ(actual->y2, expected->y2);
}

// A dark bar (a thick segment) at any angle, or a blob grown at random, on
// a white picture; returns the seed of the shape.
TVekPoint drawBar(TVekImage& image, std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0, 1);
    const double cx = image.width / 2.0 + unit(random), cy = image.height / 2.0 + unit(random);
    const double angle = unit(random) * 3.14159265358979;
    const double length = 4 + unit(random) * 90, half = 0.4 + unit(random) * (unit(random) < 0.5 ? 1.5 : 8);
    const double ux = std::cos(angle), uy = std::sin(angle);
    TVekPoint seed(-1, -1);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const double along = (x - cx) * ux + (y - cy) * uy, across = -(x - cx) * uy + (y - cy) * ux;
            if (std::fabs(along) <= length / 2 && std::fabs(across) <= half) {
                image.setPixel(x, y, BLACK);
                if (seed.x < 0) seed = TVekPoint(x, y);
            }
        }
    return seed;
}

TVekPoint drawBlob(TVekImage& image, std::mt19937& random) {
    int x = image.width / 2, y = image.height / 2;
    const TVekPoint seed(x, y);
    std::uniform_int_distribution<int> step(-1, 1);
    const int steps = 20 + static_cast<int>(random() % 400);
    for (int k = 0; k < steps; ++k) {
        image.setPixel(x, y, BLACK);
        x = std::clamp(x + step(random), 1, image.width - 2);
        y = std::clamp(y + step(random), 1, image.height - 2);
    }
    return seed;
}

// Bars of every angle and thickness (ties of symmetric outlines included:
// upright bars, squares, one-pixel lines) and random blobs: the axes found
// through the moments are those a pass per outline point finds, exactly.
TEST(AxisFit, ChoosesTheSameAxesAsAPassPerOutlinePoint) {
    std::mt19937 random(2026);
    for (int trial = 0; trial < 400; ++trial) {
        TVekImage image(120, 120);
        const TVekPoint seed = trial % 4 == 3 ? drawBlob(image, random) : drawBar(image, random);
        if (seed.x < 0) continue;
        image.clearVisited();
        TVekImageObject region(image, seed);
        const TPlainAxes expected = plainFit(region);
        region.fitAxes();
        SCOPED_TRACE(trial);
        expectSameLine(region.axisLine, expected.axisLine);
        expectSameLine(region.mainAxis, expected.mainAxis);
    }
}

TEST(AxisFit, StraightRunsOfPixelsAndRectangles) {
    for (const auto& [width, height] : std::vector<std::pair<int, int>>{{200, 1}, {1, 150}, {2, 90}, {31, 31}, {40, 3}}) {
        TVekImage image(240, 240);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) image.setPixel(20 + x, 30 + y, BLACK);
        image.clearVisited();
        TVekImageObject region(image, TVekPoint(20, 30));
        const TPlainAxes expected = plainFit(region);
        region.fitAxes();
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        expectSameLine(region.axisLine, expected.axisLine);
        expectSameLine(region.mainAxis, expected.mainAxis);
    }
}

TEST(OutlineMoments, SumOfSquaredDistancesMatchesTheSumOverThePoints) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(0, 5000);
    std::vector<TVekPoint> points;
    for (int k = 0; k < 500; ++k) points.emplace_back(coordinate(random), coordinate(random));
    const TVekOutlineMoments moments(points);
    for (int k = 0; k < 20; ++k) {
        const TVekPoint origin(coordinate(random) + 0.25, coordinate(random) - 0.5);
        const double dx = coordinate(random) - 2500, dy = coordinate(random) - 2500;
        long double expected = 0;
        for (const TVekPoint& p : points) {
            const long double cross = (p.x - origin.x) * static_cast<long double>(dy) - (p.y - origin.y) * static_cast<long double>(dx);
            expected += cross * cross / (static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy);
        }
        EXPECT_NEAR(static_cast<double>(moments.sumSquaredDistances(origin, dx, dy)), static_cast<double>(expected),
                    1e-9 * static_cast<double>(expected) + 1e-6);
        EXPECT_GE(moments.ambiguityLimit(origin, expected), expected);
    }
}

}  // namespace
}  // namespace orvel
