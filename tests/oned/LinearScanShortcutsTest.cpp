#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "LinearShot.h"
#include "oned/VekBarRow.h"
#include "oned/VekCode128LineDecoder.h"
#include "oned/VekCode39LineDecoder.h"
#include "oned/VekEanUpcLineDecoder.h"
#include "oned/VekEdgeFinder.h"
#include "oned/VekEdgeMemo.h"
#include "oned/VekLinearScanner.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

// A line across bars of random widths (2 to 12 samples), of random dark and
// light levels, blurred and noisy, with flat stretches of equal levels.
std::vector<float> randomProfile(std::mt19937& random, size_t count) {
    std::uniform_int_distribution<int> width(2, 12), level(20, 235), flat(0, 5);
    std::normal_distribution<float> noise(0.f, 3.f);
    std::vector<float> sharp;
    while (sharp.size() < count) {
        const auto value = static_cast<float>(level(random));
        const int run = width(random);
        for (int k = 0; k < run; ++k) sharp.push_back(value);
    }
    sharp.resize(count);
    std::vector<float> profile(count);
    for (size_t k = 0; k < count; ++k) {
        const float blurred = 0.25f * (sharp[k > 0 ? k - 1 : k] + 2 * sharp[k] + sharp[k + 1 < count ? k + 1 : k]);
        // Levels in quarters, as the scanner samples them; some left flat.
        const float noisy = flat(random) == 0 ? blurred : blurred + noise(random);
        profile[k] = std::clamp(std::nearbyint(4 * noisy) / 4, 0.f, 255.f);
    }
    return profile;
}

std::vector<float> negative(const std::vector<float>& profile) {
    std::vector<float> out(profile.size());
    for (size_t k = 0; k < profile.size(); ++k) out[k] = 255.f - profile[k];
    return out;
}

TVekBarRow edgesOf(TVekEdgeFinder& finder, const std::vector<float>& profile, double share) {
    TVekBarRow row({0.5, 0.5}, {1, 0});
    finder.find(profile.data(), profile.size(), row, share);
    return row;
}

// The light-on-dark read takes the dark read's edges over, inverted: they
// must be the edges the negative profile has, element for element, or the
// two reads would part.
TEST(LinearScanShortcuts, InvertedEdgesAreTheNegativeProfilesEdges) {
    std::mt19937 random(7);
    TVekEdgeFinder finder;
    for (int trial = 0; trial < 300; ++trial) {
        const std::vector<float> profile = randomProfile(random, 40 + static_cast<size_t>(trial) * 3);
        for (const double share : {TVekEdgeFinder::usualShare, TVekEdgeFinder::faintShare}) {
            TVekBarRow inverted;
            edgesOf(finder, profile, share).invertInto(inverted);
            const TVekBarRow direct = edgesOf(finder, negative(profile), share);
            ASSERT_TRUE(inverted.sameElements(direct)) << "trial " << trial << " share " << share;
            ASSERT_EQ(inverted.size(), direct.size());
            for (size_t i = 0; i < direct.size(); ++i) ASSERT_EQ(inverted.start(i), direct.start(i));
        }
    }
}

// A line starting on a bar has the zero-width space before it; its inverse
// starts on a space of that bar's width, and inverting twice gives it back.
TEST(LinearScanShortcuts, InvertingTwiceGivesTheRowBack) {
    TVekBarRow row({0, 0}, {1, 0});
    row.addElement(3, true);
    row.addElement(5, false);
    row.addElement(9, true);
    row.finish(12);
    ASSERT_EQ(row.size(), 5u);
    TVekBarRow once, twice;
    row.invertInto(once);
    ASSERT_EQ(once.size(), 4u);
    EXPECT_EQ(once.width(0), 3);
    EXPECT_EQ(once.width(1), 2);
    once.invertInto(twice);
    EXPECT_TRUE(twice.sameElements(row));
}

