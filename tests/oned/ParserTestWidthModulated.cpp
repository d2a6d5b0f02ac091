#include <gtest/gtest.h>

#include <array>

#include "ParserTestSupport.h"
#include "oned/VekBarcodeData.h"
#include "oned/VekCodabarParser.h"
#include "oned/VekCode25InterleavedParser.h"
#include "oned/VekCode39Parser.h"
#include "oned/VekIdentcodeParser.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::decode;
using test::printedWidths;
using test::reversedWidths;
using test::widthsOf;

constexpr std::array<std::pair<double, double>, 4> PRINTS{{{1, 0}, {2, 1}, {3, 1}, {4, 1}}};

template <typename Parser>
void expectDecodesBothWays(const TVectorDouble& modules, const std::string& expected, const Parser& parser = Parser()) {
    ASSERT_FALSE(modules.empty());
    for (const auto& [scale, spread] : PRINTS) {
        const TVectorDouble widths = printedWidths(modules, scale, spread);
        EXPECT_EQ(decode<Parser>(widths, parser), expected) << "scale " << scale;
        EXPECT_EQ(decode<Parser>(reversedWidths(widths), parser), expected) << "reversed, scale " << scale;
    }
}

TVekCode39Parser fullAsciiParser() {
    TVekCode39Parser parser;
    parser.setFullAscii(true);
    return parser;
}

const std::string CODE39_START_STOP = "121121211";

TEST(Code39, WideElementsMustBeMoreThanOneAndAHalfTimesTheNarrowOnes) {
    // "*A*" written with narrow 2 and wide 4 pixels decodes; wide 3 does not.
    const std::string modules = CODE39_START_STOP + "1" + "211112112" + "1" + CODE39_START_STOP;
    auto printed = [&](double wide) {
        TVectorDouble widths;
        for (char c : modules) widths.push_back(c == '2' ? wide : 2);
        return widths;
    };
    EXPECT_EQ(decode<TVekCode39Parser>(printed(4)), "A");
    EXPECT_EQ(decode<TVekCode39Parser>(printed(3.4)), "A");
    EXPECT_EQ(decode<TVekCode39Parser>(printed(3)), std::nullopt);
}

TEST(Code39, StartAndStopWithoutDataFail) {
    test::DiagnosticRecorder diagnostics;
    EXPECT_EQ(decode<TVekCode39Parser>(printedWidths(widthsOf(CODE39_START_STOP + "1" + CODE39_START_STOP), 3, 0)),
              std::nullopt);
    EXPECT_TRUE(diagnostics.contains("Stop pattern code 39 not recognized: "));
}

TEST(Interleaved25, ChecksumWeights) {
    EXPECT_EQ(TVekCode25InterleavedParser().getChecksum("1234"), 8);
    EXPECT_EQ(TVekIdentcodeParser().getChecksum("1234"), 0);
    EXPECT_EQ(TVekCode25InterleavedParser().getSymbology(), SYMBOLOGY_INTERLEAVED25);
    EXPECT_EQ(TVekIdentcodeParser().getSymbology(), SYMBOLOGY_IDENTCODE);
    EXPECT_EQ(TVekCode39Parser().getSymbology(), SYMBOLOGY_CODE39);
    EXPECT_EQ(TVekCodabarParser().getSymbology(), SYMBOLOGY_CODABAR);
}

TEST(Interleaved25, PairsOfDigitsBetweenStartAndStop) {
    // Start 1111; 1 (21112) in the bars with 2 (12112) in the spaces; 3
    // (22111) with 4 (11212); stop 211.
    const std::string modules = "1111" "2112111122" "2121121112" "211";
    EXPECT_EQ(decode<TVekCode25InterleavedParser>(printedWidths(widthsOf(modules), 3, 0)), "1234");
    EXPECT_EQ(decode<TVekIdentcodeParser>(printedWidths(widthsOf(modules), 3, 0)), "1234");
    test::DiagnosticRecorder diagnostics;
    EXPECT_EQ(decode<TVekCode25InterleavedParser>(printedWidths(widthsOf("1111" "21121111"), 3, 0)), std::nullopt);
    EXPECT_TRUE(diagnostics.contains("Barcode I 25 too short"));
}

class ZintWidthModulated : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    }
};

