#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "LinearShot.h"
#include "foundation/VekBinaryCache.h"
#include "oned/VekCode39Interpreter.h"
#include "oned/VekCode39LineDecoder.h"
#include "oned/VekLinearPhotoReader.h"
#include "read/VekReadBarcodes.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using F = TVekBarcodeFormat;

TVekBarcodes readLinear(const TVekGreyImage& grey, TVekBarcodeFormats formats = {}, bool fullAscii = false) {
    TVekReaderOptions options;
    options.formats = formats;
    options.code39FullAscii = fullAscii;
    TVekBinaryCache picture(grey);
    return TVekLinearPhotoReader(options).read(picture);
}

// The one symbol read, as format and bytes; "none" or "several" otherwise.
std::string readAs(const TVekBarcodes& found) {
    if (found.empty()) return "none";
    if (found.size() > 1) return "several";
    return formatName(found[0].format) + " " + found[0].bytes + " " + found[0].symbologyIdentifier;
}

const std::vector<test::TLinearShot>& shots() {
    static const std::vector<test::TLinearShot> all = {{2.0, 0, 0, 0}, {2.0, 5, 0, 3}, {2.5, 180, 1, 3}, {3.0, 90, 1, 2}};
    return all;
}

// PZN (PZN8 and PZN7) and the Italian pharmacode are read as such with
// every format asked, through readBarcodes and the linear photo reader.
TEST(Code39Variants, PharmaCodesRoundTrip) {
    ASSERT_TRUE(test::haveZint());
    struct TCase {
        std::string zint, expected;
    };
    const std::vector<TCase> cases = {
        {"-b PZN -d 123456", "PZN -01234562 ]A0"},
        {"-b 8 -d -1234562", "PZN -1234562 ]A0"},  // PZN7, which zint no longer makes
        {"-b CODE32 -d 12345678", "CODE32 A123456788 ]A0"},
        {"-b CODE32 -d 00000001", "CODE32 A000000012 ]A0"},
    };
    std::mt19937 random(37);
    for (const TCase& symbol : cases) {
        const std::vector<int> modules = test::linearModules(symbol.zint);
        ASSERT_FALSE(modules.empty()) << symbol.zint;
        for (size_t k = 0; k < shots().size(); ++k) {
            const TVekGreyImage grey = test::photographBars(modules, shots()[k], random);
            const TVekBarcodes found = k == 0 ? readBarcodes(test::toImage(grey)) : readLinear(grey);
            EXPECT_EQ(readAs(found), symbol.expected) << symbol.zint << ", shot " << k;
        }
    }
}

// Without their format asked, or with a check digit that fails, they are
// plain Code 39; asked alone, a failing one is not read at all.
TEST(Code39Variants, PharmaCodesNeedTheirFormatAndCheckDigit) {
    ASSERT_TRUE(test::haveZint());
    std::mt19937 random(41);
    const TVekGreyImage pzn = test::photographBars(test::linearModules("-b PZN -d 123456"), {2.5}, random);
    EXPECT_EQ(readAs(readLinear(pzn, {F::code39, F::code32})), "CODE39 -01234562 ]A0");
    const TVekGreyImage code32 = test::photographBars(test::linearModules("-b CODE32 -d 12345678"), {2.5}, random);
    EXPECT_EQ(readAs(readLinear(code32, {F::code39, F::pzn})), "CODE39 3PRM8N ]A0");
    const TVekGreyImage badPzn = test::photographBars(test::linearModules("-b 8 -d -01234563"), {2.5}, random);
    EXPECT_EQ(readAs(readLinear(badPzn)), "CODE39 -01234563 ]A0");
    EXPECT_EQ(readAs(readLinear(badPzn, {F::pzn})), "none");
    const TVekGreyImage badCode32 = test::photographBars(test::linearModules("-b 8 -d 3PRM8P"), {2.5}, random);
    EXPECT_EQ(readAs(readLinear(badCode32)), "CODE39 3PRM8P ]A0");
    EXPECT_EQ(readAs(readLinear(badCode32, {F::code32})), "none");
}

