#include <gtest/gtest.h>

#include <array>

#include "ParserTestSupport.h"
#include "oned/VekBarcodeData.h"
#include "oned/VekCodeEAN13Parser.h"
#include "oned/VekCodeEAN8Parser.h"
#include "oned/VekCodeUPCAParser.h"
#include "oned/VekCodeUPCEParser.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::decode;
using test::printedWidths;
using test::reversedWidths;

constexpr std::array<std::pair<double, double>, 4> PRINTS{{{1, 0}, {2, 1}, {3, 1}, {4, 1}}};

template <typename Parser>
void expectDecodesBothWays(const TVectorDouble& modules, const std::string& expected) {
    ASSERT_FALSE(modules.empty());
    for (const auto& [scale, spread] : PRINTS) {
        const TVectorDouble widths = printedWidths(modules, scale, spread);
        EXPECT_EQ(decode<Parser>(widths), expected) << "scale " << scale;
        EXPECT_EQ(decode<Parser>(reversedWidths(widths)), expected) << "reversed, scale " << scale;
    }
}

// Replaces the last digit's four elements before the end guard.
TVectorDouble withLastDigit(TVectorDouble modules, size_t endGuard, const std::string& pattern) {
    const size_t first = modules.size() - endGuard - 4;
    for (size_t i = 0; i < 4; ++i) modules[first + i] = pattern[i] - '0';
    return modules;
}

TEST(UPCEANCheck, WeightsThreeAndOneFromTheRight) {
    EXPECT_EQ(UPCEANCheck("400638133393"), "1");
    EXPECT_EQ(UPCEANCheck("0123456789012"), "8");  // 13 digits: the leftmost weighs 3
    EXPECT_EQ(UPCEANCheck("9638507"), "4");
    EXPECT_EQ(UPCEANCheck("40063813339a"), "");
    std::string check = "x";
    UPCEANCheck("", check);
    EXPECT_EQ(check, "0");
}

TEST(UPCE, ExpandsByTheLastDigit) {
    EXPECT_EQ(TVekCodeUPCEParser::expand("123456"), "1234500006");
    EXPECT_EQ(TVekCodeUPCEParser::expand("120003"), "1200000000");
    EXPECT_EQ(TVekCodeUPCEParser::expand("123450"), "1200000345");
    EXPECT_EQ(TVekCodeUPCEParser::expand("123452"), "1220000345");
    EXPECT_EQ(TVekCodeUPCEParser::expand("123454"), "1234000005");
    EXPECT_EQ(TVekCodeUPCEParser::expand("12345"), "");
}

TEST(EANUPC, SymbologyFlags) {
    EXPECT_EQ(TVekCodeEAN13Parser().getSymbology(), SYMBOLOGY_EAN13);
    EXPECT_EQ(TVekCodeEAN8Parser().getSymbology(), SYMBOLOGY_EAN8);
    EXPECT_EQ(TVekCodeUPCAParser().getSymbology(), SYMBOLOGY_UPCA);
    EXPECT_EQ(TVekCodeUPCEParser().getSymbology(), SYMBOLOGY_UPCE);
}

class ZintEANUPC : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    }
};

TEST_F(ZintEANUPC, EAN13WithEveryFirstDigit) {
    expectDecodesBothWays<TVekCodeEAN13Parser>(test::zintWidths("-b EANX -d 400638133393"), "4006381333931");
    // The first digit is carried by the parities of digits 2 to 7.
    for (char first = '0'; first <= '9'; ++first) {
        const std::string data = std::string(1, first) + "12345678901";
        const std::string expected = data + UPCEANCheck(data);
        SCOPED_TRACE(expected);
        expectDecodesBothWays<TVekCodeEAN13Parser>(test::zintWidths("-b EANX -d " + data), expected);
    }
}

TEST_F(ZintEANUPC, EAN8AndUPCA) {
    for (const std::string data : {"1234567", "9638507", "0000000", "5512345"}) {
        SCOPED_TRACE(data);
        expectDecodesBothWays<TVekCodeEAN8Parser>(test::zintWidths("-b EANX -d " + data), data + UPCEANCheck(data));
    }
    for (const std::string data : {"12345678901", "03600029145", "99999999999"}) {
        SCOPED_TRACE(data);
        const TVectorDouble modules = test::zintWidths("-b UPCA -d " + data);
        expectDecodesBothWays<TVekCodeUPCAParser>(modules, data + UPCEANCheck(data));
        // A UPC-A symbol is an EAN-13 symbol with the first digit 0.
        EXPECT_EQ(decode<TVekCodeEAN13Parser>(modules), "0" + data + UPCEANCheck(data));
    }
}

