// Pictures without Data Matrix must cost little: the L candidates of blobs,
// bars and strokes are refused before their timing edges are followed, and
// such pictures earn none of the costly later passes. Symbols among the same
// clutter still read.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "datamatrix/VekDatamatrixCornerFinder.h"
#include "datamatrix/VekDatamatrixOutlines.h"
#include "datamatrix/VekDatamatrixPhotoReader.h"
#include "datamatrix/VekDatamatrixTimingEdges.h"
#include "DatamatrixTestHelpers.h"
#include "foundation/VekBinarizer.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::TModuleMatrix;

// A light picture to draw dark boxes on.
class TCanvas {
public:
    TCanvas(int32_t width, int32_t height) : width_(width), height_(height), pixels_(size_t(width) * height, 230) {}

    void fill(int32_t x0, int32_t y0, int32_t w, int32_t h, uint8_t level) {
        for (int32_t y = std::max(0, y0); y < std::min(height_, y0 + h); ++y)
            for (int32_t x = std::max(0, x0); x < std::min(width_, x0 + w); ++x) pixels_[size_t(y) * width_ + x] = level;
    }
    void box(int32_t x0, int32_t y0, int32_t w, int32_t h) { fill(x0, y0, w, h, 25); }
    // A symbol upright at `pixels` a module, its top-left corner at (x0, y0).
    void symbol(const TModuleMatrix& modules, int32_t x0, int32_t y0, int32_t pixels) {
        for (size_t r = 0; r < modules.size(); ++r)
            for (size_t c = 0; c < modules[r].size(); ++c)
                if (modules[r][c] != 0) box(x0 + int32_t(c) * pixels, y0 + int32_t(r) * pixels, pixels, pixels);
    }
    TVekGreyImage grey() const { return TVekGreyImage::fromPixels(pixels_, width_, height_); }

private:
    int32_t width_, height_;
    std::vector<uint8_t> pixels_;
};

// Solid boxes and bars of many shapes, and rows of letter-like strokes.
TCanvas clutter(std::mt19937& random, int32_t width, int32_t height) {
    TCanvas canvas(width, height);
    std::uniform_int_distribution<int32_t> x(0, width - 1), y(0, height - 1), side(14, 120), thin(2, 6);
    for (int32_t k = 0; k < 25; ++k) canvas.box(x(random), y(random), side(random), side(random));
    for (int32_t k = 0; k < 25; ++k) {
        // Bars across and along, and L-shaped strokes whose corner is open.
        const int32_t x0 = x(random), y0 = y(random), length = side(random), t = thin(random);
        canvas.box(x0, y0, length, t);
        canvas.box(x0, y0, t, length);
    }
    return canvas;
}

std::vector<TVekDatamatrixL> lsOf(const TVekBitMatrix& picture) {
    std::vector<TVekDatamatrixL> found;
    for (const auto& outline : TVekDatamatrixOutlines::find(picture, 14, 96)) {
        for (const TVekDatamatrixL& l : TVekDatamatrixCornerFinder::find(picture, outline, 12)) found.push_back(l);
    }
    return found;
}

TEST(DatamatrixClutterTest, BlobsBarsAndOpenStrokesGiveNoModule) {
    std::mt19937 random(41);
    int32_t ls = 0;
    for (int picture = 0; picture < 6; ++picture) {
        const TVekBitMatrix binary = binarize(clutter(random, 480, 360).grey(), TVekBinarizerKind::global);
        for (const TVekDatamatrixL& l : lsOf(binary)) {
            ++ls;
            const auto module = TVekDatamatrixTimingEdges::module(binary, l);
            EXPECT_FALSE(module.has_value()) << "L at " << l.corner.x << "," << l.corner.y << " module " << *module;
        }
    }
    // The clutter does make Ls: the refusal is what is tested.
    EXPECT_GT(ls, 50);
}

TEST(DatamatrixClutterTest, ClutterEarnsNoLaterPasses) {
    std::mt19937 random(43);
    for (int picture = 0; picture < 6; ++picture) {
        TVekBinaryCache cache(clutter(random, 480, 360).grey());
        TVekDatamatrixPhotoReader reader({});
        EXPECT_FALSE(reader.readFirstPass(cache)) << "picture " << picture;
        EXPECT_TRUE(reader.take().empty()) << "picture " << picture;
    }
}

// The same clutter around symbols, kept a quiet zone away: every symbol
// reads in the first pass.
TEST(DatamatrixClutterTest, SymbolsAmongClutterReadInTheFirstPass) {
    ASSERT_TRUE(test::haveZint());
    std::mt19937 random(47);
    // Square, rectangular (12 x 26), extension (8 x 80), and digits whose
    // codewords line much of the L with dark modules.
    const std::vector<std::string> arguments = {"--square -d 'Clutter 1'", "-d 'CLUTTER 2' --vers=27",
                                                "--dmre -d 'CLUTTER 3' --vers=33", "--square -d '8888888888888888'"};
    for (const std::string& argument : arguments) {
        const TModuleMatrix modules = test::zintDatamatrixAnySize(argument);
        ASSERT_FALSE(modules.empty()) << argument;
        for (const int32_t pixels : {3, 5}) {
            TCanvas canvas = clutter(random, 640, 480);
            const int32_t w = int32_t(modules[0].size()) * pixels, h = int32_t(modules.size()) * pixels;
            const int32_t x0 = 320 - w / 2, y0 = 240 - h / 2, quiet = 3 * pixels;
            // The quiet zone cleared of clutter, then the symbol.
            canvas.fill(x0 - quiet, y0 - quiet, w + 2 * quiet, h + 2 * quiet, 230);
            canvas.symbol(modules, x0, y0, pixels);
            TVekBinaryCache cache(canvas.grey());
            TVekDatamatrixPhotoReader reader({});
            reader.readFirstPass(cache);
            const TVekBarcodes found = reader.take();
            ASSERT_EQ(found.size(), 1u) << argument << " at " << pixels;
            EXPECT_TRUE(found[0].isValid) << argument << " at " << pixels;
        }
    }
}

}  // namespace
}  // namespace orvel
