// Real symbols: zint renders them, the tests read the module map back through
// the mode message, the data layers and the decoder, and compare the content.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekAztecDecoder.h"
#include "aztec/VekReedSolomonAZ.h"
#include "support/AztecTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::decodeAztecMap;
using test::valuesOf;
using test::zintAztecSymbol;

// zint's --esc form of any bytes, so that binary content passes the shell.
std::string escaped(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        }
    }
    return text;
}

std::string zintArguments(const std::string& content, const std::string& options = "") {
    return options + " --binary --esc -d " + test::shellQuote(escaped(content));
}

// Content that walks through every character mode: upper, lower, digits,
// mixed (controls and symbols), punctuation with the two-character codes,
// and short binary runs.
std::string mixedContent(size_t length, unsigned seed) {
    static const char* const pieces[] = {
        "THE QUICK BROWN FOX ", "jumps over the lazy dog ", "0123456789 2026.12,07 ",
        "@\\^_`|~\x01\x1b\x7f", "!\"#$%&'()*+-/;<=>?[]{}", "\r\n", "Done. ", "one, two: ",
        "\x80\xff\x00\xc3\xa9", "MiXeD cAsE 42 "};
    std::string text;
    unsigned state = seed;
    while (text.size() < length) {
        state = state * 1103515245u + 12345u;
        text += pieces[(state >> 16) % (sizeof pieces / sizeof pieces[0])];
    }
    text.resize(length);
    return text;
}

std::string randomBytes(size_t length, unsigned seed) {
    std::string bytes;
    unsigned state = seed;
    for (size_t i = 0; i < length; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>((state >> 16) & 0xFF);
    }
    return bytes;
}

void expectDecodes(const std::string& content, const std::string& options = "") {
    const auto symbol = zintAztecSymbol(zintArguments(content, options));
    ASSERT_TRUE(symbol) << "zint failed: " << options;
    const TVekAztecData data = decodeAztecMap(symbol->map, symbol->compact);
    EXPECT_EQ(data.getValue(), valuesOf(content)) << options;
}

class AztecSymbol : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    }
};

// Every size: compact 1 ... 4 layers (zint versions 1 ... 4) and full-range
// 1 ... 32 layers (versions 5 ... 36), each about half filled with content of
// every mode. Compact 4-layer symbols stay at 64 data codewords or fewer:
// zint 2.11 writes a wrong count into the mode message above that.
TEST_F(AztecSymbol, EverySizeDecodesExactly) {
    for (int32_t version = 1; version <= 36; ++version) {
        const bool compact = version <= 4;
        const int32_t layers = compact ? version : version - 4;
        const int32_t row = findAztecConfiguration(layers, compact);
        const auto& configuration = AZTEC_CONFIGURATIONS[static_cast<size_t>(row)];
        const auto length = static_cast<size_t>(configuration[AZ_CONF_TOTAL_BITS] / 16);
        const std::string content = mixedContent(length, static_cast<unsigned>(version));

        const auto symbol = zintAztecSymbol(zintArguments(content, "--vers=" + std::to_string(version)));
        ASSERT_TRUE(symbol) << "version " << version;
        EXPECT_EQ(symbol->compact, compact) << "version " << version;
        EXPECT_EQ(symbol->map.getWidth(), configuration[AZ_CONF_WIDTH]);
        const TVekAztecModeMessage mode = test::readModeMessage(*symbol);
        EXPECT_EQ(mode.layers, layers) << "version " << version;
        EXPECT_LE(mode.dataCodewords, configuration[AZ_CONF_CODEWORDS]);

        const TVekAztecData data = decodeAztecMap(symbol->map, symbol->compact);
        EXPECT_EQ(data.getValue(), valuesOf(content)) << "version " << version;
        EXPECT_EQ(data.codewordSize, configuration[AZ_CONF_WORD_SIZE]);
    }
}

TEST_F(AztecSymbol, EachModeDecodesExactly) {
    expectDecodes("AZTEC CODE READER");
    expectDecodes("lower case only here");
    expectDecodes("3141592653589793238462643383279502884197");
    expectDecodes("@@\\\\^^__``||~~\x7f\x01\x02\x1b\x1c\x1d\x1e\x1f\t\x0b\x0c");
    expectDecodes("!!\"\"##$$%%&&''(())**++--//;;<<==>>??[[]]{{}}");
    // The two-character punctuation codes: CR LF, ". ", ", ", ": ".
    expectDecodes("Line one.\r\nLine two. Then, three: four.\r\nEnd. ");
    expectDecodes("Hello, World! 1234 abc@example.com ~ {ok} [1] (2) 3.14; x=y?");
    expectDecodes("aAbBcCdD 1a2B3c MIXED lower UPPER 987 654");
}

TEST_F(AztecSymbol, BinaryRunsDecodeExactly) {
    expectDecodes(std::string("\xc3\xa9t\xc3\xa9", 6));
    expectDecodes(randomBytes(1, 1));
    expectDecodes(randomBytes(31, 2));     // the longest 5-bit length
    expectDecodes(randomBytes(32, 3));     // the shortest 11-bit length
    expectDecodes(randomBytes(300, 4));
    expectDecodes(randomBytes(1200, 5));   // a 12-bit-word symbol
    expectDecodes("ABC" + randomBytes(40, 6) + "def" + randomBytes(3, 7) + "123");
}