TEST_F(ZintEANUPC, UPCEWithEveryParityPatternOfBothNumberSystems) {
    // 123456 -> UPC-A 0 12345 00006, check 5.
    expectDecodesBothWays<TVekCodeUPCEParser>(test::zintWidths("-b UPCE -d 123456"), "12345000065");
    for (const char system : {'0', '1'}) {
        // Vary the digits until every check digit (and so every parity
        // pattern) has occurred.
        std::array<bool, 10> seen{};
        for (int n = 0; n < 60 && std::count(seen.begin(), seen.end(), true) < 10; ++n) {
            const std::string digits = std::to_string(104250 + n * 7);
            const std::string expanded = TVekCodeUPCEParser::expand(digits);
            const std::string check = UPCEANCheck(std::string(1, system) + expanded);
            if (seen[static_cast<size_t>(check[0] - '0')]) continue;
            seen[static_cast<size_t>(check[0] - '0')] = true;
            SCOPED_TRACE(std::string(1, system) + digits);
            expectDecodesBothWays<TVekCodeUPCEParser>(test::zintWidths("-b UPCE -d " + std::string(1, system) + digits),
                                                      expanded + check);
        }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 10);
    }
}

// A check digit that does not match means a misread (or a misprint): the
// attempt fails, so that the reverse attempt and the later parsers get their
// chance instead of a wrong number being reported.
TEST_F(ZintEANUPC, WrongCheckDigitFailsTheAttempt) {
    const TVectorDouble ean13 = test::zintWidths("-b EANX -d 400638133393");
    // The last digit printed as 2 (right half "2122") instead of 1.
    const TVectorDouble wrong13 = withLastDigit(ean13, 3, "2122");
    {
        test::DiagnosticRecorder diagnostics;
        EXPECT_EQ(decode<TVekCodeEAN13Parser>(wrong13), std::nullopt);
        EXPECT_TRUE(diagnostics.contains("Checksum does not match: 2 <> 1"));
    }
    EXPECT_EQ(decode<TVekCodeEAN13Parser>(reversedWidths(wrong13)), std::nullopt);

    const TVectorDouble wrong8 = withLastDigit(test::zintWidths("-b EANX -d 1234567"), 3, "2221");
    EXPECT_EQ(decode<TVekCodeEAN8Parser>(wrong8), std::nullopt);
    const TVectorDouble wrongA = withLastDigit(test::zintWidths("-b UPCA -d 12345678901"), 3, "3211");
    EXPECT_EQ(decode<TVekCodeUPCAParser>(wrongA), std::nullopt);
    EXPECT_EQ(decode<TVekCodeEAN13Parser>(wrongA), std::nullopt);

    // UPC-E: a data digit misread keeps a valid parity pattern but no longer
    // matches the check digit that the parities encode. 123456 has parities
    // EOEEOO (check 5); its last digit 6 in set A is "1114", as 7 "1312".
    TVectorDouble wrongE = test::zintWidths("-b UPCE -d 123456");
    ASSERT_EQ(wrongE.size(), 33u);
    const std::string seven = "1312";
    for (size_t i = 0; i < 4; ++i) wrongE[23 + i] = seven[i] - '0';
    {
        test::DiagnosticRecorder diagnostics;
        EXPECT_EQ(decode<TVekCodeUPCEParser>(wrongE), std::nullopt);
        EXPECT_TRUE(diagnostics.contains("Checksum does not match: "));
    }
}

TEST_F(ZintEANUPC, ReversedEAN13FailsForwardsAtTheFirstDigit) {
    const TVectorDouble reversed = reversedWidths(test::zintWidths("-b EANX -d 400638133393"));
    test::DiagnosticRecorder diagnostics;
    TVekCodeEAN13Parser parser;
    parser.setWidths(reversed);
    ASSERT_TRUE(parser.parse());
    EXPECT_EQ(parser.getCode(), "4006381333931");
    // The first digit read right to left is a right-half pattern reversed,
    // which is a set B pattern: not allowed first.
    EXPECT_TRUE(diagnostics.contains("Pattern not recognized: "));
}

TEST_F(ZintEANUPC, ParsersRejectTheOtherLayouts) {
    const TVectorDouble ean8 = test::zintWidths("-b EANX -d 1234567");
    const TVectorDouble ean13 = test::zintWidths("-b EANX -d 400638133393");
    const TVectorDouble upce = test::zintWidths("-b UPCE -d 123456");
    EXPECT_EQ(decode<TVekCodeEAN13Parser>(ean8), std::nullopt);
    EXPECT_EQ(decode<TVekCodeEAN8Parser>(ean13), std::nullopt);
    EXPECT_EQ(decode<TVekCodeUPCAParser>(ean13), std::nullopt);  // first digit 4: set B digits
    EXPECT_EQ(decode<TVekCodeUPCEParser>(ean8), std::nullopt);
    EXPECT_EQ(decode<TVekCodeEAN13Parser>(upce), std::nullopt);
}

}  // namespace
}  // namespace orvel
