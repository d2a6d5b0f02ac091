// Points, lines and the number and text routines every reader relies on.
#include <gtest/gtest.h>

#include <climits>

#include "foundation/VekException.h"
#include "foundation/VekLine.h"
#include "foundation/VekPoint.h"
#include "foundation/VekUtil.h"

namespace orvel {
namespace {

TEST(RoundingTest, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(vekRound(2.5), 2.0);
    EXPECT_EQ(vekRound(3.5), 4.0);
    EXPECT_EQ(vekRound(-2.5), -2.0);
    EXPECT_EQ(vekRoundInt(0.5), 0);
    EXPECT_EQ(vekRoundInt(1.5), 2);
    EXPECT_EQ(vekTrunc(-1.9), -1);
    EXPECT_EQ(vekTrunc(1.9), 1);
    // Wild values saturate instead of overflowing.
    EXPECT_EQ(vekRoundInt(1e300), INT32_MAX);
    EXPECT_EQ(vekRoundInt(-1e300), INT32_MIN);
}

TEST(PointTest, KeepsCoordinatesOnAThousandthGrid) {
    const TVekPoint point(1.23456, -0.0004);
    EXPECT_EQ(point.x, 1.235);
    EXPECT_EQ(point.y, 0.0);
    // 0.0025 × 1000 lies on a tie and rounds to the even 2.
    EXPECT_EQ(TVekPoint(0.0025, 0).x, 0.002);
}

TEST(PointTest, PointAtRoundsToWholePixelsAndFoldsTheAngle) {
    EXPECT_EQ(TVekPoint::pointAt(10, 10, 90, 5), TVekPoint(10, 15));
    EXPECT_EQ(TVekPoint::pointAt(10, 10, 450, 5), TVekPoint(10, 15));
    EXPECT_EQ(TVekPoint::pointAt(10, 10, -450, 5), TVekPoint(10, 5));
    EXPECT_EQ(TVekPoint::pointAt(0, 0, 0, 2.5), TVekPoint(2, 0));
}

TEST(LineTest, AnglesCoverMinus90To270) {
    EXPECT_DOUBLE_EQ(TVekLine(0, 0, 1, -1).angle, -45);
    EXPECT_DOUBLE_EQ(TVekLine(0, 0, -1, -1).angle, 225);
    EXPECT_DOUBLE_EQ(TVekLine(0, 0, -1, 1).angle, 135);
    EXPECT_DOUBLE_EQ(TVekLine(0, 0, 1, 1).angle, 45);
    EXPECT_EQ(TVekLine(0, 0, 5, 0).angle, 0);
    EXPECT_EQ(TVekLine(0, 0, -5, 0).angle, 180);

    const TVekLine up(0, 0, 0, -5);
    EXPECT_EQ(up.angle, 270);
    EXPECT_EQ(up.length, 5);
    const TVekLine dot(3, 3, 3, 3);
    EXPECT_EQ(dot.angle, 90);
    EXPECT_EQ(dot.length, 0);
}

TEST(LineTest, EquationAndDerivedFields) {
    const TVekLine line(1, 2, 4, 6);
    EXPECT_EQ(line.a, 4);
    EXPECT_EQ(line.b, -3);
    EXPECT_EQ(line.c, 3 * 2 + (2 - 6) * 1);
    EXPECT_EQ(line.length, 5);
    EXPECT_DOUBLE_EQ(line.slope, 4.0 / 3.0);
    EXPECT_EQ(TVekLine(0, 0, 0, 7).slope, 0);
    EXPECT_FALSE(line.used);
    EXPECT_EQ(line.getCenter(), TVekPoint(2.5, 4));
    EXPECT_EQ(line.getPointAt(10), TVekPoint(7, 10));  // extrapolates beyond the end
    EXPECT_DOUBLE_EQ(TVekLine(0, 0, 10, 0).distanceTo(3, -4), 4);
}

TEST(LineTest, IntersectOfCrossingAndParallelLines) {
    EXPECT_EQ(TVekLine(0, 0, 2, 2).intersect(TVekLine(0, 2, 2, 0)), TVekPoint(1, 1));
    // Parallel, identical and degenerate lines give (0, 0) and raise nothing.
    EXPECT_EQ(TVekLine(0, 1, 5, 1).intersect(TVekLine(0, 3, 5, 3)), TVekPoint(0, 0));
    EXPECT_EQ(TVekLine(0, 1, 5, 1).intersect(TVekLine(0, 1, 5, 1)), TVekPoint(0, 0));
    EXPECT_EQ(TVekLine(2, 2, 2, 2).intersect(TVekLine(0, 3, 5, 3)), TVekPoint(0, 0));
}

TEST(LineTest, SidePointsAndPerpendiculars) {
    const TVekLine line(0, 0, 10, 0);
    EXPECT_EQ(line.getSidePoint(true, 0, 0, 10), TVekPoint(0, 10));
    EXPECT_EQ(line.getSidePoint(false, 0, 0, 10), TVekPoint(0, -10));  // 0 - 90 + 360 = 270

    // Direction 270 + 90 wraps to 0.
    EXPECT_EQ(TVekLine(0, 0, 0, -10).getSidePoint(true, 0, 0, 3), TVekPoint(3, 0));

    const TVekLine perpendicular = line.getPerpendicular(7.9);
    EXPECT_EQ(perpendicular.getStart(), TVekPoint(5, 0));
    EXPECT_EQ(perpendicular.getEnd(), TVekPoint(5, 7));  // truncated, not rounded
    const TVekLine opposite = line.getOppositePerpendicularAt(TVekPoint(2.5, 1), 4);
    EXPECT_EQ(opposite.getStart(), TVekPoint(2.5, 1));
    EXPECT_EQ(opposite.getEnd(), TVekPoint(2, -3));
    EXPECT_EQ(line.getBisector().getEnd(), TVekPoint(5, 500));
}

TEST(LineTest, IsBesideMeasuresFromTheBisector) {
    const TVekLine bar(0, 0, 0, 20);          // bisector is the horizontal through y = 10
    const TVekLine neighbour(5, 2, 5, 20);    // centre (5, 11): 1 from the bisector
    EXPECT_TRUE(bar.isBeside(neighbour, 0.1));     // 1 < 18 × 0.1
    EXPECT_FALSE(bar.isBeside(neighbour, 0.05));   // 1 ≥ 18 × 0.05
}

TEST(UtilTest, FloatToStrUsesTheFixedWidthScientificForm) {
    EXPECT_EQ(floatToStr(1.5), " 1.50000000000000E+0000");
    EXPECT_EQ(floatToStr(0), " 0.00000000000000E+0000");
    EXPECT_EQ(floatToStr(-0.00125), "-1.25000000000000E-0003");
    EXPECT_EQ(floatToStr(123456.0), " 1.23456000000000E+0005");
    EXPECT_EQ(floatToStr(1.5).size(), 23u);
    EXPECT_EQ(TVekLine(0, 1, 2, 3).toString(),
              " 0.00000000000000E+0000 ,  1.00000000000000E+0000 -  2.00000000000000E+0000 ,  "
              "3.00000000000000E+0000");
}

TEST(UtilTest, ParseIntAcceptsOnlyDecimalIntegers) {
    EXPECT_EQ(parseInt("0042"), 42);
    EXPECT_EQ(parseInt("-17"), -17);
    EXPECT_EQ(parseInt("2147483647"), INT32_MAX);
    EXPECT_EQ(parseInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", "-", "12a", "1.5", "2147483648", "99999999999999999999"}) {
        try {
            parseInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const TVekConvertError& error) {
            EXPECT_EQ(std::string(error.what()), std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

TEST(UtilTest, IntAndByteTexts) {
    EXPECT_EQ(intToStr(-305), "-305");
    EXPECT_EQ(intToStr(0), "0");
    EXPECT_EQ(bytesToString(std::vector<uint8_t>{0}), " 0");
    EXPECT_EQ(bytesToString(std::vector<uint8_t>{1, 20}), " 1 20");
    EXPECT_EQ(bytesToString(std::vector<uint8_t>{}), "");
    EXPECT_EQ(currentTimeMillis(), 0);
}

TEST(UtilTest, ArrayCopyRunsInIncreasingOrderAndChecksRanges) {
    TVectorInteger values{1, 2, 3, 4, 5};
    // Copying a range onto itself shifted right repeats the first element,
    // because the copy runs in increasing positions.
    arrayCopy(values, 0, values, 1, 3);
    EXPECT_EQ(values, (TVectorInteger{1, 1, 1, 1, 5}));
    TVectorInteger target(2, 0);
    arrayCopy(values, 0, target, 0, 0);
    arrayCopy(values, 4, target, 0, -3);
    EXPECT_EQ(target, (TVectorInteger{0, 0}));
    EXPECT_THROW(arrayCopy(values, 4, target, 0, 2), std::out_of_range);
    EXPECT_THROW(arrayCopy(values, 0, target, 1, 2), std::out_of_range);
    EXPECT_THROW(arrayCopy(values, -1, target, 0, 1), std::out_of_range);
}

TEST(UtilTest, DebugSinkObservesTexts) {
    std::string seen;
    setDebugSink([&seen](const std::string& text) { seen += text; });
    debugWrite("abc");
    setDebugSink(nullptr);
    debugWrite("lost");
    EXPECT_EQ(seen, "abc");
}

}  // namespace
}  // namespace orvel