// Full ASCII only when asked: by the switch or by naming Code 39 Extended.
TEST(Code39Variants, FullAsciiOnlyWhenAsked) {
    ASSERT_TRUE(test::haveZint());
    std::mt19937 random(43);
    const std::vector<int> modules = test::linearModules("-b EXCODE39 -d 'Ab%c'");
    ASSERT_FALSE(modules.empty());
    for (size_t k = 0; k < shots().size(); ++k) {
        const TVekGreyImage grey = test::photographBars(modules, shots()[k], random);
        EXPECT_EQ(readAs(readLinear(grey)), "CODE39 A+B/E+C ]A0") << k;
        EXPECT_EQ(readAs(readLinear(grey, {}, true)), "CODE39EXTENDED Ab%c ]A4") << k;
        EXPECT_EQ(readAs(readLinear(grey, {F::code39Extended})), "CODE39EXTENDED Ab%c ]A4") << k;
    }
    TVekReaderOptions options;
    options.code39FullAscii = true;
    const TVekBarcodes viaReadBarcodes =
        readBarcodes(test::toImage(test::photographBars(modules, {2.0, 3, 0, 2}, random)), options);
    EXPECT_EQ(readAs(viaReadBarcodes), "CODE39EXTENDED Ab%c ]A4");
    // Text without shift pairs, or with a shift character that starts none,
    // stays plain Code 39 with the switch on.
    for (const std::string text : {"ORVEL-39", "10% OFF"}) {
        const TVekGreyImage grey = test::photographBars(test::linearModules("-b 8 -d '" + text + "'"), {2.5}, random);
        EXPECT_EQ(readAs(readLinear(grey, {}, true)), "CODE39 " + text + " ]A0");
    }
}

TEST(Code39Variants, InterpreterChecksAndExpands) {
    std::string bytes;
    // 123456788 in base 32 is 3PRM8N; one more fails the check.
    EXPECT_TRUE(TVekCode39Interpreter::code32("3PRM8N", bytes));
    EXPECT_EQ(bytes, "A123456788");
    EXPECT_FALSE(TVekCode39Interpreter::code32("3PRM8P", bytes));
    EXPECT_FALSE(TVekCode39Interpreter::code32("3PRM8A", bytes));  // a vowel is no base-32 digit
    EXPECT_FALSE(TVekCode39Interpreter::code32("ZZZZZZ", bytes));  // more than nine digits
    EXPECT_FALSE(TVekCode39Interpreter::code32("3PRM8", bytes));
    EXPECT_TRUE(TVekCode39Interpreter::pzn("-1234562"));
    EXPECT_TRUE(TVekCode39Interpreter::pzn("-01234562"));
    EXPECT_FALSE(TVekCode39Interpreter::pzn("-01234563"));
    EXPECT_FALSE(TVekCode39Interpreter::pzn("01234562"));
    EXPECT_FALSE(TVekCode39Interpreter::pzn("-0123456A"));
    // PZN8 weighs 0000021 by 1 to 7: 12 + 7 = 19, which leaves 8.
    EXPECT_TRUE(TVekCode39Interpreter::pzn("-00000218"));
    EXPECT_FALSE(TVekCode39Interpreter::pzn("-00000210"));
    // 0000003 leaves 21 mod 11 = 10, a number never issued: no digit checks it.
    for (char digit = '0'; digit <= '9'; ++digit) EXPECT_FALSE(TVekCode39Interpreter::pzn(std::string("-0000003") + digit));
    EXPECT_TRUE(TVekCode39Interpreter::expandFullAscii("%U$A/Z%V+Z%T", bytes));
    EXPECT_EQ(bytes, std::string("\0\x01:@z\x7f", 6));
    EXPECT_FALSE(TVekCode39Interpreter::expandFullAscii("A$", bytes));
    EXPECT_FALSE(TVekCode39Interpreter::expandFullAscii("$1", bytes));
}

// Every ASCII character through zint's full ASCII Code 39 and back.
TEST(Code39Variants, FullAsciiCarriesTheWholeAsciiSet) {
    ASSERT_TRUE(test::haveZint());
    const TVekCode39LineDecoder decoder(TVekCode39Interpreter({F::code39Extended}, true));
    for (int first = 0; first < 128; first += 16) {
        std::string escaped, bytes;
        for (int c = first; c < first + 16; ++c) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            escaped += hex;
            bytes.push_back(static_cast<char>(c));
        }
        std::vector<TVekLinearRead> reads;
        decoder.decode(test::barRowOf(test::linearModules("--esc -b EXCODE39 -d '" + escaped + "'")), reads);
        ASSERT_EQ(reads.size(), 1u) << first;
        EXPECT_EQ(reads[0].bytes, bytes) << first;
        EXPECT_EQ(reads[0].format, F::code39Extended);
    }
}

}  // namespace
}  // namespace orvel
