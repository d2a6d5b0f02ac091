// End to end: zint symbols cut into the region matrices the reader samples,
// corrected by TVekDatamatrixDecoder and decoded by TVekDatamatrixCWDecoder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "DatamatrixTestHelpers.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"
#include "datamatrix/VekDecodeCWException.h"
#include "datamatrix/VekReedSolomonDM.h"
#include "support/TestSupport.h"

namespace orvel::test {
namespace {

#define REQUIRE_ZINT()                                   \
    do {                                                 \
        if (!haveZint()) GTEST_SKIP() << "zint missing"; \
    } while (0)

TModuleMatrix makeSymbol(const std::string& arguments) {
    TModuleMatrix symbol = zintDatamatrix(arguments);
    EXPECT_GE(squareSizeIndex(symbol), 0) << "zint " << arguments;
    return symbol;
}

std::string repeatText(const std::string& pattern, size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += pattern[i % pattern.size()];
    return text;
}

// FNC1 as the group separator 29, whether it came as the ASCII control entry
// or as the C40 value 232.
TVectorInteger withFnc1AsGs(const TVectorInteger& values, const TVectorString& texts) {
    TVectorInteger result;
    for (size_t i = 0; i < values.size(); ++i) {
        const bool fnc1 = (values[i] == -1 && texts[i] == "FNC1") || (values[i] == 232 && texts[i].empty());
        result.push_back(fnc1 ? 29 : values[i]);
    }
    return result;
}

TEST(DatamatrixSymbol, EverySquareSizeDecodesItsContent) {
    REQUIRE_ZINT();
    for (int32_t index = 0; index < DM_SQUARE_SYMBOL_SIZE_COUNT; ++index) {
        const int32_t capacity = symbolSizeTable[index][DM_DATA_CODEWORDS];
        const std::string text = repeatText("orvel reads data matrix 2026; ", capacity * 3 / 4);
        const TModuleMatrix symbol = makeSymbol("--vers=" + std::to_string(index + 1) + " -d " + shellQuote(text));
        ASSERT_EQ(squareSizeIndex(symbol), index);
        EXPECT_EQ(decodeContent(decodeSymbolCodewords(symbol)), bytesOf(text)) << "size index " << index;
    }
}

// Each text with the codeword zint starts its encodation with, so that the
// mode under test is really used.
TEST(DatamatrixSymbol, EncodationsComeBackExactly) {
    REQUIRE_ZINT();
    struct Case {
        std::string text;
        int32_t expectedFirstCodeword;  // -1: not checked
        int32_t expectedSomewhere;      // a codeword the encodation must contain, -1: none
    };
    const std::vector<Case> cases = {
        {"2026 0815 4711 123456789012", 150, -1},              // digit pairs
        {"café", -1, 235},                                     // Upper Shift
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", 230, -1},           // C40
        {"ABCDEFÄÖÜABCDEFGH", 230, -1},                        // C40 with Upper Shift
        {"abcdefghijklmnopqrstuvwxyz0123", 239, -1},           // Text
        {"abcdefäöüabcdefgh", 239, -1},                        // Text with Upper Shift
        {"YANKEE DOODLE YANKEE DOODLE", 230, -1},              // C40 opening 239, 204
        {"WSWSWSWSWSWSWSWSWSWSWSWS", 230, -1},                 // C40 opening 230, 37
        {"YCYCYCYCYCYCYCYCYCYCYCYCYC", -1, 240},               // C40 opening 240, 39
        {"ABCDEFG\r\nHIJKLMNOP", -1, 230},                     // Shift 1 third in a pair
        {"ABCDEF\r\nGHIJKLMNOP", -1, 230},
        {"ABCDEFGH\r\nIJKLMNOP", -1, 230},
    };
    for (const Case& c : cases) {
        const TModuleMatrix symbol = makeSymbol("-d " + shellQuote(c.text));
        const TVectorInteger codewords = decodeSymbolCodewords(symbol);
        if (c.expectedFirstCodeword >= 0) {
            EXPECT_EQ(codewords[0], c.expectedFirstCodeword) << c.text;
        }
        if (c.expectedSomewhere >= 0) {
            EXPECT_NE(std::find(codewords.begin(), codewords.end(), c.expectedSomewhere), codewords.end()) << c.text;
        }
        // zint reads UTF-8 and encodes ISO 8859-1.
        std::string latin1;
        for (size_t i = 0; i < c.text.size(); ++i) {
            const auto byte = static_cast<uint8_t>(c.text[i]);
            if (byte == 0xC3 && i + 1 < c.text.size()) latin1 += static_cast<char>(static_cast<uint8_t>(c.text[++i]) + 0x40);
            else latin1 += c.text[i];
        }
        EXPECT_EQ(decodeContent(codewords), bytesOf(latin1)) << c.text;
    }
}

TEST(DatamatrixSymbol, Base256ShortLongAndToTheEnd) {
    REQUIRE_ZINT();
    auto escaped = [](const TVectorInteger& bytes) {
        std::string text;
        char hex[8];
        for (int32_t b : bytes) {
            std::snprintf(hex, sizeof hex, "\\x%02x", b);
            text += hex;
        }
        return text;
    };
    TVectorInteger shortField, longField;
    for (int32_t i = 0; i < 20; ++i) shortField.push_back((i * 37 + 128) % 256);
    for (int32_t i = 0; i < 300; ++i) longField.push_back((i * 91 + 200) % 256);
    for (const TVectorInteger& bytes : {shortField, longField}) {
        const TModuleMatrix symbol = makeSymbol("--binary --esc -d " + shellQuote(escaped(bytes)));
        const TVectorInteger codewords = decodeSymbolCodewords(symbol);
        EXPECT_EQ(codewords[0], 231);
        EXPECT_EQ(decodeContent(codewords), bytes) << bytes.size() << " bytes";
    }
    // Three bytes fill a 12 x 12 symbol: zint gives the field the length 0,
    // which runs to the end of the symbol.
    const TVectorInteger filling = {255, 254, 253};
    const TModuleMatrix symbol = makeSymbol("--vers=2 --binary --esc -d " + shellQuote(escaped(filling)));
    const TVectorInteger codewords = decodeSymbolCodewords(symbol);
    ASSERT_EQ(codewords.size(), 5u);
    EXPECT_EQ(codewords[1], 44);  // 0 randomised at position 2
    EXPECT_EQ(decodeContent(codewords), filling);
}

TEST(DatamatrixSymbol, Gs1StructuredAppendAndEci) {
    REQUIRE_ZINT();
    TVectorString texts;
    // FNC1 first and as separator, once in ASCII and once inside C40.
    TVectorInteger values =
        decodeContent(decodeSymbolCodewords(makeSymbol("--gs1 -d '[01]09501101530003[10]AB12[17]140704'")), &texts);
    EXPECT_EQ(texts[0], "FNC1");
    EXPECT_EQ(withFnc1AsGs(values, texts), bytesOf("\x1d" "0109501101530003" "10AB12\x1d" "17140704"));
    const TVectorInteger c40Codewords = decodeSymbolCodewords(makeSymbol("--gs1 -d '[10]ABCDEFGHIJ[21]KLMNOPQRST'"));
    values = decodeContent(c40Codewords, &texts);
    EXPECT_NE(std::find(values.begin(), values.end(), 232), values.end()) << "FNC1 inside C40";
    EXPECT_EQ(withFnc1AsGs(values, texts), bytesOf("\x1d" "10ABCDEFGHIJ\x1d" "21KLMNOPQRST"));

    values = decodeContent(decodeSymbolCodewords(makeSymbol("--structapp=2,3 -d 'Part two'")), &texts);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values[0], -1);
    EXPECT_EQ(texts[0].rfind("STRUCTURED_APPEND: 2/3 ", 0), 0u) << texts[0];
    EXPECT_EQ(TVectorInteger(values.begin() + 1, values.end()), bytesOf("Part two"));

