// The character modes, stuffing and padding on hand-built bit strings.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "aztec/VekAzBitString.h"
#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekAztecDecoder.h"
#include "aztec/VekReedSolomonAZ.h"
#include "support/AztecTestSupport.h"

namespace orvel {
namespace {

using test::valuesOf;

// Codes written as (bits, value) pairs.
TVekAzBitString codes(std::initializer_list<std::pair<int32_t, uint32_t>> list) {
    TVekAzBitString bits;
    for (const auto& [n, value] : list) bits.appendBits(value, n);
    return bits;
}

// 5-bit codes only.
TVekAzBitString codes5(std::initializer_list<uint32_t> list) {
    TVekAzBitString bits;
    for (uint32_t value : list) bits.appendBits(value, 5);
    return bits;
}

TVectorInteger decodeText(TVekAzBitString bits, int32_t wordSize = 6) {
    TVekAztecDecoder decoder;
    return decoder.decodeCharacters(wordSize, bits, TVekAztecMode::UPPER);
}

std::string decodeString(TVekAzBitString bits) {
    TVekAztecData data;
    data.setValue(decodeText(std::move(bits)));
    return data.getValueAsString();
}

// Upper-mode latches and shifts: 0 P/S, 28 L/L, 29 M/L, 30 D/L, 31 B/S.
constexpr uint32_t PS = 0, LL = 28, ML = 29, DL = 30, BS = 31;
constexpr uint32_t US_LOWER = 28, LL_MIXED = 28, UL_MIXED = 29, PL_MIXED = 30, UL_PUNCT = 31;
constexpr uint32_t US_DIGIT = 15, UL_DIGIT = 14;

TEST(AztecBitString, ReadsPastTheEndAsOnes) {
    TVekAzBitString bits("101");
    EXPECT_EQ(bits.peekBits(5), 0b10111);
    EXPECT_EQ(bits.length(), 3);
    EXPECT_EQ(bits.readBits(5), 0b10111);
    EXPECT_TRUE(bits.isEmpty());
    EXPECT_EQ(bits.peekBits(4), 1);
    EXPECT_EQ(bits.readBits(4), 1);

    bits.prependBit(0);
    bits.prependBit(1);
    EXPECT_EQ(bits.getBits(), "10");
    bits.appendBits(0b011, 3);
    EXPECT_EQ(bits.readBits(2), 0b10);
    bits.prependBit(1);
    EXPECT_EQ(bits.getBits(), "1011");
}

TEST(AztecDecoder, UpperLowerAndTheOneCharacterShift) {
    EXPECT_EQ(decodeText(codes5({2, 3})), valuesOf("AB"));
    // The upper shift of lower mode covers one character.
    EXPECT_EQ(decodeString(codes5({LL, 2, US_LOWER, 2, 3})), "aAb");
    // After the shift has returned, a latch and two characters stay in the new mode.
    EXPECT_EQ(decodeString(codes5({LL, 2, US_LOWER, 2, 3, ML, 20, 20})), "aAb@@");
    EXPECT_EQ(decodeString(codes5({LL, 2, PS, 6, 3, ML, 20, 20, LL_MIXED, 4})), "a!b@@c");
}

TEST(AztecDecoder, PunctuationPairsGiveTwoValues) {
    EXPECT_EQ(decodeText(codes5({PS, 2})), (TVectorInteger{13, 10}));
    EXPECT_EQ(decodeString(codes5({2, PS, 3, PS, 4, PS, 5, 3})), "A. , : B");
    EXPECT_EQ(decodeString(codes5({PS, 1, PS, 30, PS, 12})), "\r}'");
}

TEST(AztecDecoder, DigitModeUsesFourBitCodes) {
    // D/L "1" U/S "A" "2" P/S "!" "3" U/L "B"
    const auto bits = codes({{5, DL}, {4, 3}, {4, US_DIGIT}, {5, 2}, {4, 4}, {4, PS}, {5, 6}, {4, 5},
                             {4, UL_DIGIT}, {5, 3}});
    EXPECT_EQ(decodeString(bits), "1A2!3B");
}

TEST(AztecDecoder, MixedAndPunctuationLatches) {
    EXPECT_EQ(decodeString(codes5({ML, 2, 15, 27, 1, UL_MIXED, 2})), std::string("\x01\x1b\x7f A"));
    // Mixed 30 latches to punctuation, which stays until its own U/L.
    EXPECT_EQ(decodeString(codes5({ML, PL_MIXED, 6, 26, 19, UL_PUNCT, 2})), "!?.A");
    EXPECT_EQ(decodeString(codes5({ML, 28, 2, US_LOWER, 2})), "aA");
}

TEST(AztecDecoder, FlagsAreConsumedWithoutValues) {
    // FNC1: P/S FLG(0) from upper, then upper again.
    EXPECT_EQ(decodeString(codes({{5, 2}, {5, PS}, {5, 0}, {3, 0}, {5, 3}})), "AB");
    // ECI 26: P/S FLG(2) "2" "6" from lower, then lower again.
    EXPECT_EQ(decodeString(codes({{5, LL}, {5, 2}, {5, PS}, {5, 0}, {3, 2}, {4, 4}, {4, 8}, {5, 3}})), "ab");
    // From digit mode the codes after the flag are 4-bit digits again.
    EXPECT_EQ(decodeString(codes({{5, DL}, {4, 3}, {4, PS}, {5, 0}, {3, 0}, {4, 4}})), "12");
}

TEST(AztecDecoder, BinaryRuns) {
    EXPECT_EQ(decodeText(codes({{5, BS}, {5, 2}, {8, 0xFF}, {8, 0x00}, {5, 2}})), (TVectorInteger{255, 0, 65}));
    // Binary shift from lower returns to lower.
    EXPECT_EQ(decodeString(codes({{5, LL}, {5, BS}, {5, 1}, {8, 'X'}, {5, 2}})), "Xa");
    // Length 0 announces an 11-bit length counted from 31.
    TVekAzBitString bits = codes({{5, BS}, {5, 0}, {11, 1}});
    for (int i = 0; i < 32; ++i) bits.appendBits(static_cast<uint32_t>(i), 8);
    bits.appendBits(3, 5);
    TVectorInteger expected;
    for (int i = 0; i < 32; ++i) expected.push_back(i);
    expected.push_back('B');
    EXPECT_EQ(decodeText(bits), expected);
    // From digits, an upper shift followed by a binary shift comes back to upper
    // after the run ("3", U/S, B/S "h", then upper "H").
    EXPECT_EQ(decodeString(codes({{5, DL}, {4, 5}, {4, US_DIGIT}, {5, BS}, {5, 1}, {8, 'h'}, {5, 9}})), "3hH");
    // A run that claims more bytes than remain ends with the bits.
    EXPECT_EQ(decodeText(codes({{5, BS}, {5, 0}, {11, 2047}, {8, 7}})), (TVectorInteger{7}));
}

TEST(AztecDecoder, TrailingBits) {
    // Fewer bits than a codeword, all ones: padding.
    EXPECT_EQ(decodeString(codes({{5, 2}, {4, 0b1111}})), "A");
    // A zero among them: decoded, the missing bits read as ones ("0111" + "1" = 15, N).
    EXPECT_EQ(decodeString(codes({{5, 2}, {4, 0b0111}})), "AN");
}

TEST(AztecDecoder, UnstuffRemovesTheComplementBit) {
    TVekAztecDecoder decoder;
    EXPECT_EQ(decoder.unstuff(6, {1, 62, 5}).getBits(), "00000" "11111" "000101");
    EXPECT_EQ(decoder.unstuff(12, {1, 4094}).getBits(), std::string(11, '0') + std::string(11, '1'));
}

TEST(AztecDecoder, StructuredAppendHeader) {
    TVekAztecDecoder decoder;
    // M/L U/L " ID " position B, total C, then the data.
    TVekAzBitString bits = codes5({ML, UL_MIXED, 1, 10, 5, 1, 3, 4, 25});
    EXPECT_EQ(decoder.decodeCharacters(6, bits, TVekAztecMode::UPPER), valuesOf("X"));
    EXPECT_EQ(decoder.getAppendPosition(), 2);
    EXPECT_EQ(decoder.getAppendTotal(), 3);

    bits = codes5({ML, UL_MIXED, 2, 3, 27});
    EXPECT_EQ(decoder.decodeCharacters(6, bits, TVekAztecMode::UPPER), valuesOf("Z"));
    EXPECT_EQ(decoder.getAppendPosition(), 1);
    EXPECT_EQ(decoder.getAppendTotal(), 2);

    // Without the header the counters are cleared again.
    bits = codes5({2});
    EXPECT_EQ(decoder.decodeCharacters(6, bits, TVekAztecMode::UPPER), valuesOf("A"));
    EXPECT_EQ(decoder.getAppendPosition(), 0);
}

TEST(AztecDecoder, DecodeCorrectsAndReportsWrongCounts) {
    // Compact 1 layer: 17 six-bit words, 104 layer bits with 2 spare ones in front.
    const int32_t row = findAztecConfiguration(1, true);
    const TVekReedSolomonAZ code(6, 15, 63 - 15, aztecFieldPolynomial(6));
    TVectorInteger word(63, 0);
    const uint32_t data[] = {0b000100, 0b001111};  // "A" "B", then padding ones
    for (int i = 0; i < 2; ++i) word[static_cast<size_t>(16 - i)] = static_cast<int32_t>(data[i]);
    code.encode(word);
    TVekAzBitString bits("10");
    for (int i = 16; i >= 0; --i) bits.appendBits(static_cast<uint32_t>(word[static_cast<size_t>(i)]), 6);

    TVekAztecDecoder decoder;
    const TVekAztecData decoded = decoder.decode(6, row, bits, 2);
    EXPECT_EQ(decoded.getValue(), valuesOf("AB"));
    EXPECT_EQ(decoded.codewordSize, 6);

    try {
        decoder.decode(6, row, bits, 18);
        FAIL() << "more data codewords than the symbol has";
    } catch (const TVekAZReedException& e) {
        EXPECT_STREQ(e.what(), "Wrong number of error correction codewords");
    }
    // Every word wrong: beyond any correction.
    std::string inverted = bits.getBits();
    for (char& c : inverted) c = c == '1' ? '0' : '1';
    try {
        decoder.decode(6, row, TVekAzBitString(inverted), 2);
        FAIL() << "an inverted symbol cannot be corrected";
    } catch (const TVekAZReedException& e) {
        EXPECT_STREQ(e.what(), "Cannot solve RS errors");
    }
}

TEST(AztecData, TextForms) {
    TVekAztecData data;
    EXPECT_EQ(data.getValueAsString(), "");
    data.setValue({65, 66, 13, 10});
    data.x = 10;
    data.y = 20;
    EXPECT_EQ(data.getValueAsString(), "AB\r\n");
    EXPECT_EQ(data.toString(), "   Value:  65 66 13 10 Text=AB\r\n   X1: 10,   Y1: 20,  decoding FAILED");
    data.success = true;
    EXPECT_EQ(data.toString(), "   Value:  65 66 13 10 Text=AB\r\n   X1: 10,   Y1: 20,  decoding was succesfull");
}

// Bits that mean nothing never crash the decoder.
TEST(AztecDecoder, GarbageBitsAreHarmless) {
    unsigned state = 7;
    for (int round = 0; round < 60; ++round) {
        std::string text;
        for (int i = 0; i < 40 + round * 23; ++i) {
            state = state * 1103515245u + 12345u;
            text += ((state >> 16) & 1) != 0 ? '1' : '0';
        }
        TVekAztecDecoder decoder;
        TVekAzBitString bits(text);
        const TVectorInteger values = decoder.decodeCharacters(8, bits, TVekAztecMode::UPPER);
        for (int32_t v : values) {
            EXPECT_GE(v, 0);
            EXPECT_LE(v, 255);
        }
        for (int32_t row : {0, 7, round % 36}) {
            const int32_t wordSize = AZTEC_CONFIGURATIONS[static_cast<size_t>(row)][AZ_CONF_WORD_SIZE];
            try {
                decoder.decode(wordSize, row, TVekAzBitString(text), round % 40);
            } catch (const TVekAZReedException&) {
            }
        }
    }
}

}  // namespace
}  // namespace orvel
