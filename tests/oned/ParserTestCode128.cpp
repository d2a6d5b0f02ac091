#include <gtest/gtest.h>

#include <array>
#include <fstream>

#include "ParserTestSupport.h"
#include "oned/VekCode128Parser.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::decode;
using test::printedWidths;
using test::reversedWidths;

// Module widths of the Code 128 values used by the hand-built symbols below.
std::string patternOf(int value) {
    static const std::array<const char*, 107> patterns{
        "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
        "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
        "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
        "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
        "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
        "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
        "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
        "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
        "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
        "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
        "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};
    return patterns.at(static_cast<size_t>(value));
}

// Module widths of a symbol: start value, data values, the check character
// computed from them, stop.
TVectorDouble symbolOf(int start, const std::vector<int>& data) {
    std::string modules = patternOf(start);
    int64_t sum = start;
    for (size_t i = 0; i < data.size(); ++i) {
        modules += patternOf(data[i]);
        sum += static_cast<int64_t>(data[i]) * static_cast<int64_t>(i + 1);
    }
    modules += patternOf(sum % 103) + patternOf(106);
    return test::widthsOf(modules);
}

constexpr int START_A = 103;
constexpr int START_B = 104;
constexpr int START_C = 105;

void expectDecodesBothWays(const TVectorDouble& modules, const std::string& expected) {
    ASSERT_FALSE(modules.empty());
    const std::array<std::pair<double, double>, 4> prints{{{1, 0}, {2, 1}, {3, 1}, {4, 1}}};
    for (const auto& [scale, spread] : prints) {
        const TVectorDouble widths = printedWidths(modules, scale, spread);
        EXPECT_EQ(decode<TVekCode128Parser>(widths), expected) << "scale " << scale;
        EXPECT_EQ(decode<TVekCode128Parser>(reversedWidths(widths)), expected) << "reversed, scale " << scale;
    }
}

TEST(ParserCode128, HandBuiltValuesInEveryCodeSet) {
    // Start B, "A" (33), check (104 + 33) mod 103 = 34.
    EXPECT_EQ(symbolOf(START_B, {33}), test::widthsOf("211214" "111323" "131123" "2331112"));
    expectDecodesBothWays(symbolOf(START_B, {33}), "A");
    // Set C: pairs of digits; 98 and 99 are data there.
    expectDecodesBothWays(symbolOf(START_C, {12, 34, 98, 99}), "12349899");
    // Set B shift: the next character only is read in set A (0x01), then set B again.
    expectDecodesBothWays(symbolOf(START_B, {98, 65, 65}), std::string("\x01", 1) + "a");
    // Set A shift to B, change to C and back to A.
    expectDecodesBothWays(symbolOf(START_A, {33, 98, 65, 99, 7, 101, 64}), std::string("Aa07") + '\0');
    // Function codes without a code-set meaning: FNC3 and FNC2 as escapes,
    // FNC1 as the special 202, FNC4 as its value.
    expectDecodesBothWays(symbolOf(START_B, {96, 97, 102, 100}), "_96_97~d202_100");
    expectDecodesBothWays(symbolOf(START_A, {101, 102}), "_101~d202");
    // Set B 91 to 95: braces, vertical bar, tilde (escaped) and DEL.
    expectDecodesBothWays(symbolOf(START_B, {91, 92, 93, 94, 95}), "{|}~~\x7f");
}

// The content as data beside the text: the function characters at their
// places among the data bytes, a tilde once, and data that reads like a
// marker left as data.
TEST(ParserCode128, FunctionCharactersAreCarriedAsData) {
    using Fn = TVekFunctionCharacter;
    auto contentOf = [](const TVectorDouble& modules) {
        TVekCode128Parser parser;
        parser.setWidths(printedWidths(modules, 3, 1));
        EXPECT_TRUE(parser.parse());
        return parser.getContent();
    };
    // Set B: FNC3, FNC2, FNC1, FNC4; then "_100" and "~d202" as data.
    const TVectorDouble functions = symbolOf(START_B, {96, 97, 102, 100, 33, 63, 17, 16, 16, 94, 68, 18, 16, 18});
    EXPECT_EQ(decode<TVekCode128Parser>(printedWidths(functions, 3, 1)), "_96_97~d202_100A_100~~d202");
    EXPECT_EQ(contentOf(functions),
              (TVekLinearContent{"A_100~d202", {{0, Fn::fnc3}, {0, Fn::fnc2}, {0, Fn::fnc1}, {0, Fn::fnc4}}}));
    // Set A: FNC4 is 101; set C: FNC1 between digit pairs.
    EXPECT_EQ(contentOf(symbolOf(START_A, {33, 101, 101, 34})),
              (TVekLinearContent{"AB", {{1, Fn::fnc4}, {1, Fn::fnc4}}}));
    EXPECT_EQ(contentOf(symbolOf(START_C, {102, 12, 102, 34})),
              (TVekLinearContent{"1234", {{0, Fn::fnc1}, {2, Fn::fnc1}}}));
    // Read backwards, the content is the same.
    TVekCode128Parser reversed;
    reversed.setWidths(reversedWidths(printedWidths(functions, 3, 1)));
    ASSERT_TRUE(reversed.parse());
    EXPECT_EQ(reversed.getContent(), contentOf(functions));
}

// 7000 characters: the weighted check sum passes 2^31 long before the end.
TEST(ParserCode128, VeryLongSymbolKeepsItsCheckSum) {
    std::vector<int> values(7000);
    std::string expected;
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = 99 - static_cast<int>(i % 100);
        expected += std::to_string(100 + values[i]).substr(1);
    }
    EXPECT_EQ(decode<TVekCode128Parser>(printedWidths(symbolOf(START_C, values), 2, 0)), expected);
}

