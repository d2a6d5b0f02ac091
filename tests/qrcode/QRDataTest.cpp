#include <gtest/gtest.h>

#include "qrcode/VekQRBitString.h"
#include "qrcode/VekQRCWDecoder.h"
#include "qrcode/VekQRCodeData.h"

namespace orvel {
namespace {

TEST(QRBitString, ReadingPastTheEnd) {
    TVekQRBitString bits("101");
    EXPECT_EQ(bits.peekBits(3), 5u);
    EXPECT_EQ(bits.peekBits(5), 0b10111u);  // missing low bits read as 1
    EXPECT_EQ(bits.readBits(2), 2u);
    EXPECT_EQ(bits.length(), 1);
    EXPECT_EQ(bits.readBits(4), 0b1111u);
    EXPECT_EQ(bits.length(), 0);
    EXPECT_EQ(bits.peekBits(4), 1u);  // an empty string reads as 1
    EXPECT_EQ(bits.readBits(8), 1u);
}

TEST(QRBitString, WritingAndTakingFromTheEnd) {
    TVekQRBitString bits;
    bits.appendBits(0b1101, 4);
    bits.prependBits(0b011, 3);  // bit 0 first: "110"
    EXPECT_EQ(bits.getBits(), "1101101");
    EXPECT_EQ(bits.takeLastBits(3), 0b101u);
    EXPECT_EQ(bits.takeLastText(2), "01");
    EXPECT_EQ(bits.getBits(), "11");
    EXPECT_EQ(bits.takeLastText(5), "11");
    EXPECT_EQ(bits.length(), 0);
}

TVectorInteger decodeStream(const std::string& text, int version = 1) {
    TVekQRBitString bits(text);
    TVectorInteger values;
    TVekQRCWDecoder().decode(bits, version, values);
    return values;
}

std::string messageOf(const std::string& text) {
    try {
        decodeStream(text);
    } catch (const EVekQRCodeCWException& e) {
        return e.what();
    }
    return "";
}

TEST(QRCWDecoder, NumericAndAlphanumericGroups) {
    // Count 5: 10 bits (123) then 7 bits (45); count 4: 10 bits then 4 bits.
    EXPECT_EQ(decodeStream("0001" "0000000101" "0001111011" "0101101" "0000"), (TVectorInteger{'1', '2', '3', '4', '5'}));
    EXPECT_EQ(decodeStream("0001" "0000000100" "0001111011" "0100"), (TVectorInteger{'1', '2', '3', '4'}));
    // An out-of-range group is not checked: 1023 gives the codes 58, 50, 51.
    EXPECT_EQ(decodeStream("0001" "0000000011" "1111111111"), (TVectorInteger{58, 50, 51}));
    // Alphanumeric count 3: "AC" in 11 bits (10 x 45 + 12), "-" in 6 bits (41).
    EXPECT_EQ(decodeStream("0010" "000000011" "00111001110" "101001"), (TVectorInteger{'A', 'C', '-'}));
}

TEST(QRCWDecoder, CountWidthsFollowTheVersion) {
    EXPECT_EQ(TVekQRCWDecoder::countBits(TVekQRCWDecoder::MODE_BYTE, 9), 8);
    EXPECT_EQ(TVekQRCWDecoder::countBits(TVekQRCWDecoder::MODE_BYTE, 10), 16);
    EXPECT_EQ(TVekQRCWDecoder::countBits(TVekQRCWDecoder::MODE_NUMERIC, 27), 14);
    EXPECT_EQ(TVekQRCWDecoder::countBits(TVekQRCWDecoder::MODE_KANJI, 26), 10);
    // Byte mode in version 10 reads a 16-bit count.
    EXPECT_EQ(decodeStream("0100" "0000000000000001" "01000001", 10), (TVectorInteger{'A'}));
}

TEST(QRCWDecoder, Kanji) {
    EXPECT_EQ(decodeStream("1000" "00000011" "0000000000000" "1011100111111" "1011101000000"),
              (TVectorInteger{0x8140, 0x9FFF, 0xE040}));
}

TEST(QRCWDecoder, Headers) {
    // ECI 26 (0111 0 0011010) before the first segment changes nothing.
    TVekQRBitString bits("0111" "00011010" "0100" "00000001" "01000001" "0000");
    TVectorInteger values;
    TVekQRCWDecoder decoder;
    decoder.decode(bits, 1, values);
    EXPECT_EQ(values, TVectorInteger{'A'});
    EXPECT_EQ(decoder.getEci(), 26);
    // Structured append 2 of 4, FNC1 in second position with indicator 37.
    TVekQRCWDecoder second;
    TVekQRBitString appended("0011" "0001" "0011" "10101010" "1001" "00100101" "0100" "00000001" "01000010");
    values.clear();
    second.decode(appended, 1, values);
    EXPECT_EQ(values, TVectorInteger{'B'});
    EXPECT_EQ(second.getAppendPosition(), 1);
    EXPECT_EQ(second.getAppendTotal(), 3);
    EXPECT_EQ(second.getFnc1(), 2);
    EXPECT_EQ(second.getApplicationIndicator(), 37);
    EXPECT_EQ(second.getEci(), 20);
    // Terminator first: nothing.
    EXPECT_TRUE(decodeStream("0000" "11101100").empty());
}

TEST(QRCWDecoder, Failures) {
    EXPECT_EQ(messageOf("0111" "11100000"), "Unkown ECI");
    EXPECT_EQ(messageOf("1110" "0000"), "Unsupported nesting of ECI");
    EXPECT_EQ(messageOf("0100" "00000001" "01000001" "0111" "00011010"), "Unsupported mode indicator 7");
    EXPECT_EQ(messageOf("0110" "0000"), "Unsupported mode indicator 6");
    // A count that runs past the end of the data fails instead of inventing values.
    EXPECT_EQ(messageOf("0100" "00000011" "01000001"), "Data ends inside a segment");
    EXPECT_EQ(messageOf("0001" "0000000101" "0001111011"), "Data ends inside a segment");
    EXPECT_EQ(messageOf("1000" "00000001" "000000"), "Data ends inside a segment");
    EXPECT_EQ(messageOf("0100" "0000"), "Data ends inside a segment");
}

TEST(QRCWDecoder, HanziOnlyWhenAsked) {
    // Mode 1101, GB 2312 subset 0001, count 2 in 8 bits: 961 is row 10, cell 1
    // of the second area (B0A2), 0 the first code of the first area (A1A1).
    const std::string stream = "1101" "0001" "00000010" "0001111000001" "0000000000000" "0000";
    TVekQRCWDecoder decoder;
    decoder.setHanzi(true);
    TVekQRBitString bits(stream);
    TVectorInteger values;
    decoder.decode(bits, 1, values);
    EXPECT_EQ(values, (TVectorInteger{0xB0A2, 0xA1A1}));
    EXPECT_TRUE(decoder.sawHanzi());
    EXPECT_NE(messageOf(stream), "");
    TVekQRBitString otherSubset("1101" "0010" "00000001" "0000000000000");
    EXPECT_THROW(decoder.decode(otherSubset, 1, values), EVekQRCodeCWException);
}

TEST(QRCodeData, TextForms) {
    TVekQRCodeData record;
    record.setValue({72, 105});
    record.x1 = 10;
    record.y1 = 11;
    record.x2 = 100;
    record.y2 = 12;
    record.x3 = 9;
    record.y3 = 101;
    record.success = true;
    EXPECT_EQ(record.getValueAsString(), "Hi");
    EXPECT_EQ(record.toString(),
              "   Value:  72 105 Text=Hi   X1: 10,   Y1: 11,   X2: 100,   Y2: 12,   X3: 9,   Y3: 101,"
              "  decoding was succesfull");

    TVekQRCodeData failed;
    EXPECT_EQ(failed.getValueAsString(), "");
    EXPECT_EQ(failed.toString(),
              "   Value:  Text=   X1: 0,   Y1: 0,   X2: 0,   Y2: 0,   X3: 0,   Y3: 0,  decoding FAILED");

    // A Kanji value keeps both Shift JIS bytes in the text.
    TVekQRCodeData kanji;
    kanji.setValue({0x935F, 'A'});
    EXPECT_EQ(kanji.getValueAsString(), "\x93\x5F" "A");
}

}  // namespace
}  // namespace orvel