TEST_F(AztecSymbol, StructuredAppendHeaderIsConsumed) {
    struct Case {
        std::string options;
        std::string content;
        int32_t position;
        int32_t total;
    };
    const Case cases[] = {{"--structapp=2,3", "HELLO", 2, 3},
                          {"--structapp=1,2,MYID", "hello world", 1, 2},
                          {"--structapp=26,26,ID42", "Last one. 123", 26, 26}};
    for (const Case& c : cases) {
        const auto symbol = zintAztecSymbol(zintArguments(c.content, c.options));
        ASSERT_TRUE(symbol) << c.options;
        TVekAztecDecoder decoder;
        const TVekAztecData data = decodeAztecMap(symbol->map, symbol->compact, decoder);
        EXPECT_EQ(data.getValueAsString(), c.content) << c.options;
        EXPECT_EQ(decoder.getAppendPosition(), c.position) << c.options;
        EXPECT_EQ(decoder.getAppendTotal(), c.total) << c.options;
    }
}

// FNC1 and ECI designators produce no values, and the characters after them
// are read in the mode that was active before the punctuation shift.
TEST_F(AztecSymbol, FlagsProduceNoValues) {
    const auto eci = zintAztecSymbol("--eci=26 -d " + test::shellQuote("caf\xc3\xa9 123"));
    ASSERT_TRUE(eci);
    EXPECT_EQ(decodeAztecMap(eci->map, eci->compact).getValueAsString(), "caf\xc3\xa9 123");

    const auto gs1 = zintAztecSymbol("--gs1 -d '[01]12345678901231[21]ABC123'");
    ASSERT_TRUE(gs1);
    EXPECT_EQ(decodeAztecMap(gs1->map, gs1->compact).getValueAsString(), "011234567890123121ABC123");
}

// The mode message survives 2 (compact) or 3 (full-range) damaged words.
TEST_F(AztecSymbol, DamagedModeMessageIsCorrected) {
    for (const std::string version : {"2", "12"}) {
        const std::string content = "MODE MESSAGE 123";
        auto symbol = zintAztecSymbol(zintArguments(content, "--vers=" + version));
        ASSERT_TRUE(symbol);
        const bool compact = symbol->compact;
        const int32_t r = compact ? 5 : 7;
        // Modules of the first, third and fifth 4-bit word: top side, then right side.
        const int32_t words = compact ? 2 : 3;
        const std::pair<int32_t, int32_t> hits[] = {{-3, -r}, {compact ? 1 : 3, -r}, {r, compact ? -2 : -4}};
        for (int32_t i = 0; i < words; ++i) {
            const auto [x, y] = hits[i];
            symbol->map.setCell(x, y, 1 - symbol->map.getCell(x, y));
        }
        EXPECT_EQ(decodeAztecMap(symbol->map, compact).getValueAsString(), content) << "version " << version;
    }
}

// Flips every bit of `count` codewords spread over the symbol.
TVekAzBitString damageCodewords(const TVekAzBitString& bits, int32_t wordSize, int32_t count) {
    std::string text = bits.getBits();
    const auto offset = static_cast<int32_t>(text.size()) % wordSize;
    const auto words = static_cast<int32_t>(text.size()) / wordSize;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t word = static_cast<int32_t>(static_cast<int64_t>(i) * words / count);
        for (int32_t b = 0; b < wordSize; ++b) {
            char& c = text[static_cast<size_t>(offset + word * wordSize + b)];
            c = c == '1' ? '0' : '1';
        }
    }
    return TVekAzBitString(text);
}

// Damage up to the correctable number of codewords is repaired; one more is
// reported, for each word size.
TEST_F(AztecSymbol, DamagedCodewordsUpToTheLimit) {
    for (int32_t version : {1, 2, 3, 6, 9, 17, 27}) {
        const bool compact = version <= 4;
        const int32_t row = findAztecConfiguration(compact ? version : version - 4, compact);
        const auto& configuration = AZTEC_CONFIGURATIONS[static_cast<size_t>(row)];
        const std::string content =
            mixedContent(static_cast<size_t>(configuration[AZ_CONF_TOTAL_BITS] / 16), static_cast<unsigned>(version));
        const auto symbol = zintAztecSymbol(zintArguments(content, "--vers=" + std::to_string(version)));
        ASSERT_TRUE(symbol);
        const TVekAztecModeMessage mode = test::readModeMessage(*symbol);
        const int32_t wordSize = configuration[AZ_CONF_WORD_SIZE];
        const int32_t correctable = (configuration[AZ_CONF_CODEWORDS] - mode.dataCodewords) / 2;
        const TVekAzBitString bits = readLayers(symbol->map, symbol->compact);

        TVekAztecDecoder decoder;
        const TVekAztecData repaired =
            decoder.decode(wordSize, row, damageCodewords(bits, wordSize, correctable), mode.dataCodewords);
        EXPECT_EQ(repaired.getValue(), valuesOf(content)) << "version " << version;
        EXPECT_THROW(decoder.decode(wordSize, row, damageCodewords(bits, wordSize, correctable + 1),
                                    mode.dataCodewords),
                     TVekAZReedException)
            << "version " << version;
    }
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

// A saved 32-layer symbol (151 x 151 modules, 12-bit words), read without zint.
TEST(AztecSavedSymbol, ThirtyTwoLayersDecodeExactly) {
    const std::string dir = std::string(ORVEL_SOURCE_DIR) + "/tests/data/aztec/";
    const auto symbol = test::aztecSymbolFromRows(test::readDumpFile(dir + "full-range-32-layers.dump"));
    ASSERT_TRUE(symbol);
    EXPECT_FALSE(symbol->compact);
    EXPECT_EQ(test::readModeMessage(*symbol).layers, 32);
    std::ifstream file(dir + "full-range-32-layers.txt", std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(content.size(), 2700u);
    EXPECT_EQ(test::decodeAztecMap(symbol->map, false).getValueAsString(), content);
}

}  // namespace
}  // namespace orvel