class ZintCode128 : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    }
};

TEST_F(ZintCode128, SymbolsDecodeForwardsAndReversed) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"-d 'A'", "A"},
        {"-d '12345678'", "12345678"},
        {"-d 'AB12345678cd'", "AB12345678cd"},
        {"-d 'Hello, World! 0123456789 abc'", "Hello, World! 0123456789 abc"},
        {"--esc -d 'a\\x01b{|}~\\x7F'", std::string("a\x01") + "b{|}~~\x7f"},
        {"--esc -d '\\x01\\x02ABC\\x1Fxyz'", "\x01\x02" "ABC\x1fxyz"},
        {"--esc -d 'aB\\tc\\x7Fd'", "aB\tc\x7f" "d"},
        {"-d '1234a5678'", "1234a5678"},
        {"-d 'x'", "x"},
    };
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(arguments);
        expectDecodesBothWays(test::zintWidths("-b CODE128 " + arguments), expected);
    }
}

TEST_F(ZintCode128, GS1SymbolStartsWithFNC1) {
    expectDecodesBothWays(test::zintWidths("-b GS1_128 -d '[01]12345678901231[10]AB12'"),
                          "~d202" "0112345678901231" "10AB12");
}

// Two elements of a data character misread in opposite directions keep the
// module sum and give a wrong but existing character; the check character
// catches it, and the retries read the doubtful elements the other way.
class Code128Misreads : public ZintCode128 {
protected:
    static constexpr double SCALE = 4;
    // 0.55 modules off: just across the boundary to the neighbouring count.
    static constexpr double OFF = 0.55 * SCALE;

    static void misread(TVectorDouble& widths, size_t wider, size_t narrower) {
        widths[wider] += OFF;
        widths[narrower] -= OFF;
    }

    void SetUp() override {
        ZintCode128::SetUp();
        if (IsSkipped()) return;
        modules = test::zintWidths("-b CODE128 -d '" + text + "'");
        ASSERT_FALSE(modules.empty());
        printed = printedWidths(modules, SCALE, 0);
    }

    // Element pairs of the data character starting at `first` that can be
    // misread without leaving the 1..4 module range.
    std::vector<std::pair<size_t, size_t>> pairsIn(size_t first) const {
        std::vector<std::pair<size_t, size_t>> pairs;
        for (size_t i = first; i < first + 6; ++i)
            for (size_t k = first; k < first + 6; ++k)
                if (i != k && modules[i] < 4 && modules[k] > 1) pairs.emplace_back(i, k);
        return pairs;
    }

    const std::string text = "Orvel-128 test";
    TVectorDouble modules;
    TVectorDouble printed;
};

