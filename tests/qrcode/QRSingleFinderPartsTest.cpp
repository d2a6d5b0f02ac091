// The pieces the one-finder symbols (Micro QR, rMQR) are located with: the
// perspective fitted to many points, the finder's outer square, the timing
// follower, and the format words of both symbologies.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <random>
#include <vector>

#include "foundation/VekBitMatrix.h"
#include "qrcode/VekHomographyFit.h"
#include "qrcode/VekMicroQRTables.h"
#include "qrcode/VekQRFinderQuad.h"
#include "qrcode/VekQRTimingFollower.h"
#include "qrcode/VekRMQRTables.h"

using namespace orvel;

namespace {

// A camera-like map: a quadrilateral of the module square (0 ... size).
TVekPerspectiveTransform someView(double size) {
    const TVekPerspectiveTransform::TQuad square{TVekPointF{0, 0}, TVekPointF{size, 0}, TVekPointF{size, size},
                                                 TVekPointF{0, size}};
    const TVekPerspectiveTransform::TQuad picture{TVekPointF{40, 30}, TVekPointF{150, 45}, TVekPointF{160, 170},
                                                  TVekPointF{25, 140}};
    return *TVekPerspectiveTransform::quadToQuad(square, picture);
}

// Draws modules (1 dark) through the map into a picture, each pixel the
// module its centre falls in.
TVekBitMatrix draw(const std::vector<std::vector<int>>& modules, const TVekPerspectiveTransform& moduleToPicture,
                   int32_t width, int32_t height) {
    const auto toModule = *moduleToPicture.inverted();
    TVekBitMatrix bits(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const TVekPointF m = toModule.map({x + 0.5, y + 0.5});
            const auto c = static_cast<int32_t>(std::floor(m.x)), r = static_cast<int32_t>(std::floor(m.y));
            const bool inside = r >= 0 && c >= 0 && r < static_cast<int32_t>(modules.size()) &&
                                c < static_cast<int32_t>(modules[0].size());
            bits.set(x, y, inside && modules[r][c] != 0);
        }
    return bits;
}

// A finder (7 x 7) at the top-left of an otherwise light field, with a
// timing pattern along its top row to column `timingEnd`.
std::vector<std::vector<int>> finderWithTiming(int size, int timingEnd) {
    std::vector<std::vector<int>> m(static_cast<size_t>(size), std::vector<int>(static_cast<size_t>(size), 0));
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c)
            m[r][c] = (r == 0 || r == 6 || c == 0 || c == 6 || (r >= 2 && r <= 4 && c >= 2 && c <= 4)) ? 1 : 0;
    for (int c = 8; c <= timingEnd; c += 2) m[0][c] = 1;
    return m;
}

}  // namespace

TEST(HomographyFitTest, RecoversAPerspectiveFromManyPointsAndRefusesTooFew) {
    const TVekPerspectiveTransform truth = someView(17);
    std::vector<TVekPointMatch> matches;
    for (const TVekPointF m : {TVekPointF{0, 0}, TVekPointF{7, 0}, TVekPointF{7, 7}, TVekPointF{0, 7},
                               TVekPointF{12.5, 0.5}, TVekPointF{16.5, 0.5}, TVekPointF{0.5, 14.5}})
        matches.push_back({m, truth.map(m)});
    const auto fitted = TVekHomographyFit::fit(matches, 17, 17);
    ASSERT_TRUE(fitted.has_value());
    for (const TVekPointF m : {TVekPointF{17, 17}, TVekPointF{3, 12}, TVekPointF{15, 2}})
        EXPECT_LT(distance(fitted->map(m), truth.map(m)), 1e-6);
    matches.resize(3);
    EXPECT_FALSE(TVekHomographyFit::fit(matches, 17, 17).has_value());
    // Points on one line leave the perspective open.
    std::vector<TVekPointMatch> line;
    for (int i = 0; i < 6; ++i) line.push_back({{static_cast<double>(i), 0}, {10.0 * i, 5}});
    EXPECT_FALSE(TVekHomographyFit::fit(line, 17, 17).has_value());
}

TEST(QRFinderQuadTest, FindsTheOuterSquareOfATiltedFinder) {
    const TVekPerspectiveTransform view = someView(17);
    const TVekBitMatrix bits = draw(finderWithTiming(17, 16), view, 200, 200);
    const auto quad = TVekQRFinderQuad::find(bits, view.map({3.5, 3.5}), 6.5);
    ASSERT_TRUE(quad.has_value());
    // Each true corner of the finder is one of the four, within a pixel.
    for (const TVekPointF corner : {TVekPointF{0, 0}, TVekPointF{7, 0}, TVekPointF{7, 7}, TVekPointF{0, 7}}) {
        double nearest = 1e9;
        for (const auto& p : *quad) nearest = std::min(nearest, distance(p, view.map(corner)));
        EXPECT_LT(nearest, 1.0);
    }
    // Clockwise on the screen.
    EXPECT_GT(cross((*quad)[1] - (*quad)[0], (*quad)[2] - (*quad)[1]), 0);
    // No ring round the centre: none.
    EXPECT_FALSE(TVekQRFinderQuad::find(TVekBitMatrix(50, 50), {25, 25}, 3).has_value());
}

TEST(QRTimingFollowerTest, FollowsToTheLastDarkModuleAndStopsAtARun) {
    const TVekPerspectiveTransform view = someView(17);
    const TVekBitMatrix bits = draw(finderWithTiming(17, 14), view, 200, 200);
    const auto top = TVekQRTimingFollower::follow(bits, view, {{0, 0}, {1, 0}, {0, 1}}, 8, 10);
    ASSERT_EQ(top.size(), 4u);  // columns 8, 10, 12, 14
    for (const auto& m : top) EXPECT_LT(distance(m.picture, view.map(m.module)), 1.5);
    // Two dark modules side by side end the pattern: it is no timing pattern.
    auto joined = finderWithTiming(17, 14);
    joined[0][11] = 1;
    EXPECT_EQ(TVekQRTimingFollower::follow(draw(joined, view, 200, 200), view, {{0, 0}, {1, 0}, {0, 1}}, 8, 10).size(),
              1u);
}

TEST(QRFormatWordsTest, EveryWordReadsBackAndThreeWrongBitsAreCorrected) {
    std::mt19937 random(3);
    for (int32_t value = 0; value < 32; ++value) {
        const uint32_t word = microQRFormatBits(value / 4, value % 4);
        EXPECT_EQ(microQRReadFormat(word), value);
        uint32_t damaged = word;
        for (int k = 0; k < 3; ++k) damaged ^= 1u << (random() % 15);
        if (std::popcount(damaged ^ word) <= 3) {
            EXPECT_EQ(microQRReadFormat(damaged), value);
        }
    }
    for (int32_t version = 0; version < kRMQRVersions; ++version)
        for (const bool h : {false, true})
            for (const bool side : {false, true}) {
                const auto read = rmqrReadFormat(rmqrFormatBits(version, h, side) ^ 0b10010001u, side);
                ASSERT_TRUE(read.has_value());
                EXPECT_EQ(read->version, version);
                EXPECT_EQ(read->levelIsH, h);
                EXPECT_EQ(read->errors, 3);
            }
    // The two sides' masks differ: one side's word is no word of the other.
    EXPECT_FALSE(rmqrReadFormat(rmqrFormatBits(4, false, false), true).has_value());
}
