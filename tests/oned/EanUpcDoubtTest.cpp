#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "LinearShot.h"
#include "foundation/VekBinaryCache.h"
#include "oned/VekEanUpcLineDecoder.h"
#include "oned/VekLinearPhotoReader.h"
#include "oned/VekLinearVotes.h"
#include "oned/VekSplitBarMender.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using F = TVekBarcodeFormat;

// A scan line of the given element widths, a space first.
TVekBarRow rowOfWidths(const std::vector<double>& widths) {
    TVekBarRow row({0, 0}, {1, 0});
    double edge = 0;
    for (size_t i = 0; i + 1 < widths.size(); ++i) {
        edge += widths[i];
        row.addElement(edge, i % 2 == 1);
    }
    row.finish(edge + widths.back());
    return row;
}

// The element widths of `modules` with ten modules of quiet zone on each
// side, `pixels` per module, bars `spread` modules wider (thinner when
// negative), half of it on each edge.
std::vector<double> elementWidths(const std::vector<int>& modules, double pixels, double spread) {
    std::vector<double> widths{10};
    for (size_t i = 0; i < modules.size(); ++i) {
        if (i > 0 && modules[i] == modules[i - 1]) widths.back() += 1;
        else widths.push_back(1);
    }
    if (widths.size() % 2 == 0) widths.push_back(10);
    else widths.back() += 10;
    for (size_t i = 0; i < widths.size(); ++i) {
        const bool bar = i % 2 == 1;
        const bool inner = i > 0 && i + 1 < widths.size();
        widths[i] = pixels * (widths[i] + (bar ? spread : inner ? -spread : -0.5 * spread));
    }
    return widths;
}

std::vector<TVekLinearRead> decodeBothWays(const TVekBarRow& row, TVekBarcodeFormats formats = {}) {
    std::vector<TVekLinearRead> reads;
    TVekEanUpcLineDecoder(formats).decode(row, reads);
    TVekEanUpcLineDecoder(formats).decode(row.reversed(), reads);
    return reads;
}

// The grey profile of a wide bar with a light ripple inside that stays
// darker than the middle grey, between two narrow bars.
std::vector<float> rippledBar() {
    std::vector<float> profile(120, 230.f);
    for (size_t k = 40; k < 44; ++k) profile[k] = 20.f;   // a narrow bar
    for (size_t k = 50; k < 66; ++k) profile[k] = 20.f;   // the wide bar
    for (size_t k = 57; k < 59; ++k) profile[k] = 95.f;   // its ripple
    for (size_t k = 72; k < 76; ++k) profile[k] = 20.f;   // a narrow bar
    return profile;
}

TVekBarRow rowOfEdges(const std::vector<double>& edges, double length) {
    TVekBarRow row({0, 0}, {1, 0});
    for (size_t i = 0; i < edges.size(); ++i) row.addElement(edges[i], i % 2 == 1);
    row.finish(length);
    return row;
}

TEST(SplitBarMender, JoinsABarSplitByARippleThatStaysDarkAndKeepsTheOtherEdges) {
    const std::vector<float> profile = rippledBar();
    // The grey edges saw the ripple as a space: bar 50-57, space 57-59, bar 59-66.
    const TVekBarRow split = rowOfEdges({40, 44, 50, 57, 59, 66, 72, 76}, 119);
    TVekSplitBarMender mender;
    TVekBarRow mended;
    ASSERT_TRUE(mender.mend(profile.data(), profile.size(), split, mended));
    ASSERT_EQ(mended.size(), split.size() - 2);
    EXPECT_DOUBLE_EQ(mended.start(3), 50);
    EXPECT_DOUBLE_EQ(mended.width(3), 16);
    EXPECT_DOUBLE_EQ(mended.width(1), 4);
    EXPECT_DOUBLE_EQ(mended.width(5), 4);
    EXPECT_TRUE(TVekBarRow::isBar(3));
}

