// The parts the PDF417 family's photo readers share: what they keep of
// their reads (TVekPDF417Finds), the bars' direction that picks the
// MicroPDF417 reader's turned looks, the turned picture, and the width
// checks that come before MicroPDF417 row edges are read.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "pdf417/VekBarDirection.h"
#include "pdf417/VekMicroPDF417Layout.h"
#include "pdf417/VekMicroPDF417RapReader.h"
#include "pdf417/VekPDF417CharacterReader.h"
#include "pdf417/VekPDF417EdgeList.h"
#include "pdf417/VekPDF417Finds.h"
#include "pdf417/VekTurnedGreyImage.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

constexpr double PI = 3.14159265358979323846;

TVekBarcode symbolAt(double left, double top, double side, const std::string& bytes, bool valid = true) {
    TVekBarcode barcode;
    barcode.bytes = bytes;
    barcode.isValid = valid;
    barcode.position = {TVekPointF{left, top}, {left + side, top}, {left + side, top + side}, {left, top + side}};
    return barcode;
}

// A symbol read twice at one place is kept once, one read elsewhere or
// with other content again; reads on a picture twice the size come back
// halved; failures inside a decoded symbol are dropped, others kept when
// asked for.
TEST(PDF417Finds, KeepsEachSymbolOnceAndFailuresApart) {
    TVekPDF417Finds finds("PDF417", 0, nullptr);
    finds.add(symbolAt(10, 10, 50, "one"), 1);
    finds.add(symbolAt(24, 20, 40, "one"), 2);  // (12, 10) to (32, 30) at the picture's size: inside
    finds.add(symbolAt(12, 12, 40, "other"), 1);
    finds.add(symbolAt(200, 200, 40, "one"), 1);
    finds.add(symbolAt(20, 20, 10, "", false), 1);
    finds.add(symbolAt(400, 400, 10, "", false), 1);
    EXPECT_EQ(finds.size(), 3u);
    EXPECT_TRUE(finds.covers({30, 30}));
    EXPECT_FALSE(finds.covers({100, 100}));
    EXPECT_TRUE(finds.covers({62, 30}, 3));
    EXPECT_FALSE(finds.covers({62, 30}));

    const TVekBarcodes withFailures = finds.take(true);
    ASSERT_EQ(withFailures.size(), 4u);
    EXPECT_FALSE(withFailures.back().isValid);
    EXPECT_NEAR(withFailures.back().position[0].x, 400, 1e-9);
    EXPECT_TRUE(finds.empty());
    EXPECT_TRUE(finds.take(true).empty());

    TVekPDF417Finds scaled("MicroPDF417", 1, nullptr);
    EXPECT_FALSE(scaled.enough());
    scaled.add(symbolAt(40, 60, 20, "x", false), 2);
    EXPECT_FALSE(scaled.enough());
    scaled.add(symbolAt(40, 60, 20, "x"), 2);
    EXPECT_TRUE(scaled.enough());
    const TVekBarcodes found = scaled.take(false);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].position[2].x, 30, 1e-9);
    EXPECT_NEAR(found[0].position[2].y, 40, 1e-9);
}

// Bars of random widths turned by `degrees` (their rows' direction), in
// rows three modules high, each with bars of its own: the edges across the
// bars that a stacked symbol's rows make.
TVekGreyImage turnedBars(double degrees, double module, std::mt19937& random) {
    constexpr int32_t SIDE = 160;
    std::uniform_int_distribution<int> width(1, 4);
    std::vector<int> runs;  // module widths, alternately dark and light
    for (int total = 0; total < 800; total += runs.back()) runs.push_back(width(random));
    std::uniform_int_distribution<int> along(0, 500);
    std::vector<int> shifts(100);
    for (int& shift : shifts) shift = along(random);
    std::vector<uint8_t> pixels(SIDE * SIDE);
    const double c = std::cos(degrees * PI / 180);
    const double s = std::sin(degrees * PI / 180);
    for (int32_t y = 0; y < SIDE; ++y) {
        for (int32_t x = 0; x < SIDE; ++x) {
            // Along the rows and across them, in modules.
            const double u = ((x - SIDE / 2) * c + (y - SIDE / 2) * s) / module + 100;
            const double v = (-(x - SIDE / 2) * s + (y - SIDE / 2) * c) / module + 100;
            int at = static_cast<int>(u) + shifts[static_cast<size_t>(v / 3)];  // each row its own bars
            size_t run = 0;
            for (; run < runs.size() && at >= runs[run]; ++run) at -= runs[run];
            pixels[static_cast<size_t>(y) * SIDE + x] = run % 2 == 0 ? 30 : 220;
        }
    }
    return TVekGreyImage::fromPixels(std::move(pixels), SIDE, SIDE);
}