// The contrast measured once serves the faint threshold as if measured anew.
TEST(LinearScanShortcuts, FindingAgainAtTheFaintShareFindsWhatAFreshFindDoes) {
    std::mt19937 random(11);
    TVekEdgeFinder once, fresh;
    for (int trial = 0; trial < 100; ++trial) {
        const std::vector<float> profile = randomProfile(random, 200);
        TVekBarRow usual({0.5, 0.5}, {1, 0}), again({0.5, 0.5}, {1, 0});
        once.find(profile.data(), profile.size(), usual, TVekEdgeFinder::usualShare);
        once.findAgain(profile.data(), profile.size(), again, TVekEdgeFinder::faintShare);
        ASSERT_TRUE(again.sameElements(edgesOf(fresh, profile, TVekEdgeFinder::faintShare))) << "trial " << trial;
    }
}

TEST(LinearScanShortcuts, MemoRecallsOnlyTheLinesItKept) {
    TVekEdgeMemo memo;
    TVekBarRow row({0.5, 3.5}, {1, 0});
    row.addElement(4, false);
    row.finish(10);
    memo.keep(true, 3, false, row);
    TVekBarRow recalled;
    EXPECT_FALSE(memo.recallInverted(true, 3, true, recalled));
    EXPECT_FALSE(memo.recallInverted(false, 3, false, recalled));
    EXPECT_FALSE(memo.recallInverted(true, 4, false, recalled));
    ASSERT_TRUE(memo.recallInverted(true, 3, false, recalled));
    TVekBarRow expected;
    row.invertInto(expected);
    EXPECT_TRUE(recalled.sameElements(expected));
    EXPECT_EQ(recalled.point(0).y, 3.5);
    // Room for a light read's first round of lines only: later lines are not kept.
    for (int32_t at = 100; at < 400; ++at) memo.keep(false, at, false, row);
    EXPECT_TRUE(memo.recallInverted(false, 100, false, recalled));
    EXPECT_FALSE(memo.recallInverted(false, 399, false, recalled));
}

// `modules` with modules first .. last-1 made one bar, as a scratch or a
// smudge across a symbol leaves it.
std::vector<int> smudged(std::vector<int> modules, size_t first, size_t last) {
    std::fill(modules.begin() + static_cast<std::ptrdiff_t>(first), modules.begin() + static_cast<std::ptrdiff_t>(last),
              1);
    return modules;
}

// A symbol's start and first characters, the rest spoilt, read nothing but
// leave a clue that the lines between are worth scanning.
TEST(LinearScanShortcuts, SpoiltSymbolsLeaveCluesButNoRead) {
    ASSERT_TRUE(test::haveZint());
    using F = TVekBarcodeFormat;
    const std::vector<int> ean = test::linearModules("-b EANX -d 590123412345");
    const std::vector<int> code128 = test::linearModules("-b CODE128 -d ABCDEFGHIJ");
    const std::vector<int> code39 = test::linearModules("-b CODE39 -d ABCDEF");
    ASSERT_EQ(ean.size(), 95u);
    ASSERT_GT(code128.size(), 120u);
    ASSERT_GT(code39.size(), 90u);
    const TVekEanUpcLineDecoder eanDecoder(TVekBarcodeFormats{F::ean13, F::upcA, F::upcE, F::ean8});
    const auto cluesOf = [](const auto& decoder, const std::vector<int>& modules, size_t& readCount) {
        std::vector<TVekLinearRead> reads;
        TVekLinearClues clues;
        decoder.decode(test::barRowOf(modules, 3), reads, &clues);
        readCount = reads.size();
        return clues.partialSymbols;
    };
    size_t reads = 0;
    // Whole, each reads and leaves no clue.
    EXPECT_EQ(cluesOf(eanDecoder, ean, reads), 0);
    EXPECT_EQ(reads, 1u);
    EXPECT_EQ(cluesOf(TVekCode128LineDecoder(), code128, reads), 0);
    EXPECT_EQ(reads, 1u);
    EXPECT_EQ(cluesOf(TVekCode39LineDecoder(), code39, reads), 0);
    EXPECT_EQ(reads, 1u);
    // EAN-13: the left half and the centre guard (modules 45 .. 49) stand.
    EXPECT_GE(cluesOf(eanDecoder, smudged(ean, 60, 80), reads), 1);
    EXPECT_EQ(reads, 0u);
    EXPECT_EQ(cluesOf(eanDecoder, smudged(ean, 20, 30), reads), 0);
    // Code 128: the start and six characters stand.
    EXPECT_GE(cluesOf(TVekCode128LineDecoder(), smudged(code128, 80, 100), reads), 1);
    EXPECT_EQ(reads, 0u);
    EXPECT_EQ(cluesOf(TVekCode128LineDecoder(), smudged(code128, 15, 30), reads), 0);
    // Code 39: the start and three characters stand (16 modules each with the gap).
    EXPECT_GE(cluesOf(TVekCode39LineDecoder(), smudged(code39, 66, 80), reads), 1);
    EXPECT_EQ(reads, 0u);
}

