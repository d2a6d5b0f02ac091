#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekDataBarElements.h"
#include "oned/VekDataBarExpandedLineDecoder.h"
#include "oned/VekDataBarLineDecoder.h"
#include "oned/VekDxFilmEdgeCollector.h"

namespace orvel {
namespace {

// The finder patterns of DataBar (read from the outer character inwards)
// and of DataBar Expanded (A to F, then reversed).
constexpr std::array<std::string_view, 9> dataBarFinders = {
    "38211", "35511", "33711", "31911", "27411", "25611", "23811", "15711", "13911",
};
constexpr std::array<std::string_view, 12> expandedFinders = {
    "18411", "36411", "34611", "32811", "26511", "22911", "11481", "11463", "11643", "11823", "11562", "11922",
};

// A row of the given widths, element 0 a space, closed by a wide space.
TVekBarRow rowOf(const std::vector<double>& widths) {
    TVekBarRow row({0, 0}, {1, 0});
    double edge = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        edge += widths[i];
        row.addElement(edge, i % 2 == 1);
    }
    row.finish(edge + 50);
    return row;
}

// Module counts as widths: `module` wide, bars `spread` modules wider
// (spaces as much narrower), each element off by up to `jitter` modules.
void appendWidths(std::vector<double>& widths, std::string_view modules, double module, double spread,
                  double jitter, std::mt19937& random) {
    std::uniform_real_distribution<double> off(-jitter, jitter);
    for (const char m : modules) {
        const bool bar = widths.size() % 2 == 1;
        widths.push_back(module * ((m - '0') + (bar ? spread : -spread) + off(random)));
    }
}

// The quick shape tests only rule out what the finder match would: over
// finders drawn with ink spread and jitter, some matching and some not,
// every place the match accepts passes the shape test before it.
TEST(DataBarShortcuts, ShapeTestsPassWhereverTheFinderMatches) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> moduleSize(1.2, 6), spread(-0.45, 0.45), jitter(0, 0.45);
    int dataBarMatches = 0, expandedMatches = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        const double module = moduleSize(random), s = spread(random), j = jitter(random);
        const size_t lead = 1 + static_cast<size_t>(trial % 2);  // the finder on a bar or a space
        {
            std::vector<double> widths(lead, 4 * module);
            appendWidths(widths, dataBarFinders[static_cast<size_t>(trial) % dataBarFinders.size()], module, s, j, random);
            widths.push_back(4 * module);
            const TVekBarRow row = rowOf(widths);
            double matched = 0;
            if (TVekDataBarElements(row, lead, false).matchPattern(0, dataBarFinders, 15, matched) >= 0) {
                ++dataBarMatches;
                EXPECT_TRUE(TVekDataBarLineDecoder::finderShaped(row, lead, false)) << trial;
            }
        }
        {
            // A finder drawn the other way, read backwards from its far end.
            std::string turned(dataBarFinders[static_cast<size_t>(trial) % dataBarFinders.size()]);
            turned = std::string(turned.rbegin(), turned.rend());
            std::vector<double> widths(lead, 4 * module);
            appendWidths(widths, turned, module, s, j, random);
            widths.push_back(4 * module);
            const TVekBarRow row = rowOf(widths);
            double matched = 0;
            if (TVekDataBarElements(row, lead + 4, true).matchPattern(0, dataBarFinders, 15, matched) >= 0) {
                EXPECT_TRUE(TVekDataBarLineDecoder::finderShaped(row, lead + 4, true)) << trial;
            }
        }
        {
            // A left character of 17 modules, then the finder.
            std::vector<double> widths(lead, 4 * module);
            appendWidths(widths, "32221232", module, s, j, random);
            appendWidths(widths, expandedFinders[static_cast<size_t>(trial) % expandedFinders.size()], module, s, j,
                         random);
            widths.push_back(4 * module);
            const TVekBarRow row = rowOf(widths);
            double matched = 0;
            const int finder = TVekDataBarElements(row, lead, false).matchPattern(8, expandedFinders, 15, matched);
            const double leftWidth = TVekDataBarElements::span(row, lead, 8);
            // Where the match holds, its narrow pair within the band a
            // single element is read in (0.4 to 1.9 modules), and the left
            // character as wide as a pair's.
            const size_t narrow = lead + (finder >= 6 ? 8 : 11);
            const auto inBand = [&](size_t k) { return row.width(k) > 0.4 * matched && row.width(k) < 1.9 * matched; };
            if (finder >= 0 && inBand(narrow) && inBand(narrow + 1) && leftWidth >= 13 * matched &&
                leftWidth <= 21 * matched) {
                ++expandedMatches;
                EXPECT_TRUE(TVekDataBarExpandedLineDecoder::pairShaped(row, lead)) << trial;
            }
        }
    }
    // Enough of both kinds matched for the property to say something.
    EXPECT_GT(dataBarMatches, 1000);
    EXPECT_GT(expandedMatches, 1000);
}