// The direction across bars at every angle, within the turned looks'
// tolerance and a few degrees on average though the rows' edges cross
// them; none on a flat picture or on noise.
TEST(BarDirection, FindsTheDirectionAcrossBars) {
    std::mt19937 random(417);
    double missed = 0;
    int measured = 0;
    for (double degrees = 0; degrees < 180; degrees += 7.5) {
        for (const double module : {2.0, 3.5}) {
            const TVekGreyImage bars = test::withNoise(turnedBars(degrees, module, random), 4, random);
            const std::optional<double> across = TVekBarDirection::around(bars, {80, 80}, 24);
            ASSERT_TRUE(across.has_value()) << degrees;
            EXPECT_LT(TVekBarDirection::between(*across, degrees), 15) << degrees << " read " << *across;
            missed += TVekBarDirection::between(*across, degrees);
            ++measured;
        }
    }
    EXPECT_LT(missed / measured, 5);
    EXPECT_FALSE(TVekBarDirection::around(TVekGreyImage(100, 100, 128), {50, 50}, 20).has_value());
    const TVekGreyImage noise = test::withNoise(TVekGreyImage(100, 100, 128), 40, random);
    EXPECT_FALSE(TVekBarDirection::around(noise, {50, 50}, 20).has_value());
    // Clipped to the picture at its corner, and beyond it.
    EXPECT_TRUE(TVekBarDirection::around(turnedBars(30, 3, random), {2, 2}, 24).has_value());
    EXPECT_FALSE(TVekBarDirection::around(turnedBars(30, 3, random), {-100, -100}, 24).has_value());
    EXPECT_DOUBLE_EQ(TVekBarDirection::between(175, 5), 10);
    EXPECT_DOUBLE_EQ(TVekBarDirection::between(10, 100), 90);
}

// The turned picture's drawn rows hold the bilinear levels of the
// original, to a level, and its points map back.
TEST(TurnedGreyImage, DrawnRowsFollowTheOriginal) {
    std::mt19937 random(3);
    const TVekGreyImage original = test::withNoise(TVekGreyImage(90, 70, 128), 60, random);
    for (const double degrees : {30.0, 60.0, 120.0, 150.0}) {
        const TVekTurnedGreyImage turned(original, degrees, 1, 3);
        const TVekGreyImage& grey = turned.grey();
        int compared = 0;
        double missed = 0;
        for (int32_t y = 1; y < grey.height(); y += 3) {
            for (int32_t x = 0; x < grey.width(); ++x) {
                const TVekPointF p = turned.toOriginal({x + 0.5, y + 0.5});
                const double fx = p.x - 0.5, fy = p.y - 0.5;
                const bool within = fx >= 0.01 && fy >= 0.01 && fx < original.width() - 1.01 &&
                                    fy < original.height() - 1.01;
                if (!within) continue;
                const auto x0 = static_cast<int32_t>(fx), y0 = static_cast<int32_t>(fy);
                const double ax = fx - x0, ay = fy - y0;
                const double upper = original.get(x0, y0) * (1 - ax) + original.get(x0 + 1, y0) * ax;
                const double lower = original.get(x0, y0 + 1) * (1 - ax) + original.get(x0 + 1, y0 + 1) * ax;
                // Truncated: up to a level below.
                const double level = upper + (lower - upper) * ay;
                EXPECT_NEAR(grey.get(x, y), level - 0.5, 0.52) << degrees << " " << x << "," << y;
                missed += level - grey.get(x, y);
                ++compared;
            }
        }
        EXPECT_GT(compared, 1000) << degrees;
        EXPECT_NEAR(missed / compared, 0.5, 0.1) << degrees;
        EXPECT_EQ(grey.get(0, 0), 255);  // beyond the picture, and a row not drawn
    }
}