TEST(SplitBarMender, LeavesARowWhoseElementsAllCrossTheLevel) {
    std::vector<float> profile = rippledBar();
    for (size_t k = 57; k < 59; ++k) profile[k] = 200.f;  // a real narrow space
    const TVekBarRow row = rowOfEdges({40, 44, 50, 57, 59, 66, 72, 76}, 119);
    TVekSplitBarMender mender;
    TVekBarRow mended;
    EXPECT_FALSE(mender.mend(profile.data(), profile.size(), row, mended));
}

// Bars printed much thinner than their modules: 1 and 7 (2 and 8) have the
// same similar-edge distances, and the single widths alone take every 1 for
// a 7. The spread the other digits show tells them apart again, and such a
// read is a guess.
TEST(EanUpcLineDecoder, TellsTwinsApartByTheSymbolsInkSpread) {
    ASSERT_TRUE(test::haveZint());
    const std::vector<int> modules = test::linearModules("-b 13 -d 978020137962");
    ASSERT_FALSE(modules.empty());
    for (const double spread : {-0.6, -0.45, 0.45, 0.6}) {
        const std::vector<TVekLinearRead> reads = decodeBothWays(rowOfWidths(elementWidths(modules, 3, spread)));
        ASSERT_EQ(reads.size(), 1u) << spread;
        EXPECT_EQ(reads[0].bytes, "9780201379624");
        // Under about half a module the single widths still part them.
        EXPECT_EQ(reads[0].guessed, std::abs(spread) > 0.5) << spread;
    }
    const std::vector<TVekLinearRead> plain = decodeBothWays(rowOfWidths(elementWidths(modules, 3, 0.05)));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_FALSE(plain[0].guessed);
}

// Moves the edge between elements `i` and `i + 1` by `shift` pixels.
void moveEdge(std::vector<double>& widths, size_t i, double shift) {
    widths[i] += shift;
    widths[i + 1] -= shift;
}

// UPC-A 036000291452: the first digit's bar moved so that its closest
// pattern is another digit of set B; the parity of the left half then fits
// no number system, and the one second reading that fits it and the check
// digit is the right one.
TEST(EanUpcLineDecoder, TakesTheSecondReadingOfOneDoubtfulDigitWhenTheCheckConfirmsIt) {
    ASSERT_TRUE(test::haveZint());
    const std::vector<int> modules = test::linearModules("-b 34 -d 03600029145");
    ASSERT_FALSE(modules.empty());
    std::vector<double> widths = elementWidths(modules, 4, 0);
    // Digit 0 (3211 from element 4): its first bar 2 px further right.
    moveEdge(widths, 4, 2.2);
    moveEdge(widths, 5, 2.2);
    std::vector<TVekLinearRead> reads = decodeBothWays(rowOfWidths(widths), {F::upcA});
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].bytes, "036000291452");
    EXPECT_TRUE(reads[0].guessed);
    // A second doubtful digit leaves the line unread: two doubts and the
    // weak check would pass a wrong number too often.
    moveEdge(widths, 12, 1.6);
    moveEdge(widths, 13, 1.6);
    reads = decodeBothWays(rowOfWidths(widths), {F::upcA});
    for (const TVekLinearRead& read : reads) EXPECT_EQ(read.bytes, "036000291452");
}