    values = decodeContent(decodeSymbolCodewords(makeSymbol("--eci=26 -d 'Grüße aus Orvel'")), &texts);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values[0], -1);
    EXPECT_EQ(texts[0], "ECI: 26");
    EXPECT_EQ(TVectorInteger(values.begin() + 1, values.end()), bytesOf("Grüße aus Orvel"));  // UTF-8 bytes
    values = decodeContent(decodeSymbolCodewords(makeSymbol("--eci=899 -d 'ABC'")), &texts);
    EXPECT_EQ(texts[0], "ECI: 899");
}

// The stream positions of block `block`: its data codewords and, except in
// 144 x 144 symbols (whose error correction order depends on the encoder), its
// error correction codewords.
std::vector<int32_t> blockPositions(int32_t sizeIndex, int32_t block) {
    const auto& size = symbolSizeTable[sizeIndex];
    const int32_t blocks = size[DM_BLOCK_COUNT];
    std::vector<int32_t> positions;
    for (int32_t j = block; j < size[DM_DATA_CODEWORDS]; j += blocks) positions.push_back(j);
    if (sizeIndex != DM_SIZE_144) {
        for (int32_t i = block; i < size[DM_ECC_CODEWORDS]; i += blocks) positions.push_back(size[DM_DATA_CODEWORDS] + i);
    }
    return positions;
}

