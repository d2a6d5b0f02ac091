#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "foundation/VekLineFit.h"

namespace orvel {
namespace {

// Points scattered about a line at any angle, steep ones included, fit back
// to that line; too few or identical points give no direction worth having.
TEST(LineFit, RecoversLinesAtEveryAngleAndRefusesTooFewPoints) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 0.2);
    for (int degrees = 0; degrees < 180; degrees += 15) {
        const double angle = degrees * 3.14159265358979323846 / 180;
        const TVekPointF direction{std::cos(angle), std::sin(angle)};
        std::vector<TVekPointF> points;
        for (int i = -20; i <= 20; ++i)
            points.push_back(TVekPointF{50, 30} + static_cast<double>(i) * direction + TVekPointF{noise(random), noise(random)});
        const auto fit = TVekLineFit::of(points);
        ASSERT_TRUE(fit) << degrees;
        EXPECT_NEAR(std::abs(fit->direction.x * direction.x + fit->direction.y * direction.y), 1.0, 1e-3) << degrees;
        EXPECT_NEAR(fit->point.x, 50, 0.2) << degrees;
        EXPECT_NEAR(fit->point.y, 30, 0.2) << degrees;
    }
    EXPECT_FALSE(TVekLineFit::of(std::vector<TVekPointF>{{1, 1}}));
    const auto same = TVekLineFit::of(std::vector<TVekPointF>{{1, 1}, {1, 1}});
    ASSERT_TRUE(same);
    EXPECT_EQ(same->spread, 0.0);
}

}  // namespace
}  // namespace orvel