// Bars `depth` grey levels darker than a light ground, 2.5 pixels a module,
// rows 10 to 50 of 60, and a block of black print past the right quiet
// zone, whose contrast sets an edge threshold the bars' narrow spaces miss.
TVekGreyImage faintBesidePrint(const std::vector<int>& modules, int depth) {
    const double module = 2.5, quiet = 10 * module;
    const auto symbolWidth = static_cast<int32_t>((static_cast<double>(modules.size()) + 20) * module);
    const int32_t width = symbolWidth + 40, height = 60;
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height), 220);
    for (int32_t x = 0; x < width; ++x) {
        const double m = (x + 0.5 - quiet) / module;
        const bool bar = m >= 0 && m < static_cast<double>(modules.size()) && modules[static_cast<size_t>(m)] != 0;
        const bool print = x >= symbolWidth + 8 && x < symbolWidth + 32;
        for (int32_t y = 10; y < 50; ++y)
            pixels[static_cast<size_t>(y * width + x)] = print ? 20 : bar ? static_cast<uint8_t>(220 - depth) : 220;
    }
    // A light blur, as a lens gives.
    std::vector<uint8_t> blurred(pixels);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 1; x + 1 < width; ++x) {
            const size_t at = static_cast<size_t>(y * width + x);
            blurred[at] = static_cast<uint8_t>((pixels[at - 1] + 2 * pixels[at] + pixels[at + 1]) / 4);
        }
    return TVekGreyImage::fromPixels(std::move(blurred), width, height);
}

// A line's faint-threshold read put off and paid later counts as the line
// it was: the scanner ends with what it reads when it pays at once.
TEST(LinearScanShortcuts, OwedFaintReadsGiveWhatImmediateOnesGive) {
    ASSERT_TRUE(test::haveZint());
    using F = TVekBarcodeFormat;
    const std::vector<int> modules = test::linearModules("-b UPCA -d 03600029145");
    ASSERT_EQ(modules.size(), 95u);
    int faintOnly = 0;  // pictures whose read needs the faint threshold
    for (const int depth : {200, 60, 40, 30}) {
        const TVekGreyImage grey = faintBesidePrint(modules, depth);
        TVekLinearScanner atOnce(grey, {F::upcA}, false, 6), later(grey, {F::upcA}, false, 6);
        for (int32_t y = 0; y < grey.height(); y += 4) {
            atOnce.scanRow(y);
            later.scanRow(y, false);
        }
        if (later.results().size() < atOnce.results().size()) ++faintOnly;
        later.scanOwedFaint();
        const TVekBarcodes expected = atOnce.results(), found = later.results();
        ASSERT_EQ(found.size(), expected.size()) << depth;
        for (size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i].bytes, expected[i].bytes) << depth;
        EXPECT_EQ(later.acceptedCount(), atOnce.acceptedCount()) << depth;
    }
    EXPECT_GE(faintOnly, 1);
}

}  // namespace
}  // namespace orvel