// Spoils `errors` codewords of the block, spread over it.
void damageBlock(TModuleMatrix& symbol, int32_t sizeIndex, int32_t block, int32_t errors) {
    TVectorInteger stream = readStream(symbol, sizeIndex);
    const std::vector<int32_t> positions = blockPositions(sizeIndex, block);
    ASSERT_LE(errors, static_cast<int32_t>(positions.size()));
    for (int32_t e = 0; e < errors; ++e) {
        const size_t at = static_cast<size_t>(e) * positions.size() / static_cast<size_t>(errors);
        stream[positions[at]] ^= 0xA5 ^ e;
    }
    writeStream(symbol, sizeIndex, stream);
}

void expectCorrectionLimit(const TModuleMatrix& clean, const std::string& text) {
    const int32_t sizeIndex = squareSizeIndex(clean);
    const int32_t blocks = symbolSizeTable[sizeIndex][DM_BLOCK_COUNT];
    const int32_t t = symbolSizeTable[sizeIndex][DM_ECC_PER_BLOCK] / 2;
    TModuleMatrix damaged = clean;
    for (int32_t b = 0; b < blocks; ++b) damageBlock(damaged, sizeIndex, b, t);
    ASSERT_NE(readStream(damaged, sizeIndex), readStream(clean, sizeIndex));
    EXPECT_EQ(decodeContent(decodeSymbolCodewords(damaged)), bytesOf(text)) << "size index " << sizeIndex;
    for (int32_t b = 0; b < blocks; ++b) {
        TModuleMatrix tooMuch = clean;
        damageBlock(tooMuch, sizeIndex, b, t + 1);
        try {
            decodeSymbolCodewords(tooMuch);
            ADD_FAILURE() << "size index " << sizeIndex << " block " << b << ": " << t + 1 << " errors corrected";
        } catch (const TVekRSException& e) {
            EXPECT_STREQ(e.what(), "Cannot solve RS errors");
        }
    }
}

TEST(DatamatrixSymbol, CorrectsHalfTheCheckCodewordsPerBlockAndNoMore) {
    REQUIRE_ZINT();
    // One block each, then 2 (52 x 52: the interleaving), 2 of 140, 4 and 6 blocks.
    for (int32_t version : {1, 2, 4, 10, 15, 16, 17, 21}) {
        const int32_t capacity = symbolSizeTable[version - 1][DM_DATA_CODEWORDS];
        const std::string text = repeatText("correct me 0123456789 ", capacity / 2);
        expectCorrectionLimit(makeSymbol("--vers=" + std::to_string(version) + " -d " + shellQuote(text)), text);
    }
}

// zint writes 144 x 144 symbols with the error correction codewords of block b
// where the standard has those of block b + 2; both orders must decode, and
// correct up to 31 errors per block.
TEST(DatamatrixSymbol, Symbol144InBothErrorCorrectionOrders) {
    REQUIRE_ZINT();
    const std::string text = repeatText("orvel 144 x 144 ", 1400);
    const TModuleMatrix shifted = makeSymbol("--vers=24 -d " + shellQuote(text));
    ASSERT_EQ(squareSizeIndex(shifted), DM_SIZE_144);

    // The same symbol in the standard's order.
    const int32_t data = symbolSizeTable[DM_SIZE_144][DM_DATA_CODEWORDS];
    const int32_t ecc = symbolSizeTable[DM_SIZE_144][DM_ECC_CODEWORDS];
    const TVectorInteger shiftedStream = readStream(shifted, DM_SIZE_144);
    TVectorInteger standardStream = shiftedStream;
    for (int32_t i = 0; i < ecc; ++i) {
        const int32_t block = (i % 10 + 8) % 10;
        standardStream[data + (i / 10) * 10 + block] = shiftedStream[data + i];
    }
    TModuleMatrix standard = shifted;
    writeStream(standard, DM_SIZE_144, standardStream);
    ASSERT_NE(standardStream, shiftedStream);

    for (const TModuleMatrix* symbol : std::vector<const TModuleMatrix*>{&shifted, &standard}) {
        EXPECT_EQ(decodeContent(decodeSymbolCodewords(*symbol)), bytesOf(text));
        expectCorrectionLimit(*symbol, text);
    }
}

}  // namespace
}  // namespace orvel::test
