#include <gtest/gtest.h>

#include <random>

#include "foundation/VekBinarizer.h"
#include "foundation/VekHistogram.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekGridSampler.h"
#include "foundation/VekPerspectiveTransform.h"
#include "foundation/VekPictureLoader.h"
#include "qrcode/VekQRCodeReader.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using TQuad = TVekPerspectiveTransform::TQuad;

TQuad randomQuad(std::mt19937& random) {
    // A convex quadrilateral: a jittered square, scaled and moved.
    std::uniform_real_distribution<double> jitter(-0.2, 0.2), scale(10, 3000), shift(-500, 500);
    const double s = scale(random), dx = shift(random), dy = shift(random);
    const TQuad square = {TVekPointF{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    TQuad quad;
    for (size_t i = 0; i < 4; ++i)
        quad[i] = {(square[i].x + jitter(random)) * s + dx, (square[i].y + jitter(random)) * s + dy};
    return quad;
}

TEST(PerspectiveTransformTest, RoundTripsAreTheIdentity) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int round = 0; round < 500; ++round) {
        const TQuad from = randomQuad(random), to = randomQuad(random);
        const TVekPerspectiveTransform toQuad = TVekPerspectiveTransform::squareToQuad(to);
        const auto back = TVekPerspectiveTransform::quadToSquare(to);
        const auto between = TVekPerspectiveTransform::quadToQuad(from, to);
        ASSERT_TRUE(back && between);
        for (size_t i = 0; i < 4; ++i) {
            const TVekPointF corner = between->map(from[i]);
            EXPECT_NEAR(corner.x, to[i].x, 1e-9 * 3000);
            EXPECT_NEAR(corner.y, to[i].y, 1e-9 * 3000);
        }
        const TVekPointF p{unit(random), unit(random)};
        const TVekPointF q = back->map(toQuad.map(p));
        EXPECT_NEAR(q.x, p.x, 1e-9);
        EXPECT_NEAR(q.y, p.y, 1e-9);
    }
    EXPECT_FALSE(TVekPerspectiveTransform::quadToSquare({TVekPointF{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
}

TEST(GridSamplerTest, ReadsAWarpedSymbolExactlyAndRefusesGridsOutsideThePicture) {
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    const test::TModuleMatrix modules =
        test::trimmedModules(test::zintDump("-b QRCODE -d 'Orvel samples through perspective'"));
    ASSERT_FALSE(modules.empty());
    const int n = static_cast<int>(modules.size()), quiet = 2;
    std::mt19937 random(11);
    for (int round = 0; round < 5; ++round) {
        int32_t width = 0, height = 0;
        const TQuad corners = test::tiltedCorners(random, (n + 2 * quiet) * 6.0, 40, width, height);
        const TVekGreyImage picture = test::renderWarped(modules, corners, width, height, quiet);
        const TQuad grid = {TVekPointF{-1.0 * quiet, -1.0 * quiet}, {double(n + quiet), -1.0 * quiet},
                            {double(n + quiet), double(n + quiet)}, {-1.0 * quiet, double(n + quiet)}};
        const auto moduleToPicture = TVekPerspectiveTransform::quadToQuad(grid, corners);
        ASSERT_TRUE(moduleToPicture);
        const auto sampled = TVekGridSampler::sample(binarizeLocal(picture), n, n, *moduleToPicture);
        ASSERT_TRUE(sampled);
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c) ASSERT_EQ(sampled->get(c, r), modules[r][c] != 0) << "round " << round << " module " << r << "," << c;

        const auto beyond = TVekPerspectiveTransform::quadToQuad(grid, {corners[0], corners[1] + TVekPointF{5.0 * width, 0}, corners[2], corners[3]});
        EXPECT_FALSE(TVekGridSampler::sample(binarizeLocal(picture), n, n, *beyond));
    }
}

TEST(BinarizerTest, LocalThresholdsKeepASymbolUnderAStrongGradientReadable) {
    const TVekImage sample =
        loadPictureFile(std::filesystem::path(ORVEL_SOURCE_DIR) / "samples" / "QRCodeImages" / "qrcode.bmp");
    const TVekGreyImage shaded = test::withGradient(TVekGreyImage(sample), 1.0, 0.2);
    const TVekBitMatrix local = binarizeLocal(shaded);
    TVekImage blackAndWhite(local.width(), local.height());
    for (int32_t y = 0; y < local.height(); ++y)
        for (int32_t x = 0; x < local.width(); ++x) blackAndWhite.setPixel(x, y, local.get(x, y) ? BLACK : WHITE);
    blackAndWhite.blackAndWhite = true;
    TVekQRCodeReader reader;
    reader.binaryInput = true;
    const TVekQRCodeDataArray records = reader.read(blackAndWhite);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records.front().success);
    EXPECT_EQ(records.front().getValueAsString(), "https://orvel.vekbarcode.example");

    // A flat picture has no contrast anywhere: no noise, all light.
    const TVekBitMatrix flat = binarizeLocal(TVekGreyImage(64, 48, 90));
    for (int32_t y = 0; y < flat.height(); ++y)
        for (int32_t x = 0; x < flat.width(); ++x) ASSERT_FALSE(flat.get(x, y));
}

// The local binarizer block by block, the plain way: the rows-at-a-time one
// must give the same bits for every block size and picture edge.
TVekBitMatrix binarizeLocalByBlocks(const TVekGreyImage& grey, const TVekLocalBinarizerSettings& settings) {
    const int32_t size = settings.blockSize, blocksX = (grey.width() + size - 1) / size,
                  blocksY = (grey.height() + size - 1) / size;
    std::vector<int32_t> means(static_cast<size_t>(blocksX * blocksY), -1);
    for (int32_t by = 0; by < blocksY; ++by)
        for (int32_t bx = 0; bx < blocksX; ++bx) {
            int32_t sum = 0, low = 255, high = 0, area = 0;
            for (int32_t y = by * size; y < std::min((by + 1) * size, grey.height()); ++y)
                for (int32_t x = bx * size; x < std::min((bx + 1) * size, grey.width()); ++x, ++area) {
                    sum += grey.get(x, y);
                    low = std::min<int32_t>(low, grey.get(x, y));
                    high = std::max<int32_t>(high, grey.get(x, y));
                }
            if (high - low >= settings.minContrast) means[static_cast<size_t>(by * blocksX + bx)] = sum / area;
        }
    TVekBitMatrix bits(grey.width(), grey.height());
    const int32_t r = settings.neighbourhood;
    for (int32_t y = 0; y < grey.height(); ++y)
        for (int32_t x = 0; x < grey.width(); ++x) {
            int64_t sum = 0, count = 0;
            for (int32_t by = std::max(y / size - r, 0); by <= std::min(y / size + r, blocksY - 1); ++by)
                for (int32_t bx = std::max(x / size - r, 0); bx <= std::min(x / size + r, blocksX - 1); ++bx)
                    if (const int32_t mean = means[static_cast<size_t>(by * blocksX + bx)]; mean >= 0) sum += mean, ++count;
            bits.set(x, y, count > 0 && grey.get(x, y) <= sum / count);
        }
    return bits;
}

TEST(BinarizerTest, LocalBinarizerGivesTheBlockByBlockBitsOnRandomPictures) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 24; ++trial) {
        const int32_t width = 1 + static_cast<int32_t>(random() % 70), height = 1 + static_cast<int32_t>(random() % 50);
        std::vector<uint8_t> pixels(static_cast<size_t>(width * height));
        // Patches of one level with noise: flat blocks and contrasted ones.
        const int32_t patch = 1 + static_cast<int32_t>(random() % 12);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                pixels[static_cast<size_t>(y * width + x)] =
                    static_cast<uint8_t>(((x / patch + y / patch) % 2 ? 200 : 40) + random() % 30);
        const TVekGreyImage grey = TVekGreyImage::fromPixels(pixels, width, height).cropped(trial % 3, trial % 2, width, height);
        TVekLocalBinarizerSettings settings;
        settings.blockSize = 2 + trial % 11;
        settings.neighbourhood = trial % 3;
        const TVekBitMatrix fast = binarizeLocal(grey, settings), plain = binarizeLocalByBlocks(grey, settings);
        ASSERT_EQ(fast.width(), plain.width());
        for (int32_t y = 0; y < grey.height(); ++y)
            for (int32_t x = 0; x < grey.width(); ++x) ASSERT_EQ(fast.get(x, y), plain.get(x, y)) << trial << " " << x << "," << y;
    }
}