// The row edges a line's edges give, read the plain way: every left and
// right RAP read and judged, nothing checked ahead.
std::vector<TVekPDF417Guard> rowEdgesReadPlainly(const TVekPDF417EdgeList& edges) {
    using TLayout = TVekMicroPDF417Layout;
    std::vector<TVekPDF417Guard> guards;
    const auto similar = [](double a, double b) { return a < 1.35 * b && b < 1.35 * a; };
    for (int32_t i = 0; i + 14 < edges.size(); ++i) {
        if (!edges[i].darkAfter) continue;
        const TVekMicroPDF417Rap left = TVekMicroPDF417RapReader::readAt(edges, i);
        const TVekPDF417Character next = TVekPDF417CharacterReader::readAt(edges, i + 6);
        if (left.valid() && !left.centre && next.valid() &&
            similar((left.end - left.start) / 10, (next.end - next.start) / 17)) {
            const double module = (next.end - left.start) / 27;
            if (i == 0 || left.start - edges[i - 1].position >= 1.5 * module) {
                guards.push_back({true, left.start, module});
            }
        }
        if (i + 15 >= edges.size()) continue;
        const TVekMicroPDF417Rap right = TVekMicroPDF417RapReader::readAt(edges, i + 8);
        const TVekPDF417Character before = TVekPDF417CharacterReader::readAt(edges, i);
        if (!right.valid() || right.centre || !before.valid()) continue;
        const double module = (right.end - before.start) / 27;
        const double bar = edges[i + 15].position - edges[i + 14].position;
        const bool quiet = i + 16 >= edges.size() || edges[i + 16].position - edges[i + 15].position >= 1.5 * module;
        if (similar((right.end - right.start) / 10, module) && bar >= 0.3 * module && bar <= 2.2 * module && quiet) {
            guards.push_back({false, edges[i + 15].position, module});
        }
    }
    return guards;
}

// The width checks ahead of reading change no row edge found: zint's
// MicroPDF417 rows, whole and cut, at uneven module widths with their
// quiet zones narrowed or kept, and random bars, give the same edges.
TEST(MicroPDF417RowEdges, WidthChecksKeepEveryEdge) {
    ASSERT_TRUE(test::haveZint());
    std::mt19937 random(52);
    std::vector<std::vector<int>> rows;
    for (const char* columns : {"1", "2", "3", "4"}) {
        const std::string arguments = std::string("-b MICROPDF417 --cols=") + columns + " -d 'row edges 0123'";
        for (const auto& row : test::zintDump(arguments)) rows.push_back(row);
    }
    std::uniform_int_distribution<int> width(1, 6);
    for (int k = 0; k < 40; ++k) {
        std::vector<int> bars;
        for (int colour = 1; bars.size() < 120; colour ^= 1) {
            bars.insert(bars.end(), static_cast<size_t>(width(random)), colour);
        }
        rows.push_back(bars);
    }
    std::uniform_real_distribution<double> module(1.6, 4.0);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    std::uniform_int_distribution<int> quiet(1, 3);
    int found = 0;
    for (const auto& row : rows) {
        for (int trial = 0; trial < 4; ++trial) {
            const double pixels = module(random);
            std::vector<float> levels;
            const int margin = quiet(random);
            const auto light = [&](int count) {
                levels.insert(levels.end(), static_cast<size_t>(count * pixels), 230);
            };
            light(margin);
            for (const int dark : row) {
                const double w = pixels * (1 + 0.2 * jitter(random));
                const auto samples = static_cast<size_t>(std::max(1.0, w + jitter(random)));
                levels.insert(levels.end(), samples, dark ? 25.0f : 230.0f);
            }
            light(margin);
            TVekPDF417EdgeList edges;
            edges.find(levels.data(), static_cast<int32_t>(levels.size()), 0, 1);
            std::vector<TVekPDF417Guard> guards;
            TVekMicroPDF417RapReader::findGuards(edges, guards);
            const std::vector<TVekPDF417Guard> plain = rowEdgesReadPlainly(edges);
            ASSERT_EQ(guards.size(), plain.size());
            for (size_t g = 0; g < guards.size(); ++g) {
                EXPECT_EQ(guards[g].isStart, plain[g].isStart);
                EXPECT_DOUBLE_EQ(guards[g].outerEdge, plain[g].outerEdge);
                EXPECT_DOUBLE_EQ(guards[g].module, plain[g].module);
            }
            found += static_cast<int>(guards.size());
        }
    }
    EXPECT_GT(found, 40);  // the symbols' rows show their edges
}

}  // namespace
}  // namespace orvel
