#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "ParserTestSupport.h"
#include "oned/VekBarcodeData.h"
#include "oned/VekCodabarParser.h"
#include "oned/VekCode128Parser.h"
#include "oned/VekCode25InterleavedParser.h"
#include "oned/VekCode39Parser.h"
#include "oned/VekCodeEAN13Parser.h"
#include "oned/VekCodeEAN8Parser.h"
#include "oned/VekCodeUPCAParser.h"
#include "oned/VekCodeUPCEParser.h"
#include "oned/VekIdentcodeParser.h"

namespace orvel {
namespace {

// Opens the framework's state to the tests.
class ProbeParser : public TVekBarcodeParser {
public:
    int32_t getSymbology() const override { return 0; }
    bool parse() override { return false; }

    using TVekBarcodeParser::alternative;
    using TVekBarcodeParser::ambiguity;
    using TVekBarcodeParser::barWidths;
    using TVekBarcodeParser::calibrationStarts;
    using TVekBarcodeParser::code;
    using TVekBarcodeParser::flipA;
    using TVekBarcodeParser::maxModules;
    using TVekBarcodeParser::moduleSum;
    using TVekBarcodeParser::position;
    using TVekBarcodeParser::spaceWidths;
};

TEST(ParserFramework, CompleteTablesSplitsInkSpreadBetweenBarsAndSpaces) {
    ProbeParser parser;
    parser.barWidths[1] = 3;
    parser.spaceWidths[1] = 5;
    parser.completeTables();
    EXPECT_DOUBLE_EQ(parser.barWidths[2], 7);
    EXPECT_DOUBLE_EQ(parser.barWidths[3], 11);
    EXPECT_DOUBLE_EQ(parser.barWidths[4], 15);
    EXPECT_DOUBLE_EQ(parser.spaceWidths[2], 9);
    EXPECT_DOUBLE_EQ(parser.spaceWidths[3], 13);
    EXPECT_DOUBLE_EQ(parser.spaceWidths[4], 17);

    // A difference of 0.5 is noise: no bias.
    ProbeParser small;
    small.barWidths[1] = 3;
    small.spaceWidths[1] = 3.5;
    small.completeTables();
    EXPECT_DOUBLE_EQ(small.barWidths[2], 6);
    EXPECT_DOUBLE_EQ(small.barWidths[4], 12);
    EXPECT_DOUBLE_EQ(small.spaceWidths[2], 7);
    EXPECT_DOUBLE_EQ(small.spaceWidths[3], 10.5);

    // A learnt 3-module width places the 2-module one half-way.
    ProbeParser learnt;
    learnt.barWidths[1] = 2;
    learnt.barWidths[3] = 7;
    learnt.spaceWidths[1] = 2;
    learnt.completeTables();
    EXPECT_DOUBLE_EQ(learnt.barWidths[2], 4.5);
    EXPECT_DOUBLE_EQ(learnt.barWidths[3], 7);
    EXPECT_DOUBLE_EQ(learnt.barWidths[4], 9.5);
}

TEST(ParserFramework, WidthAtTheMidPointReadsAsTheWiderModule) {
    ProbeParser parser;
    // Guard "11" of 3-pixel elements: references 3, 6, 9, 12 for both kinds.
    parser.setWidths({3, 3, 7.5, 7.49, 7.5, 4.5});
    EXPECT_EQ(parser.readPattern(6, true, {"11"}), "113232");
    EXPECT_EQ(parser.position, 6);
    // The doubtful elements remember their distance to the boundary and the
    // module count on its other side.
    EXPECT_NEAR(parser.ambiguity[3], 0.01, 1e-9);
    EXPECT_EQ(parser.alternative[3], 3);
    EXPECT_EQ(parser.ambiguity[2], 0);  // exactly at the boundary
    EXPECT_EQ(parser.alternative[2], 2);
    EXPECT_EQ(ProbeParser::mostAmbiguous(parser.ambiguity), 3);
}

TEST(ParserFramework, ReadingWithoutAdvanceLeavesThePosition) {
    ProbeParser parser;
    parser.setWidths({3, 3, 6, 9});
    EXPECT_EQ(parser.readPattern(4, false, {"11"}), "1123");
    EXPECT_EQ(parser.position, 0);
    EXPECT_EQ(parser.readPattern(9, true, {"11"}), "1123");  // stops at the end
    EXPECT_EQ(parser.position, 4);
}

TEST(ParserFramework, CalibrationToleratesMoreOnNarrowElements) {
    ProbeParser narrow;
    narrow.calibrationStarts = {"1111"};
    narrow.setWidths({5, 5, 2, 5});  // third element 60 % narrower than the first bar
    EXPECT_TRUE(narrow.calibrate());

    ProbeParser wide;
    wide.calibrationStarts = {"2121"};
    wide.setWidths({5, 5, 2, 5});  // a 2-module bar 60 % off
    EXPECT_FALSE(wide.calibrate());
    // A failed calibration makes readPattern return nothing.
    ProbeParser failed;
    failed.calibrationStarts = {"2121"};
    failed.setWidths({5, 5, 2, 5});
    EXPECT_EQ(failed.readPattern(4, true, {"2121"}), "");

    ProbeParser tooShort;
    tooShort.calibrationStarts = {"1111"};
    tooShort.setWidths({5, 5});
    EXPECT_FALSE(tooShort.calibrate());

    ProbeParser zero;
    zero.setWidths({0, 0, 3});
    EXPECT_FALSE(zero.calibrate());
}

TEST(ParserFramework, ModuleSumIsMendedOnlyTowardsAllowedPatterns) {
    // 1-module references of 4 pixels: 2 modules at 8, 3 at 12.
    const TVectorDouble widths{4, 4, 4, 4, 9.9, 4, 10.5};
    ProbeParser parser;
    parser.moduleSum = 7;
    parser.setWidths(widths);
    parser.position = 4;
    // Read plainly: 9.9 -> 2 (deviation +1.9), 4 -> 1 (no deviation), 10.5 -> 3
    // (deviation -1.5); total 6, one module short. The element with the
    // largest deviation is raised, but at the last step only towards an
    // allowed pattern.
    EXPECT_EQ(parser.readPattern(3, false, {"313", "214"}), "313");
    EXPECT_EQ(parser.readPattern(3, false, {"214", "999"}), "214");
    // The exactly read 1-module element is never changed.
    EXPECT_EQ(parser.readPattern(3, false, {"223", "999"}), "213");
    // With a single allowed pattern (a stop pattern) nothing is altered.
    EXPECT_EQ(parser.readPattern(3, false, {"313"}), "213");
    // Two modules short: the first step is free, the last one must land on
    // an allowed pattern.
    parser.moduleSum = 8;
    EXPECT_EQ(parser.readPattern(3, false, {"314", "111"}), "314");
}

TEST(ParserFramework, TextEscapes) {
    ProbeParser parser;
    parser.addText("~");
    parser.addText("a~b");
    parser.addSpecial(7);
    parser.addSpecial(202);
    parser.addSpecial(1234);
    EXPECT_EQ(parser.getCode(), "~~a~b~d007~d202~d1234");
    // The markers are text only; the content holds the data bytes.
    EXPECT_EQ(parser.getContent(), (TVekLinearContent{"~a~b", {}}));
}

TEST(ParserFramework, ContentBesideTheText) {
    using Fn = TVekFunctionCharacter;
    ProbeParser parser;
    parser.addFunction(Fn::fnc1, ProbeParser::specialMarker(202));
    parser.addText("12");
    parser.addFunction(Fn::fnc4, "_100");
    parser.addControlCharacter(7);
    parser.prependText("0");
    EXPECT_EQ(parser.getCode(), "0~d20212_100~d007");
    EXPECT_EQ(parser.getContent(), (TVekLinearContent{"012\x07", {{1, Fn::fnc1}, {3, Fn::fnc4}}}));
    parser.clearCode();
    EXPECT_EQ(parser.getCode(), "");
    EXPECT_EQ(parser.getContent(), TVekLinearContent{});
}

TEST(ParserFramework, Lookups) {
    const std::array<std::string_view, 3> patterns{"11", "22", "11"};
    EXPECT_EQ(ProbeParser::indexOfPattern(patterns, "11"), 0);
    EXPECT_EQ(ProbeParser::indexOfPattern(patterns, "33"), -1);
    EXPECT_EQ(ProbeParser::indexInPairTable(TVekCodeEAN13Parser::setB(), 1, "4111"), 6);
    EXPECT_EQ(ProbeParser::indexInPairTable(TVekCodeEAN13Parser::setB(), 0, "9"), 9);
    EXPECT_EQ(ProbeParser::indexInPairTable(TVekCodeEAN13Parser::setB(), 1, ""), -1);
    EXPECT_EQ(ProbeParser::mostAmbiguous({0, 5, 2, 999, 2, -1}), 2);
    EXPECT_EQ(ProbeParser::mostAmbiguous({0, 999, 1000}), -1);
}

TEST(ParserFramework, ResetReadingKeepsTheTextAndTheDoubts) {
    ProbeParser parser;
    parser.setWidths({3, 3, 7.4, 3, 3});
    parser.readPattern(5, true, {"11"});
    parser.addText("x");
    const double doubt = parser.ambiguity[2];
    EXPECT_GT(doubt, 0);
    parser.reverseWidths();
    EXPECT_EQ(parser.position, 0);
    EXPECT_EQ(parser.barWidths[1], 0);
    EXPECT_EQ(parser.getCode(), "x");
    EXPECT_EQ(parser.ambiguity[2], doubt);
    EXPECT_EQ(parser.readPattern(5, true, {"11"}), "11211");
}

TEST(BarcodeData, TextForms) {
    TVekBarcodeData record;
    record.setValue("4006381333931");
    record.setSymbology(SYMBOLOGY_EAN13);
    record.setX(12);
    record.setY(40);
    EXPECT_EQ(record.toString(), "Type: EAN13   Value: 4006381333931,   X: 12,   Y: 40,");
    record.setCandidate(true);
    record.setValue("");
    EXPECT_EQ(record.toString(), "Type unknown   Value: ,   X: 12,   Y: 40,");
    TVekBarcodeData odd;
    odd.setSymbology(3);
    EXPECT_EQ(odd.toString(), "Type:    Value: ,   X: 0,   Y: 0,");
    const std::vector<std::pair<int32_t, std::string>> names{
        {1, "CODE128"}, {2, "EAN8"},  {4, "EAN13"},           {8, "UPCA"},       {16, "UPCE"},
        {32, "CODE39"}, {64, "INTERLEAVED25"}, {128, "IDENTCODE"}, {256, "CODABAR"}};
    for (const auto& [flag, name] : names) EXPECT_EQ(symbologyName(flag), name);
    // Every flag has its format, whose name the log lines show.
    ASSERT_EQ(symbologyFlags().size(), names.size());
    for (const TVekSymbologyFlag& row : symbologyFlags()) {
        EXPECT_EQ(formatOfSymbology(row.flag), row.format);
        EXPECT_EQ(symbologyName(row.flag), formatName(row.format));
    }
    EXPECT_FALSE(formatOfSymbology(3));
    EXPECT_FALSE(formatOfSymbology(0));
    EXPECT_EQ(TVekBarcodeData().getSymbology(), SYMBOLOGY_CODE128);
}

template <typename Parser>
void expectNoDecode(const TVectorDouble& widths) {
    Parser parser;
    parser.setWidths(widths);
    EXPECT_FALSE(parser.parse());
}

void expectNoParserDecodes(const TVectorDouble& widths) {
    expectNoDecode<TVekCode128Parser>(widths);
    expectNoDecode<TVekCodeEAN13Parser>(widths);
    expectNoDecode<TVekCodeEAN8Parser>(widths);
    expectNoDecode<TVekCodeUPCAParser>(widths);
    expectNoDecode<TVekCodeUPCEParser>(widths);
    expectNoDecode<TVekCode39Parser>(widths);
    expectNoDecode<TVekCode25InterleavedParser>(widths);
    expectNoDecode<TVekIdentcodeParser>(widths);
    expectNoDecode<TVekCodabarParser>(widths);
}

TEST(ParserFramework, DegenerateWidthListsFailQuietly) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    expectNoParserDecodes({});
    expectNoParserDecodes({3});
    expectNoParserDecodes({2, 1, 1});
    expectNoParserDecodes(TVectorDouble(40, 0.0));
    expectNoParserDecodes(TVectorDouble(40, -2.0));
    expectNoParserDecodes(TVectorDouble(40, nan));
    expectNoParserDecodes(TVectorDouble(40, inf));
    expectNoParserDecodes(TVectorDouble(200, 1e300));
}

// Random width lists: no parser may crash or read outside the list, and the
// few lists that happen to decode must be stable.
TEST(ParserFramework, RandomWidthListsAreHandled) {
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> width(0.5, 12);
    std::uniform_int_distribution<int> length(0, 120);
    for (int round = 0; round < 300; ++round) {
        TVectorDouble widths(static_cast<size_t>(length(random)));
        for (double& w : widths) w = width(random);
        TVekCode128Parser code128;
        code128.setWidths(widths);
        code128.parse();
        TVekCodeEAN13Parser ean;
        ean.setWidths(widths);
        ean.parse();
        TVekCodeUPCEParser upce;
        upce.setWidths(widths);
        upce.parse();
        TVekCode39Parser code39;
        code39.setFullAscii(true);
        code39.setWidths(widths);
        code39.parse();
        TVekCode25InterleavedParser i25;
        i25.setWidths(widths);
        i25.parse();
        TVekCodabarParser codabar;
        codabar.setWidths(widths);
        codabar.parse();
    }
}

}  // namespace
}  // namespace orvel