// The global binarizer against one histogram counted pixel by pixel, on
// pictures of every width modulo the eight-pixel steps (crops with a row
// stride), of one level, of the extreme levels and of noise.
TEST(BinarizerTest, GlobalBinarizerGivesThePlainThresholdOnRandomPictures) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 40; ++trial) {
        const int32_t width = 1 + static_cast<int32_t>(random() % 40), height = 1 + static_cast<int32_t>(random() % 30);
        std::vector<uint8_t> pixels(static_cast<size_t>((width + 3) * height));
        const int kind = trial % 4;
        const auto one = static_cast<uint8_t>(random() % 256);
        for (uint8_t& p : pixels) {
            p = kind == 0 ? one
                : kind == 1 ? static_cast<uint8_t>(random() % 2 ? 255 : 0)
                            : static_cast<uint8_t>(kind == 2 ? random() % 256 : 100 + random() % 12);
        }
        const TVekGreyImage grey = TVekGreyImage::fromPixels(pixels, width + 3, height).cropped(trial % 4, 0, width, height);
        std::array<int64_t, 256> counts{};
        for (int32_t y = 0; y < grey.height(); ++y)
            for (int32_t x = 0; x < grey.width(); ++x) ++counts[grey.get(x, y)];
        const int32_t threshold = iterativeThreshold(counts);
        const TVekBitMatrix bits = binarizeGlobal(grey);
        for (int32_t y = 0; y < grey.height(); ++y)
            for (int32_t x = 0; x < grey.width(); ++x)
                ASSERT_EQ(bits.get(x, y), grey.get(x, y) <= threshold) << trial << " " << x << "," << y;
    }
}

