#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "datamatrix/VekDatamatrixGreyGrid.h"
#include "datamatrix/VekDatamatrixPhotoReader.h"
#include "DatamatrixTestHelpers.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::TModuleMatrix;

constexpr double PI = 3.14159265358979323846;

// A label wrapped round a bottle: the symbol (with two modules of margin)
// spans `halfAngle` either side of the cylinder's front, seen from slightly
// above so that its top and bottom edges bow by `bow` pixels at the sides;
// rows are `rowPixels` high and columns narrow towards the sides. Ink
// spreads `spread` modules round every dark module.
TVekGreyImage renderOnCylinder(const TModuleMatrix& modules, double radius, double halfAngle, double rowPixels,
                               double bow, double spread) {
    const int quiet = 2;
    const int cols = static_cast<int>(modules[0].size()) + 2 * quiet;
    const int rows = static_cast<int>(modules.size()) + 2 * quiet;
    const int32_t width = static_cast<int32_t>(2 * radius * std::sin(halfAngle)) + 40;
    const int32_t height = static_cast<int32_t>(rows * rowPixels + bow) + 40;
    const double centreX = width / 2.0;
    const double top = 20;
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height), 235);
    constexpr int SUB = 4;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int sum = 0;
            for (int sy = 0; sy < SUB; ++sy) {
                for (int sx = 0; sx < SUB; ++sx) {
                    const double px = x + (sx + 0.5) / SUB - centreX;
                    const double py = y + (sy + 0.5) / SUB - top;
                    if (std::abs(px) >= radius) {
                        sum += 235;
                        continue;
                    }
                    const double angle = std::asin(px / radius);
                    const double u = (angle + halfAngle) / (2 * halfAngle) * cols - quiet;
                    const double drop = bow * (1 - std::cos(angle)) / (1 - std::cos(halfAngle));
                    const double v = (py - drop) / rowPixels - quiet;
                    bool dark = false;
                    for (const double du : {-spread, spread}) {
                        for (const double dv : {-spread, spread}) {
                            const int c = static_cast<int>(std::floor(u + du));
                            const int r = static_cast<int>(std::floor(v + dv));
                            dark = dark || (c >= 0 && r >= 0 && r < static_cast<int>(modules.size()) &&
                                            c < static_cast<int>(modules[0].size()) && modules[r][c] != 0);
                        }
                    }
                    sum += dark ? 30 : 235;
                }
            }
            pixels[static_cast<size_t>(y * width + x)] = static_cast<uint8_t>(sum / (SUB * SUB));
        }
    }
    return TVekGreyImage::fromPixels(std::move(pixels), width, height);
}

// A separable Gaussian blur of standard deviation `sigma` pixels.
TVekGreyImage blurred(const TVekGreyImage& grey, double sigma) {
    const int reach = static_cast<int>(std::ceil(3 * sigma));
    std::vector<double> kernel(static_cast<size_t>(2 * reach + 1));
    double total = 0;
    for (int k = -reach; k <= reach; ++k) total += kernel[static_cast<size_t>(k + reach)] = std::exp(-k * k / (2 * sigma * sigma));
    for (double& w : kernel) w /= total;
    const int32_t width = grey.width();
    const int32_t height = grey.height();
    std::vector<double> across(static_cast<size_t>(width * height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double s = 0;
            for (int k = -reach; k <= reach; ++k) s += kernel[static_cast<size_t>(k + reach)] * grey.get(std::clamp(x + k, 0, width - 1), y);
            across[static_cast<size_t>(y * width + x)] = s;
        }
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double s = 0;
            for (int k = -reach; k <= reach; ++k) s += kernel[static_cast<size_t>(k + reach)] * across[static_cast<size_t>(std::clamp(y + k, 0, height - 1) * width + x)];
            pixels[static_cast<size_t>(y * width + x)] = static_cast<uint8_t>(std::lrint(std::clamp(s, 0.0, 255.0)));
        }
    }
    return TVekGreyImage::fromPixels(std::move(pixels), width, height);
}

