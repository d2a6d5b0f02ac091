#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "foundation/VekBarcode.h"
#include "foundation/VekGS1AITable.h"
#include "foundation/VekGS1CheckDigit.h"
#include "foundation/VekGS1Parser.h"
#include "foundation/VekSymbology.h"

namespace orvel {
namespace {

using Kind = TVekGS1ErrorKind;
constexpr char GS = '\x1D';

TVekGS1Content parse(const std::string& text) { return TVekGS1Parser::parse(text); }

TEST(GS1AITable, EveryRowIsWellFormedAndNoAIIsThePrefixOfAnother) {
    const auto all = TVekGS1AITable::all();
    ASSERT_GT(all.size(), 300u);
    std::set<std::string> seen;
    for (const TVekGS1ApplicationIdentifier& row : all) {
        EXPECT_TRUE(seen.insert(row.ai).second) << row.ai;
        EXPECT_GE(row.ai.size(), 2u);
        EXPECT_LE(row.ai.size(), 4u);
        ASSERT_FALSE(row.components.empty()) << row.ai;
        for (const TVekGS1Component& component : row.components) {
            EXPECT_GE(component.minLength, 1) << row.ai;
            EXPECT_LE(component.minLength, component.maxLength) << row.ai;
        }
        EXPECT_LE(row.maxLength(), 90) << row.ai;
        // lookup finds the row itself from its AI followed by anything
        const auto found = TVekGS1AITable::lookup(row.ai + "123");
        ASSERT_TRUE(found) << row.ai;
        EXPECT_EQ(found->ai, row.ai);
    }
    for (const std::string& a : seen) {
        for (const std::string& b : seen) {
            if (a != b) {
                EXPECT_FALSE(b.starts_with(a)) << a << " is a prefix of " << b;
            }
        }
    }
}

TEST(GS1AITable, KnowsFormatsDecimalsAndPredefinedLengths) {
    const auto gtin = TVekGS1AITable::lookup("01");
    ASSERT_TRUE(gtin);
    EXPECT_TRUE(gtin->isFixedLength());
    EXPECT_EQ(gtin->maxLength(), 14);
    EXPECT_EQ(gtin->components[0].meaning, TVekGS1Meaning::checkDigit);
    const auto weight = TVekGS1AITable::lookup("3103");
    ASSERT_TRUE(weight);
    EXPECT_EQ(weight->ai, "3103");
    EXPECT_TRUE(weight->impliedDecimal);
    EXPECT_FALSE(TVekGS1AITable::lookup("3106")) << "a net weight has at most five decimals";
    EXPECT_FALSE(TVekGS1AITable::lookup("14")) << "AI 14 is reserved";
    const auto cpid = TVekGS1AITable::lookup("8010");
    ASSERT_TRUE(cpid);
    EXPECT_EQ(cpid->components[0].charset, TVekGS1Charset::cset39);
    EXPECT_FALSE(TVekGS1AITable::lookup("10")->impliedDecimal);
    EXPECT_TRUE(TVekGS1AITable::hasPredefinedLength("3103"));
    EXPECT_TRUE(TVekGS1AITable::hasPredefinedLength("00"));
    EXPECT_FALSE(TVekGS1AITable::hasPredefinedLength("10"));
    EXPECT_FALSE(TVekGS1AITable::hasPredefinedLength("7003"));
}

TEST(GS1Parser, ReadsTheExamplesOfTheGeneralSpecifications) {
    // GTIN, expiry date, then the variable-length batch last without a separator.
    const auto label = parse("0109501101530003171407041" "0AB-123");
    ASSERT_TRUE(label.isValid()) << label.error;
    EXPECT_EQ(label.hri(), "(01)09501101530003(17)140704(10)AB-123");
    ASSERT_EQ(label.elements.size(), 3u);
    EXPECT_EQ(label.elements[2], (TVekGS1Element{"10", "AB-123"}));

    // A variable-length value in the middle ends with GS.
    const auto logistic = parse(std::string("00106141411234567897") + "10LOT7" + GS + "3103001250" + "15260200");
    ASSERT_TRUE(logistic.isValid()) << logistic.error;
    EXPECT_EQ(logistic.hri(), "(00)106141411234567897(10)LOT7(3103)001250(15)260200");

    // A leading GS (transmitted FNC1) and a GS after a fixed-length value are
    // skipped; a trailing GS too.
    const auto loose = parse(std::string(1, GS) + "0109501101530003" + GS + "21ABC%&/" + GS);
    ASSERT_TRUE(loose.isValid()) << loose.error;
    EXPECT_EQ(loose.hri(), "(01)09501101530003(21)ABC%&/");

    // Several components: GDTI (GLN with check digit and serial), amount with
    // currency, harvest date range, production time with minutes, internal AI.
    const auto many = parse(std::string("2539521234567899ABC") + GS + "39120978123" + GS + "7007230101230131" + GS +
                            "8008231231235959" + GS + "99any-text?");
    ASSERT_TRUE(many.isValid()) << many.error;
    EXPECT_EQ(many.hri(), "(253)9521234567899ABC(3912)0978123(7007)230101230131(8008)231231235959(99)any-text?");

    // Day 00 means the month as a whole in (15), (17).
    EXPECT_TRUE(parse("17250200").isValid());
    // 29 February in a leap year.
    EXPECT_TRUE(parse("11240229").isValid());
}

struct TBadCase {
    std::string elementString;
    Kind kind;
    std::string ai;  // named in the message
};

TEST(GS1Parser, ReportsEachKindOfError) {
    const std::vector<TBadCase> cases = {
        {"0109501101530004", Kind::badCheckDigit, "(01)"},
        {"00106141411234567890", Kind::badCheckDigit, "(00)"},
        {"4109521234567891", Kind::badCheckDigit, "(410)"},
        {"800309501101530004ABC", Kind::badCheckDigit, "(8003)"},
        {"010950110153000", Kind::wrongLength, "(01)"},
        {std::string("01095011015300") + GS + "10A", Kind::wrongLength, "(01)"},
        {"10ABCDEFGHIJKLMNOPQRSTU", Kind::wrongLength, "(10)"},
        {std::string("10") + GS + "17240101", Kind::wrongLength, "(10)"},
        {"3103001250X", Kind::unknownAI, ""},
        {"0109501101530003" "14123456", Kind::unknownAI, "\"14"},
        {"AB123", Kind::unknownAI, ""},
        {"", Kind::unknownAI, ""},
        {"0109501101530A03", Kind::badCharacter, "(01)"},
        {"10AB CD", Kind::badCharacter, "' '"},
        {"10AB\xE9", Kind::badCharacter, "0xE9"},
        {"8010abc", Kind::badCharacter, "(8010)"},
        {"43212", Kind::badCharacter, "(4321)"},
        {"17241301", Kind::badDate, "(17)"},
        {"17230229", Kind::badDate, "(17)"},
        {"11240431", Kind::badDate, "(11)"},
        {"7006240100", Kind::badDate, "(7006)"},
        {"70032401012460", Kind::badDate, "(7003)"},
        {"8008231231246", Kind::badDate, "(8008)"},
    };
    for (const TBadCase& bad : cases) {
        const auto content = parse(bad.elementString);
        EXPECT_FALSE(content.isValid()) << bad.elementString;
        EXPECT_EQ(content.errorKind, bad.kind) << bad.elementString << ": " << content.error;
        EXPECT_NE(content.error.find(bad.ai), std::string::npos) << content.error;
    }
    // Elements before the error are kept.
    const auto partial = parse("0109501101530003" "17241301");
    ASSERT_EQ(partial.elements.size(), 1u);
    EXPECT_EQ(partial.elements[0].ai, "01");
}

TEST(GS1Content, SymbologyIdentifiersTellGS1Content) {
    for (const char* identifier : {"]C1", "]d2", "]Q3", "]e0", "]z1", "]z4", "]J1"})
        EXPECT_TRUE(marksGS1Content(identifier)) << identifier;
    for (const char* identifier : {"]C0", "]d1", "]Q1", "]z0", "]L2", "]E0", "]Q5", ""})
        EXPECT_FALSE(marksGS1Content(identifier)) << identifier;
}

TEST(GS1Content, BarcodeTextModes) {
    TVekBarcode barcode;
    barcode.format = TVekBarcodeFormat::dataMatrix;
    barcode.symbologyIdentifier = "]d2";
    barcode.bytes = std::string("0109501101530003") + "10AB-123" + GS + "17140704";
    EXPECT_EQ(barcode.text(), barcode.bytes);
    EXPECT_EQ(barcode.text(TVekTextMode::plain), barcode.bytes);
    EXPECT_EQ(barcode.text(TVekTextMode::hri), "(01)09501101530003(10)AB-123(17)140704");
    EXPECT_EQ(barcode.text(TVekTextMode::escaped), "010950110153000310AB-123<GS>17140704");
    EXPECT_EQ(barcode.text(TVekTextMode::bytes).substr(0, 6), "303130");
    EXPECT_EQ(barcode.gs1().elements.size(), 3u);

    // Bad GS1 content: the error is reported, hri shows what the AIs make of it.
    barcode.bytes = "0109501101530004";
    EXPECT_EQ(barcode.gs1().errorKind, Kind::badCheckDigit);
    EXPECT_EQ(barcode.text(TVekTextMode::hri), "(01)09501101530004");
    barcode.bytes = "168901";
    EXPECT_EQ(barcode.gs1().errorKind, Kind::wrongLength);
    EXPECT_EQ(barcode.text(TVekTextMode::hri), "(16)8901");
    barcode.bytes = std::string("10AB CD") + GS + "14XY\x04";
    EXPECT_EQ(barcode.text(TVekTextMode::hri), "(10)AB CD14XY<EOT>") << "from an unknown AI on, the rest as it is";
    barcode.bytes = std::string("10AB") + GS + "X" + GS + "Y";
    EXPECT_EQ(barcode.text(TVekTextMode::hri), "(10)ABX<GS>Y");

    // Not GS1: no elements, no error; hri is the escaped text.
    barcode.symbologyIdentifier = "]d1";
    barcode.bytes = std::string("A\x04") + "\x1E\x7F";
    EXPECT_TRUE(barcode.gs1().elements.empty());
    EXPECT_TRUE(barcode.gs1().isValid());
    EXPECT_EQ(barcode.text(TVekTextMode::hri), "A<EOT><RS><DEL>");
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

// A valid value of one component, of random length where the length varies.
std::string validComponent(const TVekGS1Component& component, std::mt19937& random) {
    using M = TVekGS1Meaning;
    switch (component.meaning) {
        case M::dateYYMMDD: return "240229";
        case M::dateYYMMD0: return random() % 2 ? "250100" : "991231";
        case M::dateTimeHH: return "24022923";
        case M::dateTimeHHMM: return "2402292359";
        case M::timeHHMM: return "2359";
        case M::dateYYYYMMDD: return "20000229";
        case M::dateTimeYYYYMMDDHHMM: return "202402290000";
        case M::minutesSeconds: return random() % 2 ? "59" : "0059";
        case M::yesNo: return "1";
        case M::minusSign: return "-";
        case M::none:
        case M::checkDigit: break;
    }
    static const std::string alphabets[] = {
        "0123456789",
        "!\"%&'()*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz",
        "#-/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ",
        "-0123456789=ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz"};
    const std::string& alphabet = alphabets[static_cast<int>(component.charset)];
    const int length = component.minLength + static_cast<int>(random() % (component.maxLength - component.minLength + 1));
    std::string text;
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    if (component.meaning == M::checkDigit) {
        int sum = 0;
        int weight = 3;
        for (size_t i = text.size() - 1; i-- > 0;) {
            sum += (text[i] - '0') * weight;
            weight = 4 - weight;
        }
        text.back() = static_cast<char>('0' + (10 - sum % 10) % 10);
    }
    return text;
}

TEST(GS1Parser, RandomValidElementStringsOfEveryAIReadBackAsWritten) {
    const auto all = TVekGS1AITable::all();
    std::mt19937 random(2024);
    for (int round = 0; round < 2000; ++round) {
        std::vector<TVekGS1Element> elements;
        std::string elementString;
        const int count = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < count; ++k) {
            const TVekGS1ApplicationIdentifier& row = all[random() % all.size()];
            std::string value;
            for (const TVekGS1Component& component : row.components)
                if (!component.optional || random() % 2) value += validComponent(component, random);
            if (!elementString.empty() && !elements.empty() && !TVekGS1AITable::lookup(elements.back().ai)->isFixedLength())
                elementString += GS;
            elementString += row.ai + value;
            elements.push_back({row.ai, value});
        }
        const TVekGS1Content content = TVekGS1Parser::parse(elementString);
        ASSERT_TRUE(content.isValid()) << elementString << ": " << content.error;
        ASSERT_EQ(content.elements, elements) << elementString;
    }
    // Random bytes never crash and never pass a character the sets exclude.
    for (int round = 0; round < 2000; ++round) {
        std::string junk;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) junk += static_cast<char>(random() % 4 ? '0' + random() % 10 : random() % 256);
        const TVekGS1Content content = TVekGS1Parser::parse(junk);
        EXPECT_EQ(content.isValid(), content.error.empty());
        for (const TVekGS1Element& element : content.elements)
            for (char c : element.value) EXPECT_TRUE(c > 0x20 && c < 0x7F) << junk;
    }
}

// The check digits of published numbers: a GTIN-13, a GTIN-8, a UPC-A,
// an SSCC and a GTIN-14.
TEST(GS1CheckDigit, OfPublishedNumbers) {
    EXPECT_EQ(gs1CheckDigit("400638133393"), '1');
    EXPECT_EQ(gs1CheckDigit("9638507"), '4');
    EXPECT_EQ(gs1CheckDigit("03600029145"), '2');
    EXPECT_EQ(gs1CheckDigit("10614141123456789"), '7');
    EXPECT_EQ(gs1CheckDigit("0950110153000"), '3');
    EXPECT_EQ(gs1CheckDigit(""), '0');
}

}  // namespace
}  // namespace orvel