TEST(GreyImageTest, ViewsCropsAndScalesShareOnePassOfWork) {
    std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30,  //
                                0, 0, 0, 255, 255, 255, 90, 90, 90, 200, 100, 50};
    const TVekGreyImage grey(TVekImageView(rgb.data(), 4, 2, TVekPixelFormat::rgb));
    EXPECT_EQ(grey.get(0, 0), 77);   // red
    EXPECT_EQ(grey.get(1, 0), 149);  // green
    EXPECT_EQ(grey.get(2, 0), 29);   // blue
    EXPECT_EQ(grey.get(2, 1), 90);
    const TVekGreyImage crop = grey.cropped(1, 1, 10, 10);
    EXPECT_EQ(crop.width(), 3);
    EXPECT_EQ(crop.height(), 1);
    EXPECT_EQ(crop.get(0, 0), 255);
    const TVekGreyImage half = grey.downscaled(2);
    EXPECT_EQ(half.width(), 2);
    EXPECT_EQ(half.get(0, 0), (77 + 149 + 0 + 255 + 2) / 4);
    EXPECT_EQ(grey.upscaled(3).get(11, 5), grey.get(3, 1));
    EXPECT_EQ(grey.inverted().get(2, 1), 165);
}

// Pixels with alpha lie over white, in every layout that has it: a clear
// pixel is white whatever its colour, an opaque one keeps its level.
TEST(GreyImageTest, AlphaLaysPixelsOverWhite) {
    const struct {
        TVekPixelFormat format;
        std::vector<uint8_t> pixels;  // black clear, black half, black opaque
    } layouts[] = {
        {TVekPixelFormat::rgba, {0, 0, 0, 0, 0, 0, 0, 128, 0, 0, 0, 255}},
        {TVekPixelFormat::bgra, {0, 0, 0, 0, 0, 0, 0, 128, 0, 0, 0, 255}},
        {TVekPixelFormat::argb, {0, 0, 0, 0, 128, 0, 0, 0, 255, 0, 0, 0}},
    };
    for (const auto& layout : layouts) {
        const TVekGreyImage grey(TVekImageView(layout.pixels.data(), 3, 1, layout.format));
        EXPECT_EQ(grey.get(0, 0), 255);
        EXPECT_EQ(grey.get(1, 0), overWhite(0, 128));
        EXPECT_EQ(grey.get(2, 0), 0);
    }
    EXPECT_EQ(overWhite(0, 128), 127);
    for (uint32_t level = 0; level < 256; ++level) EXPECT_EQ(overWhite(level, 255), level);
}

}  // namespace
}  // namespace orvel