// Blurred labels on a curved surface, about three and a half pixels a
// module, with ink spread round the dark modules: dark modules run together
// in a binarization, so that the binarized modules fail Reed-Solomon or the
// clock tracks count the wrong size for most of them, and they read through
// the grey module centres fitted to the clock tracks.
TEST(DatamatrixGreyGridTest, BlurredSymbolsOnACurvedSurfaceReadBack) {
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    std::mt19937 random(794);
    const std::vector<std::string> texts = {"Bottle 0123456789 label", "LOT 2026-12-08 A/B/C 42", "https://vek.example/q?7"};
    for (size_t i = 0; i < texts.size(); ++i) {
        const TModuleMatrix modules = test::zintDatamatrixAnySize("--vers=9 -d " + test::shellQuote(texts[i]));
        ASSERT_EQ(modules.size(), 26u);
        const double bow = i % 2 == 0 ? 0.0 : 1.5;
        const TVekGreyImage picture =
            test::withNoise(blurred(renderOnCylinder(modules, 90, 35 * PI / 180, 3.8, bow, 0.1), 1.4), 3.0, random);
        TVekBinaryCache cache(picture);
        const TVekBarcodes found = TVekDatamatrixPhotoReader(TVekReaderOptions{}).read(cache);
        ASSERT_EQ(found.size(), 1u) << texts[i];
        EXPECT_TRUE(found[0].isValid) << texts[i] << ": " << found[0].error;
        EXPECT_EQ(found[0].bytes, texts[i]);
    }
}

// Clock tracks whose modules widen and narrow smoothly (a curved surface),
// blurred and noisy: every fitted centre lies within a third of a module of the
// true one (a module is read right while its centre is less than half a module off).
TEST(DatamatrixGreyGridTest, ClockFitFollowsModulesOfChangingWidth) {
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0, 6);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int trial = 0; trial < 40; ++trial) {
        const int32_t count = 10 + 2 * static_cast<int32_t>(unit(random) * 30);
        const int32_t parity = trial % 2;
        // Module widths 1 +- 0.2 along a slow wave, then scaled to the line.
        const double phase = 2 * PI * unit(random);
        const double depth = 0.2 * unit(random);
        std::vector<double> edges = {0};
        for (int32_t k = 0; k < count; ++k) {
            edges.push_back(edges.back() + 1 + depth * std::sin(phase + 2 * PI * k / count));
        }
        for (double& e : edges) e /= edges.back();
        const int32_t samples = 6 * count;
        std::vector<double> sharp(static_cast<size_t>(samples));
        for (int32_t i = 0; i < samples; ++i) {
            const double t = (i + 0.5) / samples;
            const auto k = std::upper_bound(edges.begin(), edges.end(), t) - edges.begin() - 1;
            sharp[static_cast<size_t>(i)] = k % 2 == parity ? 40 : 200;
        }
        std::vector<double> profile(static_cast<size_t>(samples));
        for (int32_t i = 0; i < samples; ++i) {
            double s = 0, w = 0;
            for (int32_t d = -6; d <= 6; ++d) {
                const int32_t j = std::clamp(i + d, 0, samples - 1);
                const double g = std::exp(-d * d / (2.0 * 2.5 * 2.5));
                s += g * sharp[static_cast<size_t>(j)];
                w += g;
            }
            profile[static_cast<size_t>(i)] = s / w + noise(random);
        }
        const auto centres = TVekDatamatrixGreyGrid::fitClock(profile, count, parity);
        ASSERT_EQ(centres.size(), static_cast<size_t>(count)) << "trial " << trial;
        // The end modules are as light or dark as what lies beyond the
        // track, so only their neighbours pin them down.
        for (int32_t k = 1; k + 1 < count; ++k) {
            const double truth = 0.5 * (edges[static_cast<size_t>(k)] + edges[static_cast<size_t>(k) + 1]);
            const double moduleWidth = edges[static_cast<size_t>(k) + 1] - edges[static_cast<size_t>(k)];
            EXPECT_NEAR(centres[static_cast<size_t>(k)], truth, moduleWidth / 3) << "trial " << trial << " module " << k;
        }
    }
}

}  // namespace
}  // namespace orvel