// Random damage to the edges of one line: a wrong content from a guess stays
// rare, well under the lines a guess needs to be believed.
TEST(EanUpcLineDecoder, WrongGuessesOnDamagedLinesStayRare) {
    ASSERT_TRUE(test::haveZint());
    std::mt19937 random(5);
    std::normal_distribution<double> jitter(0, 0.9);
    for (const char* symbol : {"-b 13 -d 590123412345", "-b 34 -d 02394243101", "-b 37 -d 0120000"}) {
        const std::vector<int> modules = test::linearModules(symbol);
        ASSERT_FALSE(modules.empty());
        const std::vector<TVekLinearRead> clean = decodeBothWays(rowOfWidths(elementWidths(modules, 3, 0)));
        ASSERT_EQ(clean.size(), 1u) << symbol;
        int wrongGuesses = 0, lines = 0;
        for (int trial = 0; trial < 400; ++trial) {
            std::vector<double> widths = elementWidths(modules, 3, 0);
            for (size_t i = 1; i + 2 < widths.size(); ++i) moveEdge(widths, i, jitter(random));
            if (std::any_of(widths.begin(), widths.end(), [](double w) { return w <= 0.2; })) continue;
            ++lines;
            for (const TVekLinearRead& read : decodeBothWays(rowOfWidths(widths)))
                if (read.bytes != clean[0].bytes && read.guessed) ++wrongGuesses;
        }
        EXPECT_LT(wrongGuesses * 20, lines) << symbol;
    }
}

TVekLinearRead readOf(const std::string& bytes, bool guessed) {
    TVekLinearRead read;
    read.format = F::ean13;
    read.bytes = bytes;
    read.identifier = "]E0";
    read.firstElement = 1;
    read.lastElement = 59;
    read.guessed = guessed;
    return read;
}

TEST(LinearVotes, AGuessNeedsThreeLinesAndYieldsToAPlainRead) {
    ASSERT_TRUE(test::haveZint());
    const TVekBarRow row = test::barRowOf(test::linearModules("-b 13 -d 590123412345"), 2);
    TVekLinearVotes guesses;
    guesses.add(readOf("5901234123457", true), row, 10, 1);
    guesses.add(readOf("5901234123457", true), row, 12, 2);
    EXPECT_EQ(guesses.acceptedCount(), 0);
    guesses.add(readOf("5901234123457", true), row, 14, 3);
    EXPECT_EQ(guesses.acceptedCount(), 1);

    // A guess many lines gave still yields to the plain read of two lines
    // at the same place.
    TVekLinearVotes mixed;
    for (int line = 1; line <= 6; ++line) mixed.add(readOf("5901234123464", true), row, 10 + line, line);
    mixed.add(readOf("5901234123457", false), row, 20, 7);
    mixed.add(readOf("5901234123457", false), row, 21, 8);
    const TVekBarcodes found = mixed.results(false);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].bytes, "5901234123457");

    // Two guesses at one place: neither, unless one has more than twice the lines.
    TVekLinearVotes contested;
    for (int line = 1; line <= 4; ++line) contested.add(readOf("5901234123457", true), row, 10 + line, line);
    for (int line = 5; line <= 7; ++line) contested.add(readOf("5901234123464", true), row, 10 + line, line);
    EXPECT_EQ(contested.acceptedCount(), 0);
    for (int line = 8; line <= 10; ++line) contested.add(readOf("5901234123457", true), row, 10 + line, line);
    ASSERT_EQ(contested.results(false).size(), 1u);
    EXPECT_EQ(contested.results(false)[0].bytes, "5901234123457");
}