TEST_F(Code128Misreads, OneWrongCharacterIsRecoveredBySingleFlips) {
    int retried = 0;
    int recovered = 0;
    for (size_t first = 6; first + 13 < printed.size(); first += 6) {
        for (const auto& [wider, narrower] : pairsIn(first)) {
            TVectorDouble widths = printed;
            misread(widths, wider, narrower);
            test::DiagnosticRecorder diagnostics;
            const auto decoded = decode<TVekCode128Parser>(widths);
            if (!diagnostics.contains("Checksum does not match")) continue;
            ++retried;
            if (!decoded) continue;
            // Whatever is decoded must be right: a wrong text is never returned.
            EXPECT_EQ(*decoded, text) << "elements " << wider << ", " << narrower;
            ++recovered;
        }
    }
    EXPECT_GT(retried, 20);
    EXPECT_EQ(recovered, retried);
}

TEST_F(Code128Misreads, TwoWrongCharactersAreRecoveredByPairFlips) {
    int retried = 0;
    int recovered = 0;
    for (size_t first = 6; first + 13 + 12 < printed.size(); first += 12) {
        const auto pairsA = pairsIn(first);
        const auto pairsB = pairsIn(first + 12);
        for (size_t n = 0; n < std::min(pairsA.size(), pairsB.size()); n += 3) {
            TVectorDouble widths = printed;
            misread(widths, pairsA[n].first, pairsA[n].second);
            misread(widths, pairsB[n].first, pairsB[n].second);
            test::DiagnosticRecorder diagnostics;
            const auto decoded = decode<TVekCode128Parser>(widths);
            if (!diagnostics.contains("Checksum does not match")) continue;
            ++retried;
            if (!decoded) continue;
            EXPECT_EQ(*decoded, text);
            ++recovered;
        }
    }
    EXPECT_GT(retried, 5);
    EXPECT_GT(recovered, 0);
}

// The stop pattern's last space printed far too narrow: the widths cannot be
// learnt from the stop, so they are learnt from the start pattern, tried as
// Start A, then B, then C.
TEST_F(ZintCode128, WidthsAreLearntFromTheStartWhenTheStopDisagrees) {
    const std::vector<std::pair<std::string, std::string>> cases{{"\\x01ABC", "\x01" "ABC"},
                                                                 {"123456", "123456"}};
    for (const auto& [data, expected] : cases) {
        SCOPED_TRACE(data);
        TVectorDouble widths = printedWidths(test::zintWidths("-b CODE128 --esc -d '" + data + "'"), 4, 0);
        ASSERT_GT(widths.size(), 7u);
        widths[widths.size() - 2] = 1.2;  // a 1-module space of 4 pixels
        EXPECT_EQ(decode<TVekCode128Parser>(widths), expected);
        EXPECT_EQ(decode<TVekCode128Parser>(reversedWidths(widths)), expected);
    }
}

TEST(ParserCode128, BrokenSymbolsFail) {
    const TVectorDouble good = printedWidths(symbolOf(START_B, {33, 34, 35}), 3, 1);
    ASSERT_EQ(decode<TVekCode128Parser>(good), "ABC");
    // Wrong check character.
    TVectorDouble modules = symbolOf(START_B, {33, 34, 35});
    const TVectorDouble wrongCheck = [&] {
        std::string m = patternOf(START_B) + patternOf(33) + patternOf(34) + patternOf(35) + patternOf(5) +
                        patternOf(106);
        return test::widthsOf(m);
    }();
    {
        test::DiagnosticRecorder diagnostics;
        EXPECT_FALSE(decode<TVekCode128Parser>(printedWidths(wrongCheck, 3, 0)));
        EXPECT_TRUE(diagnostics.contains("Checksum does not match: 5 <> "));
    }
    // Missing stop, missing start.
    TVectorDouble noStop(good.begin(), good.end() - 7);
    EXPECT_FALSE(decode<TVekCode128Parser>(noStop));
    TVectorDouble noStart(good.begin() + 6, good.end());
    EXPECT_FALSE(decode<TVekCode128Parser>(noStart));
    EXPECT_EQ(TVekCode128Parser().getSymbology(), 1);
}

}  // namespace
}  // namespace orvel