TEST_F(ZintWidthModulated, Code39EveryCharacter) {
    expectDecodesBothWays<TVekCode39Parser>(test::zintWidths("-b CODE39 -d TEST"), "TEST");
    expectDecodesBothWays<TVekCode39Parser>(test::zintWidths("-b CODE39 -d '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%'"),
                                            "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
    // A single character: the last-character rule applies at once.
    expectDecodesBothWays<TVekCode39Parser>(test::zintWidths("-b CODE39 -d 7"), "7");
}

TEST_F(ZintWidthModulated, Code39PrintedCheckCharacterStaysInTheText) {
    // T 29 + E 14 + S 28 + T 29 = 100; 100 mod 43 = 14: "E".
    expectDecodesBothWays<TVekCode39Parser>(test::zintWidths("-b CODE39 --vers=1 -d TEST"), "TESTE");
}

TEST_F(ZintWidthModulated, Code39FullAscii) {
    // Plain Code 39 reading shows the pairs.
    expectDecodesBothWays<TVekCode39Parser>(test::zintWidths("-b EXCODE39 -d 'ab'"), "+A+B");
    // A pair as the last character is followed by the stop pattern only.
    expectDecodesBothWays(test::zintWidths("-b EXCODE39 -d 'ab'"), "ab", fullAsciiParser());
    expectDecodesBothWays(test::zintWidths("-b EXCODE39 -d 'Hello, World!'"), "Hello, World!", fullAsciiParser());
    expectDecodesBothWays(test::zintWidths("-b EXCODE39 -d 'a~b'"), "a~~b", fullAsciiParser());
    // Control characters come out as specials.
    expectDecodesBothWays(test::zintWidths("-b EXCODE39 --esc -d 'A\\x01B\\x1F\\x7F'"), "A~d001B~d031\x7f",
                          fullAsciiParser());
    // All printable codes, in three symbols.
    std::string printable;
    for (int c = 32; c < 127; ++c) printable += static_cast<char>(c);
    for (size_t first = 0; first < printable.size(); first += 32) {
        const std::string part = printable.substr(first, 32);
        std::string escaped;
        std::string expected;
        for (char c : part) {
            escaped += c == '\\' ? "\\\\" : std::string(1, c);
            expected += c == '~' ? "~~" : std::string(1, c);
        }
        SCOPED_TRACE(part);
        expectDecodesBothWays(test::zintWidths("-b EXCODE39 --esc -d " + test::shellQuote(escaped)), expected,
                              fullAsciiParser());
    }
}

TEST_F(ZintWidthModulated, Interleaved25AndIdentcode) {
    expectDecodesBothWays<TVekCode25InterleavedParser>(test::zintWidths("-b C25INTER -d 1234"), "1234");
    expectDecodesBothWays<TVekCode25InterleavedParser>(test::zintWidths("-b C25INTER -d 9876543210"), "9876543210");
    // An odd number of digits is printed with a leading zero.
    expectDecodesBothWays<TVekCode25InterleavedParser>(test::zintWidths("-b C25INTER -d 12345"), "012345");
    const TVectorDouble ident = test::zintWidths("-b DPIDENT -d 56310243031");
    const auto asInterleaved = decode<TVekCode25InterleavedParser>(ident);
    ASSERT_TRUE(asInterleaved.has_value());
    EXPECT_EQ(asInterleaved->size(), 12u);
    EXPECT_EQ(asInterleaved->substr(0, 11), "56310243031");
    expectDecodesBothWays<TVekIdentcodeParser>(ident, *asInterleaved);
}

TEST_F(ZintWidthModulated, CodabarStartsWithA) {
    expectDecodesBothWays<TVekCodabarParser>(test::zintWidths("-b CODABAR -d A1234B"), "1234");
    expectDecodesBothWays<TVekCodabarParser>(test::zintWidths("-b CODABAR -d 'A0123456789-$:/.+D'"),
                                             "0123456789-$:/.+");
    expectDecodesBothWays<TVekCodabarParser>(test::zintWidths("-b CODABAR -d A7C"), "7");
    // C is a valid start character, but only A is accepted as start.
    const TVectorDouble startC = test::zintWidths("-b CODABAR -d C1234D");
    ASSERT_FALSE(startC.empty());
    test::DiagnosticRecorder diagnostics;
    EXPECT_EQ(decode<TVekCodabarParser>(startC), std::nullopt);
    EXPECT_EQ(decode<TVekCodabarParser>(reversedWidths(startC)), std::nullopt);
    EXPECT_TRUE(diagnostics.contains("Start pattern codabar not recognized: "));
}

TEST_F(ZintWidthModulated, ParsersRejectEachOthersSymbols) {
    const TVectorDouble code39 = test::zintWidths("-b CODE39 -d TEST");
    const TVectorDouble i25 = test::zintWidths("-b C25INTER -d 123456");
    const TVectorDouble codabar = test::zintWidths("-b CODABAR -d A1234B");
    EXPECT_EQ(decode<TVekCode39Parser>(i25), std::nullopt);
    EXPECT_EQ(decode<TVekCode39Parser>(codabar), std::nullopt);
    EXPECT_EQ(decode<TVekCode25InterleavedParser>(code39), std::nullopt);
    EXPECT_EQ(decode<TVekCode25InterleavedParser>(codabar), std::nullopt);
    EXPECT_EQ(decode<TVekCodabarParser>(code39), std::nullopt);
    EXPECT_EQ(decode<TVekCodabarParser>(i25), std::nullopt);
}

}  // namespace
}  // namespace orvel