// A camera's picture of a symbol: about two pixels per module, bars printed
// `spread` modules wider (thinner when negative), blurred with a Gaussian of
// `sigma` pixels, sharpened by `overshoot` (an unsharp mask, as phones do),
// noisy. Upright, 48 rows high.
TVekGreyImage photographed(const std::vector<int>& modules, double pixels, double spread, double sigma,
                           double overshoot, std::mt19937& random) {
    const int quiet = 10;
    const auto width = static_cast<int32_t>((static_cast<double>(modules.size()) + 2 * quiet) * pixels) + 1;
    std::vector<double> line(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x) {
        int covered = 0;
        for (int s = 0; s < 8; ++s) {
            const double m = (x + (s + 0.5) / 8) / pixels - quiet;
            for (size_t k = 0; k < modules.size(); ++k)
                if (modules[k] != 0 && m >= static_cast<double>(k) - 0.5 * spread &&
                    m < static_cast<double>(k) + 1 + 0.5 * spread) {
                    ++covered;
                    break;
                }
        }
        line[static_cast<size_t>(x)] = 220 - 180.0 * covered / 8;
    }
    const auto gaussian = [&](const std::vector<double>& in, double s) {
        const int reach = static_cast<int>(std::ceil(3 * s));
        std::vector<double> out(in.size());
        for (int32_t x = 0; x < width; ++x) {
            double sum = 0, weights = 0;
            for (int d = -reach; d <= reach; ++d) {
                const double w = std::exp(-d * d / (2 * s * s));
                sum += w * in[static_cast<size_t>(std::clamp(x + d, 0, width - 1))];
                weights += w;
            }
            out[static_cast<size_t>(x)] = sum / weights;
        }
        return out;
    };
    line = gaussian(line, sigma);
    const std::vector<double> smooth = gaussian(line, 1.0);
    for (size_t x = 0; x < line.size(); ++x) line[x] += overshoot * (line[x] - smooth[x]);
    const int32_t height = 48;
    std::normal_distribution<double> noise(0, 4);
    std::vector<uint8_t> pixelsOut(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixelsOut[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(std::clamp(std::nearbyint(line[static_cast<size_t>(x)] + noise(random)), 0.0, 255.0));
    return TVekGreyImage::fromPixels(std::move(pixelsOut), width, height);
}

TVekBarcodes readPhoto(const TVekGreyImage& grey, F format) {
    TVekReaderOptions options;
    options.formats = {format};
    TVekBinaryCache picture(grey);
    return TVekLinearPhotoReader(options).read(picture);
}

// Round trips through blur of about 1.5 pixels per module's edge, a
// sharpening overshoot and bars printed far off their width: the four EAN/UPC
// symbols read right, or not at all.
TEST(LinearPhotoReader, ReadsEanUpcThroughBlurOvershootAndInkSpread) {
    ASSERT_TRUE(test::haveZint());
    struct TSymbol {
        const char* zint;
        F format;
        const char* bytes;
    };
    const std::vector<TSymbol> symbols = {{"-b 13 -d 978020137962", F::ean13, "9780201379624"},
                                          {"-b 34 -d 02394243101", F::upcA, "023942431015"},
                                          {"-b 37 -d 0120000", F::upcE, "01200003"},
                                          {"-b 13 -d 9638507", F::ean8, "96385074"}};
    struct TShot {
        double pixels, spread, sigma, overshoot;
    };
    // Thin bars under an overshoot split the wide ones; thick bars take 1s
    // for 7s and 2s for 8s by their single widths; the last two blur most.
    const std::vector<TShot> shots = {{1.8, -0.6, 0.7, 1.5}, {2.0, -0.6, 0.7, 1.5}, {1.8, 0.6, 0.7, 1.5},
                                      {1.8, 0.6, 0.7, 0.0},  {1.5, 0.0, 0.7, 1.5},  {1.8, 0.0, 1.1, 1.5},
                                      {2.0, 0.0, 1.1, 0.0}};
    std::mt19937 random(3);
    int read = 0;
    for (const TSymbol& symbol : symbols) {
        const std::vector<int> modules = test::linearModules(symbol.zint);
        ASSERT_FALSE(modules.empty()) << symbol.zint;
        for (const TShot& shot : shots) {
            const TVekBarcodes found =
                readPhoto(photographed(modules, shot.pixels, shot.spread, shot.sigma, shot.overshoot, random), symbol.format);
            for (const TVekBarcode& barcode : found) EXPECT_EQ(barcode.bytes, symbol.bytes) << symbol.zint;
            read += found.empty() ? 0 : 1;
            // Where the single widths alone read 9720807319624 on many lines.
            if (symbol.format == F::ean13 && shot.spread > 0 && shot.overshoot > 0) {
                EXPECT_EQ(found.size(), 1u) << "thick bars, overshoot";
            }
        }
    }
    EXPECT_GE(read, 18);
}

}  // namespace
}  // namespace orvel