// A DX data track's bits, start to stop, with its parity.
std::string dataBits(int part1, int part2, int frame) {
    std::string bits = "101010";
    const auto append = [&](int value, int count) {
        for (int i = count - 1; i >= 0; --i) bits.push_back(static_cast<char>('0' + ((value >> i) & 1)));
    };
    append(part1, 7);
    bits.push_back('0');
    append(part2, 4);
    if (frame >= 0) append(frame << 2, 8);  // frame, no half frame, 0
    int ones = 0;
    for (size_t i = 6; i < bits.size(); ++i) ones += bits[i] - '0';
    bits.push_back(static_cast<char>('0' + ones % 2));
    return bits + "0101";
}

// The bits as a row's widths: runs of equal bits make one element.
std::vector<double> trackWidths(const std::string& bits, double module, double spread) {
    std::vector<double> widths = {6 * module};
    for (size_t i = 0; i < bits.size();) {
        size_t run = 1;
        while (i + run < bits.size() && bits[i + run] == bits[i]) ++run;
        const bool bar = bits[i] == '1';
        widths.push_back(module * (static_cast<double>(run) + (bar ? spread : -spread)));
        i += run;
    }
    widths.push_back(6 * module);
    return widths;
}

// The data track reads wherever each element rounds to its modules: with
// ink spread, at module widths of every kind, in both forms, the read
// checking the bits after the start before the start itself.
TEST(DxFilmEdgeShortcuts, ReadsSpreadTracksOfEitherLength) {
    const struct {
        int part1, part2, frame;
        std::string text;
    } cases[] = {{80, 11, 23, "80-11/23"}, {1, 15, 0, "1-15/0"}, {127, 0, 63, "127-0/63"}, {42, 3, -1, "42-3"}};
    for (const auto& c : cases)
        for (const double module : {1.6, 2.5, 4.3})
            for (const double spread : {-0.3, 0.0, 0.3}) {
                const std::string bits = dataBits(c.part1, c.part2, c.frame);
                std::string clock = "11111";
                while (clock.size() + 4 < bits.size()) clock.push_back(clock.size() % 2 == 0 ? '1' : '0');
                clock += "0111";
                TVekDxFilmEdgeCollector collector;
                const TVekBarRow clockRow = rowOf(trackWidths(clock, module, spread));
                const TVekBarRow dataRow = rowOf(trackWidths(bits, module, spread));
                // Rows one above the other: the clock's lines, then the data's.
                for (int line = 0; line < 2; ++line) collector.collect(clockRow, line);
                for (int line = 2; line < 4; ++line) collector.collect(dataRow, line);
                const TVekBarcodes found = collector.results(false);
                ASSERT_EQ(found.size(), 1u) << c.text << " module " << module << " spread " << spread;
                EXPECT_EQ(found[0].bytes, c.text);
            }
}

}  // namespace
}  // namespace orvel
