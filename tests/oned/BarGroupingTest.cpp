#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "oned/VekBarcode1DFinder.h"
#include "oned/VekPAVectorizer.h"

namespace orvel {
namespace {

// Bars of random length, thickness and tilt scattered over a picture, some
// in rows as on a symbol, some alone, so that groups form, split, and
// regions are near or aligned with some members only.
TVekImage scatteredBars(std::mt19937& random) {
    TVekImage image(400, 300);
    std::uniform_real_distribution<double> unit(0, 1);
    const auto bar = [&](double cx, double cy, double angle, double length, double half) {
        const double ux = std::cos(angle), uy = std::sin(angle);
        for (int y = std::max(0, static_cast<int>(cy - length)); y < std::min(300, static_cast<int>(cy + length)); ++y)
            for (int x = std::max(0, static_cast<int>(cx - length)); x < std::min(400, static_cast<int>(cx + length)); ++x) {
                const double along = (x - cx) * ux + (y - cy) * uy, across = -(x - cx) * uy + (y - cy) * ux;
                if (std::fabs(along) <= length / 2 && std::fabs(across) <= half) image.setPixel(x, y, BLACK);
            }
    };
    for (int row = 0; row < 4; ++row) {
        const double angle = 1.5708 + (unit(random) - 0.5) * 0.15, length = 20 + unit(random) * 50;
        double x = 10 + unit(random) * 150;
        const double y = 40 + row * 70 + unit(random) * 10;
        for (int k = 0; k < 8 + static_cast<int>(unit(random) * 10) && x < 390; ++k) {
            bar(x, y + (unit(random) - 0.5) * 6, angle + (unit(random) - 0.5) * 0.06, length * (0.8 + 0.4 * unit(random)),
                0.5 + unit(random) * 2);
            x += 4 + unit(random) * (unit(random) < 0.1 ? 40 : 8);
        }
    }
    for (int k = 0; k < 25; ++k)
        bar(unit(random) * 400, unit(random) * 300, unit(random) * 3.1416, 10 + unit(random) * 60, 0.5 + unit(random) * 2);
    image.clearVisited();
    return image;
}

std::string describe(const std::vector<TVekBarcode1DObject>& candidates) {
    std::string text;
    for (const TVekBarcode1DObject& candidate : candidates) {
        for (const auto& bar : candidate.bars)
            text += std::to_string(bar->center.x) + "," + std::to_string(bar->center.y) + " ";
        text += "| ";
    }
    return text;
}

// The candidates found through the grid of region centres are those of the
// pass per group over every region, bar for bar and in the same order.
TEST(BarGrouping, GridFindsTheSameGroupsAsAPassOverEveryRegion) {
    std::mt19937 random(21);
    for (int trial = 0; trial < 40; ++trial) {
        for (const bool anyDistance : {false, true}) {
            TVekImage image = scatteredBars(random);
            TVekBarcode1DFinder finder;
            finder.debug = false;
            finder.minBars = 3;
            TVekVectorizedImage fast = TVekPAVectorizer().vectorize(image);
            const std::string found = describe(finder.findCandidates(fast, image, anyDistance));

            image.clearVisited();
            TVekVectorizedImage plain = TVekPAVectorizer().vectorize(image);
            std::vector<TVekBarcode1DObject> expected;
            TVekBarList& regions = plain.getObjects();
            while (!regions.empty()) {
                TVekBarList group = finder.collectAlignedBars(regions, anyDistance);
                if (group.empty()) continue;
                TVekBarList sorted = finder.sortBars(std::move(group));
                TVekBarcode1DFinder::computeGaps(sorted);
                if (static_cast<int32_t>(sorted.size()) > finder.minBars)
                    for (TVekBarList& bars : finder.splitByGaps(sorted)) expected.emplace_back(std::move(bars));
            }
            EXPECT_EQ(found, describe(expected)) << "trial " << trial << " anyDistance " << anyDistance;
            EXPECT_FALSE(found.empty() && trial % 10 == 0) << "no candidate at all in trial " << trial;
        }
    }
}

}  // namespace
}  // namespace orvel
