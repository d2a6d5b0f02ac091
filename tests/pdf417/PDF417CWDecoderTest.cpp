#include <gtest/gtest.h>

#include <random>
#include <string>

#include "PDF417ZintSymbol.h"
#include "pdf417/VekBase900Decimal.h"
#include "pdf417/VekPDF417CWDecoder.h"
#include "pdf417/VekPDF417Data.h"
#include "pdf417/VekPDF417RS.h"
#include "pdf417/VekPDF417SymbolDecoder.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

TVectorInteger bytesOf(const std::string& text) {
    TVectorInteger bytes;
    for (unsigned char c : text) bytes.push_back(c);
    return bytes;
}

TVectorInteger decodeCodewords(const TVectorInteger& codewords) {
    TVekPDF417CWDecoder decoder;
    TVectorInteger result;
    decoder.decode(codewords, result);
    return result;
}

std::string decodeText(const TVectorInteger& codewords) {
    std::string text;
    for (int32_t value : decodeCodewords(codewords)) text += static_cast<char>(value);
    return text;
}

void expectInvalid(const TVectorInteger& codewords, const std::string& message) {
    try {
        decodeCodewords(codewords);
        ADD_FAILURE() << "no exception for " << message;
    } catch (const TVekInvalidCWException& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

TEST(PDF417CWDecoder, SelfTestSequences) {
    EXPECT_EQ(decodeText({10, 901, 82, 399, 748, 339, 234, 49, 50, 51, 738, 816}), "123456123");
    EXPECT_EQ(decodeText({22,  902, 868, 766, 590, 147, 477, 220, 528, 74,  552, 194,
                          800, 556, 438, 134, 634, 15,  369, 753, 194, 900, 786, 591}),
              "987654321112345678909876543211123456789012341234567894");
    EXPECT_EQ(decodeText({61,  1,   63,  121, 211, 117, 1,   228, 33,  216, 117, 117, 627, 237, 627,
                          118, 32,  92,  92,  123, 843, 607, 607, 813, 830, 814, 835, 830, 829, 835,
                          830, 817, 830, 31,  211, 211, 830, 110, 230, 118, 87,  607, 603, 230, 857,
                          813, 607, 543, 859, 893, 894, 830, 230, 213, 607, 830, 913, 65,  1}),
              "ABCDEBHBDabhsbdhgdDUHUD12323243DUHUHdUEZUTZUHUbbhbhbUduhud2uhudhu.duhsd/()uhuhduhUAab");
    TVekPDF417CWDecoder decoder;
    EXPECT_NO_THROW(decoder.test());
}

TEST(PDF417CWDecoder, NumericGroupsKeepLeadingZeros) {
    EXPECT_EQ(decodeText({8, 902, 1, 624, 142, 101, 211, 105}), "000000000000005");
    // A full group of 15 codewords: 1 followed by 44 nines is below 900^15.
    // Built here in base 900 from its decimal digits.
    std::string digits = "1" + std::string(44, '9');
    TVectorInteger group;
    while (digits != "0" && !digits.empty()) {
        std::string quotient;
        int remainder = 0;
        for (char d : digits) {
            remainder = remainder * 10 + (d - '0');
            if (!quotient.empty() || remainder / 900 != 0) quotient += static_cast<char>('0' + remainder / 900);
            remainder %= 900;
        }
        group.insert(group.begin(), remainder);
        digits = quotient.empty() ? "0" : quotient;
    }
    ASSERT_EQ(group.size(), 15u);
    TVectorInteger codewords = {0, 902};
    codewords.insert(codewords.end(), group.begin(), group.end());
    codewords.insert(codewords.end(), group.begin(), group.end());
    codewords[0] = static_cast<int32_t>(codewords.size());
    EXPECT_EQ(decodeText(codewords), std::string(88, '9'));
}

TEST(PDF417CWDecoder, ByteGroupsAndLeftovers) {
    // Two 6-byte groups under 924, then 901 with a 5-codeword group that is
    // taken as five single bytes because nothing follows it.
    const TVectorInteger sixes = {82, 399, 748, 339, 234};  // "123456"
    TVectorInteger codewords = {0, 924};
    codewords.insert(codewords.end(), sixes.begin(), sixes.end());
    codewords.insert(codewords.end(), sixes.begin(), sixes.end());
    codewords.push_back(901);
    for (int32_t b : {65, 66, 67, 68, 69}) codewords.push_back(b);
    codewords[0] = static_cast<int32_t>(codewords.size());
    EXPECT_EQ(decodeText(codewords), "123456123456ABCDE");
    // Leftover values above 255 pass unchanged.
    EXPECT_EQ(decodeCodewords({4, 901, 300, 7}), (TVectorInteger{300, 7}));
}

TEST(PDF417CWDecoder, TextShifts) {
    // "Hello" then 913 with the byte 1: the byte shift leaves lower case.
    EXPECT_EQ(decodeText({7, 237, 131, 344, 913, 1, 900}), "Hello\x01");
    // Alpha: "A", PS then "!" (punctuation 10), back to alpha: "B".
    EXPECT_EQ(decodeText({4, 0 * 30 + 29, 10 * 30 + 1, 900}), "A!B");
    // Lower latch, "a", AS "B", back in lower: "c".
    EXPECT_EQ(decodeText({4, 27 * 30 + 0, 27 * 30 + 1, 2 * 30 + 29}), "aBc");
    // A PS that only pads the codeword before a byte shift changes nothing:
    // the character after the shifted byte is still alpha.
    EXPECT_EQ(decodeText({6, 0 * 30 + 29, 913, 200, 1 * 30 + 29}), "A\xC8" "B");
    // Mixed and punctuation latches, CR, HT and LF.
    EXPECT_EQ(decodeText({5, 28 * 30 + 11, 12 * 30 + 25, 15 * 30 + 29, 0 * 30 + 26}), "\r\t\nA ");
    // A byte shift at the very end of the data is ignored.
    EXPECT_EQ(decodeText({3, 1, 913}), "AB");
}

TEST(PDF417CWDecoder, InvalidSequences) {
    expectInvalid({3, 900, 901}, "Latch should be LATCH_TO_BYTE6");
    expectInvalid({4, 901, 902, 1}, "Latch should be LATCH_TO_BYTE6");
    expectInvalid({4, 924, 1, 2}, "Latch should be LATCH_TO_BYTE");
    expectInvalid({3, 1, 905}, "Codeword 905 found in Text mode");
    expectInvalid({3, 1, 921}, "Codeword 921 found in Text mode");
    // Codewords no mode claims would stall the decoding loop.
    expectInvalid({4, 922, 925, 1}, "Codeword 925 found outside any mode");
    expectInvalid({4, 922, 5, 5}, "Codeword 5 found outside any mode");
    expectInvalid({3, 902, 913}, "Codeword 913 found in Numeric mode");
    expectInvalid({4, 1, 913, 900}, "Codeword 900 found after byte shift");
    expectInvalid({3, 924, 925}, "Codeword 925 found in Byte mode");
    // Macro blocks cut short and unknown optional fields.
    expectInvalid({3, 928, 1}, "Macro segment index missing");
    expectInvalid({2, 923}, "Macro optional field designator missing");
    expectInvalid({6, 928, 1, 1, 923, 7}, "Invalid Macro optional field designator 7");
}

TEST(PDF417CWDecoder, NothingToDecode) {
    EXPECT_TRUE(decodeCodewords({}).empty());
    EXPECT_TRUE(decodeCodewords({1}).empty());
    EXPECT_TRUE(decodeCodewords({-5, 1, 2}).empty());
    EXPECT_TRUE(decodeCodewords({3, 900, 900}).empty());
    // The reader initialisation flag in front of implicit text.
    EXPECT_EQ(decodeText({4, 921, 1, 900}), "AB");
}

TEST(PDF417CWDecoder, MacroControlBlock) {
    TVekPDF417CWDecoder decoder;
    TVectorInteger result = {99};
    decoder.decode({7, 928, 1, 1, 7, 8, 922}, result);
    EXPECT_TRUE(result.empty());
    EXPECT_EQ(decoder.getMacroPDFStringField(0), "01");
    EXPECT_EQ(decoder.getMacroPDFStringField(1), "7-8");
    EXPECT_EQ(decoder.getMacroSegmentIndex(), 1);
    EXPECT_FALSE(decoder.getMacroSegmentCount());
    for (int i = 2; i < 9; ++i) EXPECT_EQ(decoder.getMacroPDFStringField(i), "") << i;
    EXPECT_EQ(decoder.getMacroPDFStringField(9), "");
    EXPECT_TRUE(decoder.getMacroPDFByteField(0).empty());

    // Every optional field: file name "AB" in text, segment count 1|00003,
    // a time stamp longer than 32 bits, sender and addressee, file size,
    // checksum.
    decoder.decode({0,   1,   900, 928, 111, 101, 42,  923, 0,   1,   923, 1, 111, 103, 923, 2,   1,
                    2,   3,   4,   923, 3,   63,  923, 4,   27 * 30 + 0, 923, 5, 111, 103, 923, 6, 5,  922},
                   result);
    EXPECT_TRUE(result.empty());  // the length descriptor 0 ends everything at once
    decoder.decode({34,  1,   900, 928, 111, 101, 42,  923, 0,   1,   923, 1, 111, 103, 923, 2,   1,
                    2,   3,   4,   923, 3,   63,  923, 4,   27 * 30 + 0, 923, 5, 111, 103, 923, 6, 5,  922},
                   result);
    EXPECT_EQ(result, bytesOf("AB"));
    EXPECT_EQ(decoder.getMacroPDFStringField(0), "00001");
    EXPECT_EQ(decoder.getMacroPDFStringField(1), "42");
    EXPECT_EQ(decoder.getMacroPDFStringField(2), " 65 66");
    EXPECT_EQ(decoder.getMacroPDFStringField(3), "00003");
    EXPECT_EQ(decoder.getMacroSegmentIndex(), 1);
    EXPECT_EQ(decoder.getMacroSegmentCount(), 3);
    // 1·900^3 + 2·900^2 + 3·900 + 4 = 730622704, beyond what the leading
    // digit leaves of a 32-bit field.
    EXPECT_EQ(decoder.getMacroPDFStringField(4), "30622704");
    EXPECT_EQ(decoder.getMacroPDFStringField(5), " 67 68");
    EXPECT_EQ(decoder.getMacroPDFStringField(6), " 97");
    EXPECT_EQ(decoder.getMacroPDFStringField(7), "00003");
    EXPECT_EQ(decoder.getMacroPDFStringField(8), "");
    // A second decode starts with empty fields.
    decoder.decode({2, 1}, result);
    EXPECT_EQ(decoder.getMacroPDFStringField(0), "");
    EXPECT_FALSE(decoder.getMacroSegmentIndex());
    EXPECT_FALSE(decoder.getMacroSegmentCount());
    EXPECT_EQ(decoder.getMacroPDFStringField(4), "");

    // A numeric field far beyond 32 bits: 20 codewords of 899.
    TVectorInteger longField = {0, 928, 1, 1, 923, 2};
    for (int i = 0; i < 20; ++i) longField.push_back(899);
    longField[0] = static_cast<int32_t>(longField.size());
    decoder.decode(longField, result);
    // 900^20 - 1 without its first digit.
    EXPECT_EQ(decoder.getMacroPDFStringField(4), "21576654590569288009999999999999999999999999999999999999999");
}

TEST(PDF417CWDecoder, ArbitraryCodewordsNeverCrash) {
    std::mt19937 random(1);
    std::uniform_int_distribution<int32_t> pick(0, 9);
    std::uniform_int_distribution<int32_t> data(0, 899);
    std::uniform_int_distribution<int32_t> special(900, 928);
    for (int trial = 0; trial < 3000; ++trial) {
        TVectorInteger codewords(static_cast<size_t>(1 + trial % 60));
        for (auto& c : codewords) c = pick(random) < 3 ? special(random) : data(random);
        codewords[0] = static_cast<int32_t>(codewords.size()) + trial % 3 - 1;
        TVekPDF417CWDecoder decoder;
        TVectorInteger result;
        try {
            decoder.decode(codewords, result);
            EXPECT_LE(result.size(), codewords.size() * 44 / 15 + 1);
        } catch (const TVekInvalidCWException&) {
        }
    }
}

// The number a numeric Macro field writes, taken from the digits themselves:
// the same as reading its decimal text, leading zeros, a lone digit and
// numbers beyond 32 bits included.
TEST(PDF417CWDecoder, NumericFieldNumbersMatchTheirDigits) {
    std::mt19937 random(900);
    for (int trial = 0; trial < 3000; ++trial) {
        TVekBase900Decimal value;
        const int length = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < length; ++i) value.append(random() % 4 == 0 ? 0 : static_cast<int32_t>(random() % 900));
        const std::string digits = value.digitsAfterFirst();
        std::optional<int32_t> expected;
        if (!digits.empty() && digits.size() <= 10 && std::stoll(digits) <= INT32_MAX)
            expected = static_cast<int32_t>(std::stoll(digits));
        if (digits.size() > 10 && digits.find_first_not_of('0') >= digits.size() - 10 &&
            std::stoll(digits.substr(digits.size() - 10)) <= INT32_MAX)
            expected = static_cast<int32_t>(std::stoll(digits.substr(digits.size() - 10)));
        EXPECT_EQ(value.numberAfterFirst(), expected) << value.toDecimal();
    }
    TVekBase900Decimal small;
    small.append(7);
    EXPECT_FALSE(small.numberAfterFirst());
    EXPECT_FALSE(TVekBase900Decimal().numberAfterFirst());
}

TEST(PDF417Data, TextForm) {
    const TVekPDF417Data data({65, 66}, 10, 20, TVectorString(9), TMatrixIntegerV(9), 0, 4);
    EXPECT_EQ(data.toString(), "Value (int):  65 66   Value (String): AB   X: 10   Y: 20   EC Level=4");
    const TVekPDF417Data high({321}, -1, 0, TVectorString(9), TMatrixIntegerV(9), -1, 256);
    EXPECT_EQ(high.toString(), "Value (int):  321   Value (String): A   X: -1   Y: 0   EC Level=256");
    EXPECT_EQ(high.getCorrectedErrors(), -1);
    EXPECT_FALSE(high.isCorrected());
    EXPECT_TRUE(data.isCorrected());
    EXPECT_EQ(high.getValueAsString(), "A");
    EXPECT_EQ(high.getMacroStringFields().size(), 9u);
}

// Real symbols: zint's encoder chooses the compaction modes from the content.
struct TZintCase {
    std::string arguments;
    std::string content;
};

class PDF417ZintDecode : public ::testing::TestWithParam<TZintCase> {};

TEST_P(PDF417ZintDecode, DecodesZintContent) {
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    const auto symbol = test::readZintPDF417(GetParam().arguments + " -d " + test::shellQuote(GetParam().content));
    ASSERT_TRUE(symbol);
    TVectorInteger codewords = symbol->codewords;
    ASSERT_EQ(TVekPDF417RS().correct(codewords, symbol->eccCount()), 0);
    EXPECT_EQ(decodeCodewords(symbol->dataCodewords()), bytesOf(GetParam().content));
}

std::string allBytes() {
    std::string text;
    for (int b = 1; b < 256; ++b) text += static_cast<char>(b);
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PDF417ZintDecode,
    ::testing::Values(
        TZintCase{"", "Hello"},
        TZintCase{"--secure=0", "A"},
        TZintCase{"", "PDF417 text: MiXeD case, digits 0123 & punctuation ;<>@[\\]_`~!\"|*()?{}' #$%+=^/.-:,"},
        TZintCase{"", "Tab\tCR\rLF\nend"},
        TZintCase{"", "lower UPPER lower 1a2b3c"},
        TZintCase{"", "1234567890123456789"},
        TZintCase{"", "0000000000000000000000000000000000000000000000000000001"},
        TZintCase{"--cols=10",
                  "98765432109876543210987654321098765432109876543210987654321098765432109876543210"},
        TZintCase{"", "Text 12345678901234567890 then more text"},
        TZintCase{"--binary", "\x01\x02\x03\x04\x05\xff"},
        TZintCase{"--binary", "\x80\x81\x82\x83\x84\x85\x86"},
        TZintCase{"--binary --cols=12", allBytes()},
        TZintCase{"--binary", "Hello \x01 world \xe9"},
        TZintCase{"--init", "Hello"}));

// Random mixtures of digit runs, letters, punctuation and bytes make zint
// switch modes in every order, with shifts and latches of all kinds.
TEST(PDF417ZintDecode, RandomMixedContent) {
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    std::mt19937 random(929);
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz ";
    const std::string punctuation = "&\r\t,:#-.$/+%*=^;<>@[\\]_`~!\n\"|()?{}'";
    for (int trial = 0; trial < 40; ++trial) {
        std::string content;
        const int pieces = std::uniform_int_distribution<int>(1, 6)(random);
        for (int p = 0; p < pieces; ++p) {
            const int kind = std::uniform_int_distribution<int>(0, 3)(random);
            const int length = std::uniform_int_distribution<int>(1, 30)(random);
            for (int i = 0; i < length; ++i) {
                switch (kind) {
                    case 0: content += static_cast<char>('0' + random() % 10); break;
                    case 1: content += letters[random() % letters.size()]; break;
                    case 2: content += punctuation[random() % punctuation.size()]; break;
                    default: content += static_cast<char>(1 + random() % 255); break;
                }
            }
        }
        const std::string arguments = "--binary --cols=" + std::to_string(1 + trial % 12) + " --secure=" +
                                      std::to_string(trial % 5) + " -d " + test::shellQuote(content);
        const auto symbol = test::readZintPDF417(arguments);
        ASSERT_TRUE(symbol) << arguments;
        TVectorInteger codewords = symbol->codewords;
        ASSERT_EQ(TVekPDF417RS().correct(codewords, symbol->eccCount()), 0) << arguments;
        EXPECT_EQ(decodeCodewords(symbol->dataCodewords()), bytesOf(content)) << arguments;
    }
}

TEST(PDF417ZintMacro, StructuredAppend) {
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    const auto symbol = test::readZintPDF417("--structapp=2,3,123456 -d Hello");
    ASSERT_TRUE(symbol);
    TVekPDF417CWDecoder decoder;
    TVectorInteger result;
    decoder.decode(symbol->dataCodewords(), result);
    EXPECT_EQ(result, bytesOf("Hello"));
    EXPECT_EQ(decoder.getMacroPDFStringField(0), "00001");  // zero-based segment index
    EXPECT_EQ(decoder.getMacroPDFStringField(1), "123-456");
    EXPECT_EQ(decoder.getMacroPDFStringField(3), "00003");

    const auto last = test::readZintPDF417("--structapp=3,3,123456 -d 12345678901234567890");
    ASSERT_TRUE(last);
    decoder.decode(last->dataCodewords(), result);
    EXPECT_EQ(result, bytesOf("12345678901234567890"));
    EXPECT_EQ(decoder.getMacroPDFStringField(0), "00002");
}

// Byte compaction switched by ECI designators: latched by 901 although the
// bytes of each piece are a multiple of six, the latch itself before the
// first designator, the run going on after each. The documented reader
// refuses a 901 run with nothing left over; the photo path decodes it.
TEST(PDF417SymbolDecoder, ByteRunsAcrossEciDesignatorsUnder901) {
    const auto packed = [](const std::string& six) {
        int64_t value = 0;
        for (unsigned char c : six) value = value * 256 + c;
        TVectorInteger group(5);
        for (int i = 4; i >= 0; --i, value /= 900) group[static_cast<size_t>(i)] = static_cast<int32_t>(value % 900);
        return group;
    };
    const auto symbol = [](const TVectorInteger& body) {
        TVekPDF417Grid grid;
        grid.ecLevel = 1;
        TVectorInteger data{static_cast<int32_t>(body.size()) + 1};
        data.insert(data.end(), body.begin(), body.end());
        while ((data.size() + 4) % 3 != 0) data.push_back(900);
        data[0] = static_cast<int32_t>(data.size());
        grid.codewords = TVekPDF417RS::encode(data, grid.eccCount());
        grid.columns = 3;
        grid.rows = static_cast<int32_t>(grid.codewords.size()) / 3;
        return TVekPDF417SymbolDecoder::decode(grid);
    };
    const TVectorInteger first = packed("\xC4\xD6\xDC\xE4\xF6\xFC");
    const TVectorInteger second = packed("\xB6\xB6\xB6\xB6\xB6\xB6");
    TVectorInteger body{901, 927, 3};
    body.insert(body.end(), first.begin(), first.end());
    body.insert(body.end(), {927, 7});
    body.insert(body.end(), second.begin(), second.end());
    body.push_back(65);  // one more byte, single
    const TVekBarcode barcode = symbol(body);
    ASSERT_TRUE(barcode.isValid) << barcode.error;
    EXPECT_EQ(barcode.bytes, "\xC4\xD6\xDC\xE4\xF6\xFC\xB6\xB6\xB6\xB6\xB6\xB6" "A");
    ASSERT_EQ(barcode.eciMarks.size(), 2u);
    EXPECT_EQ(barcode.eciMarks[0], (TVekEciMark{0, 3}));
    EXPECT_EQ(barcode.eciMarks[1], (TVekEciMark{6, 7}));

    // Each piece latched on its own by 901, six bytes each, nothing after.
    TVectorInteger latched{927, 3, 901};
    latched.insert(latched.end(), first.begin(), first.end());
    latched.insert(latched.end(), {927, 7, 901});
    latched.insert(latched.end(), second.begin(), second.end());
    const TVekBarcode pieces = symbol(latched);
    ASSERT_TRUE(pieces.isValid) << pieces.error;
    EXPECT_EQ(pieces.bytes, "\xC4\xD6\xDC\xE4\xF6\xFC\xB6\xB6\xB6\xB6\xB6\xB6");

    // The documented decoding keeps its message for the latch before the
    // designator, and the last five codewords under 901 as single bytes.
    expectInvalid({2, 901}, "Latch should be LATCH_TO_BYTE6");
    TVectorInteger documented{7, 901};
    documented.insert(documented.end(), {65, 66, 67, 68, 69});
    EXPECT_EQ(decodeText(documented), "ABCDE");
}

}  // namespace
}  // namespace orvel
