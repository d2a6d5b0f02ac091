#include <gtest/gtest.h>

#include <random>

#include "QRSymbolBuilder.h"
#include "qrcode/VekQRBitMap.h"
#include "qrcode/VekQRCodeDecoder.h"
#include "qrcode/VekQRTables.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::qrMatrixFromZint;
using test::valuesOf;

std::string zintArguments(const std::string& options, const std::string& data) {
    return options + " -d " + test::shellQuote(data);
}

std::string randomText(std::mt19937& random, int length) {
    static const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789 ,.";
    std::uniform_int_distribution<size_t> pick(0, letters.size() - 1);
    std::string text;
    for (int i = 0; i < length; ++i) text.push_back(letters[pick(random)]);
    return text;
}

int maskOf(const TIntegerMatrix& matrix) {
    TVekQRBitMap map;
    map.init2(matrix, TVekQRCodeDecoder::getVersionForModules(static_cast<int>(matrix.size())));
    return map.getFormatInformation() % 8;
}

void expectDecodes(const TIntegerMatrix& matrix, const TVectorInteger& expected, int level) {
    ASSERT_FALSE(matrix.empty());
    const TVekQRCodeData record = TVekQRCodeDecoder().decodeArray(matrix);
    EXPECT_TRUE(record.success);
    EXPECT_EQ(record.getValue(), expected);
    if (level >= 0) EXPECT_EQ(record.ecLevel, level);
}

class QRCodeDecoderZint : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    }
};

TEST_F(QRCodeDecoderZint, EveryVersionDecodes) {
    std::mt19937 random(40);
    for (int version = 1; version <= 40; ++version) {
        const int level = (version - 1) % 4;
        const int mask = (version * 3) % 8;
        const std::string text = randomText(random, test::qrDataCodewords(version, level) / 2);
        const TIntegerMatrix matrix = qrMatrixFromZint(zintArguments(
            "--vers=" + std::to_string(version) + " --secure=" + std::to_string(level + 1) +
                " --mask=" + std::to_string(mask),
            text));
        ASSERT_EQ(static_cast<int>(matrix.size()), qrModulesForVersion(version));
        EXPECT_EQ(maskOf(matrix), mask) << "version " << version;
        SCOPED_TRACE("version " + std::to_string(version));
        expectDecodes(matrix, valuesOf(text), level);
    }
}

TEST_F(QRCodeDecoderZint, EveryLevelAndMaskOfVersion5) {
    // Version 5-Q has two blocks of 15 and two of 16 data codewords.
    for (int level = 0; level < 4; ++level) {
        for (int mask = 0; mask < 8; ++mask) {
            const std::string text = "LEVEL" + std::to_string(level) + "MASK" + std::to_string(mask) + " 0123456789";
            const TIntegerMatrix matrix = qrMatrixFromZint(zintArguments(
                "--vers=5 --secure=" + std::to_string(level + 1) + " --mask=" + std::to_string(mask), text));
            SCOPED_TRACE(text);
            EXPECT_EQ(maskOf(matrix), mask);
            expectDecodes(matrix, valuesOf(text), level);
        }
    }
}

TEST_F(QRCodeDecoderZint, Modes) {
    for (const std::string text : {"01234567890123456789", "12345", "1234", "HELLO WORLD $%*+-./:", "ABC",
                                   "hello, world"}) {
        SCOPED_TRACE(text);
        expectDecodes(qrMatrixFromZint(zintArguments("--secure=2", text)), valuesOf(text), -1);
    }
    const std::string binary = "ABC1234567890123abc\x01\xff";
    expectDecodes(qrMatrixFromZint(zintArguments("--binary", binary)), valuesOf(binary), -1);
    // Kanji: Shift JIS 0x935F and 0xE4AA, one value each.
    expectDecodes(qrMatrixFromZint(zintArguments("--secure=1", "点茗")), TVectorInteger{0x935F, 0xE4AA}, -1);
    // Version 10 and 27 count widths.
    const std::string digits(200, '7');
    expectDecodes(qrMatrixFromZint(zintArguments("--vers=10", digits)), valuesOf(digits), -1);
    expectDecodes(qrMatrixFromZint(zintArguments("--vers=27", "abc" + digits)), valuesOf("abc" + digits), -1);
}

TEST_F(QRCodeDecoderZint, Headers) {
    // ECI header: consumed, the bytes are those of the ECI's character set.
    expectDecodes(qrMatrixFromZint(zintArguments("--eci=26", "Grüße")), valuesOf("Grüße"), -1);
    expectDecodes(qrMatrixFromZint(zintArguments("--binary --eci=899", "raw\x80")), valuesOf("raw\x80"), -1);
    // Structured append header.
    expectDecodes(qrMatrixFromZint(zintArguments("--structapp=2,3", "part two")), valuesOf("part two"), -1);
    // FNC1 in first position: "%" in alphanumeric data is the field separator GS.
    expectDecodes(qrMatrixFromZint(zintArguments("--gs1", "[01]09501101530003[10]AB-123[21]XYZ")),
                  valuesOf("0109501101530003" "10AB-123\x1D" "21XYZ"), -1);
    expectDecodes(qrMatrixFromZint(zintArguments("--gs1", "[10]ABC%DEF[21]1")), valuesOf("10ABC%DEF\x1D" "211"),
                  -1);
}

// Replaces `errors` codewords of a block by other values.
void damageBlock(TVectorInteger& stream, int version, int level, int block, int errors, std::mt19937& random) {
    std::vector<int> positions = test::qrBlockStreamPositions(version, level, block);
    std::shuffle(positions.begin(), positions.end(), random);
    std::uniform_int_distribution<int> flip(1, 255);
    for (int e = 0; e < errors; ++e) stream[positions[e]] ^= flip(random);
}

TEST_F(QRCodeDecoderZint, CorrectsUpToCapacityPerBlock) {
    std::mt19937 random(9);
    const struct {
        int version, level;
    } cases[] = {{5, 2}, {7, 3}, {12, 1}, {40, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE("version " + std::to_string(c.version) + " level " + std::to_string(c.level));
        const std::string text = randomText(random, test::qrDataCodewords(c.version, c.level) - 3);
        const TIntegerMatrix clean = qrMatrixFromZint(zintArguments(
            "--vers=" + std::to_string(c.version) + " --secure=" + std::to_string(c.level + 1), text));
        const TVectorInteger stream = test::qrStreamCodewords(clean);
        const int t = test::qrEcPerBlock(c.version, c.level) / 2;
        const int blocks = test::qrBlockCount(c.version, c.level);

        TVectorInteger damaged = stream;
        for (int b = 0; b < blocks; ++b) damageBlock(damaged, c.version, c.level, b, t, random);
        expectDecodes(test::qrWithCodewords(clean, damaged), valuesOf(text), c.level);

        damaged = stream;
        damageBlock(damaged, c.version, c.level, blocks - 1, t + 1, random);
        const TVekQRCodeData record = TVekQRCodeDecoder().decodeArray(test::qrWithCodewords(clean, damaged));
        EXPECT_FALSE(record.success);
        EXPECT_TRUE(record.getValue().empty());
        EXPECT_EQ(record.ecLevel, c.level);
    }
}

// Cells of the two format readings: (column 8, rows) and (columns, row 8).
void flip(TIntegerMatrix& matrix, int x, int y) { matrix[x][y] ^= 1; }

TEST_F(QRCodeDecoderZint, DamagedFormatInformation) {
    const std::string text = "FORMAT TEST";
    const TIntegerMatrix clean = qrMatrixFromZint(zintArguments("--vers=2 --secure=3 --mask=5", text));
    const int n = static_cast<int>(clean.size());

    // Both readings damaged in three bits each: the nearest entry is still right.
    TIntegerMatrix matrix = clean;
    for (int y : {0, 2, n - 3}) flip(matrix, 8, y);
    for (int x : {n - 1, 4, 0}) flip(matrix, x, 8);
    expectDecodes(matrix, valuesOf(text), 2);

    // Reading A damaged beyond repair, reading B exact: the exact pass takes B.
    matrix = clean;
    for (int y : {0, 1, 2, 3, 4, 5, 7, n - 1, n - 2}) flip(matrix, 8, y);
    expectDecodes(matrix, valuesOf(text), 2);

    // Version information is never read: version 7 with its version cells cleared.
    const TIntegerMatrix v7 = qrMatrixFromZint(zintArguments("--vers=7 --secure=4", text));
    matrix = v7;
    const int m = static_cast<int>(v7.size());
    for (int i = 0; i < 18; ++i) {
        matrix[i / 3][m - 11 + i % 3] = 0;
        matrix[m - 11 + i % 3][i / 3] = 0;
    }
    expectDecodes(matrix, valuesOf(text), 3);
}

TEST(QRCodeDecoder, Version5QInterleaving) {
    // Data 0 ... 61 in two blocks of 15 and two of 16: the corrected stream gives them back in order.
    TVectorInteger data(62);
    for (int i = 0; i < 62; ++i) data[i] = i;
    const TIntegerMatrix matrix = test::qrBuildSymbol(5, 2, 3, data);
    const TVectorInteger stream = test::qrStreamCodewords(matrix);
    // Round 15 (positions 56 ... 59) takes 14, 29, 44, 60; the longer blocks' 16th codewords follow.
    EXPECT_EQ(stream[59], 60);
    EXPECT_EQ(stream[60], 45);
    EXPECT_EQ(stream[61], 61);
    auto bits = TVekQRCodeDecoder().decodeCodewords(5, 2, stream);
    ASSERT_TRUE(bits.has_value());
    ASSERT_EQ(bits->length(), 62 * 8);
    for (int i = 0; i < 62; ++i) EXPECT_EQ(static_cast<int>(bits->readBits(8)), i);
}

// A bit stream written into a version-1 symbol with valid error correction.
TIntegerMatrix symbolWithStream(const std::string& bitText) {
    TVectorInteger codewords;
    for (size_t i = 0; i < bitText.size(); i += 8) {
        std::string byte = bitText.substr(i, 8);
        byte.resize(8, '0');
        codewords.push_back(std::stoi(byte, nullptr, 2));
    }
    return test::qrBuildSymbol(1, 1, 2, codewords);
}

TEST(QRCodeDecoder, UndecodableStreamsGiveFailedRecords) {
    const char* streams[] = {
        "0100" "00010100" "01100001",        // byte count 20 in a 16-codeword symbol: runs past the end
        "0001" "1111111111" "0000000001",     // numeric count 1023
        "0110" "00000000",                    // mode 6
        "1110" "00000000",                    // nested ECI
        "0111" "11110000" "0100",             // unknown ECI designator
        "0100" "00000001" "01000001" "0111" "00011010",  // ECI after a segment
    };
    for (const char* stream : streams) {
        SCOPED_TRACE(stream);
        TVekQRCodeData record;
        EXPECT_NO_THROW(record = TVekQRCodeDecoder().decodeArray(symbolWithStream(stream)));
        EXPECT_FALSE(record.success);
        EXPECT_TRUE(record.getValue().empty());
        EXPECT_EQ(record.ecLevel, 1);
    }
    // The terminator right away: no values, and success.
    const TVekQRCodeData empty = TVekQRCodeDecoder().decodeArray(symbolWithStream("0000"));
    EXPECT_TRUE(empty.success);
    EXPECT_TRUE(empty.getValue().empty());
    // A segment that ends exactly at the end of the data needs no terminator.
    std::string full = "0100" "00001110";
    for (int i = 0; i < 14; ++i) full += "01000001";
    full += "0000";
    const TVekQRCodeData exact = TVekQRCodeDecoder().decodeArray(symbolWithStream(full));
    EXPECT_TRUE(exact.success);
    EXPECT_EQ(exact.getValue(), TVectorInteger(14, 'A'));
}

TEST(QRCodeDecoder, MatricesOfNoQrSize) {
    TVekQRCodeDecoder decoder;
    EXPECT_FALSE(decoder.decodeArray({}).success);
    EXPECT_FALSE(decoder.decodeArray(TIntegerMatrix(20, std::vector<int32_t>(20, 1))).success);
    EXPECT_FALSE(decoder.decodeArray(TIntegerMatrix(21, std::vector<int32_t>(25, 1))).success);
    TIntegerMatrix ragged(21, std::vector<int32_t>(21, 0));
    ragged[20].resize(3);
    EXPECT_FALSE(decoder.decodeArray(ragged).success);
    EXPECT_FALSE(decoder.decodeArray(TIntegerMatrix(177, std::vector<int32_t>(177, 0))).success);
    EXPECT_FALSE(decoder.decodeArray(TIntegerMatrix(177, std::vector<int32_t>(177, 1))).success);
}

TEST(QRCodeDecoder, Tables) {
    const TVekQRVersionInfo* v1 = qrVersionInfo(1);
    const TVekQRVersionInfo* v7 = qrVersionInfo(7);
    const TVekQRVersionInfo* v40 = qrVersionInfo(40);
    EXPECT_EQ((std::vector<int>{v1->version, v1->modules, v1->functionModules, v1->formatModules, v1->dataModules,
                                v1->totalCodewords, v1->remainderBits}),
              (std::vector<int>{1, 21, 202, 31, 208, 26, 0}));
    EXPECT_EQ(v7->functionModules, 390);
    EXPECT_EQ(v40->totalCodewords, 3706);
    EXPECT_EQ(qrVersionInfo(41), nullptr);
    for (int version = 1; version <= 40; ++version) {
        for (int level = 0; level < 4; ++level) {
            const TVekQRBlockInfo* b = qrBlockInfo(version, level);
            ASSERT_EQ(b->version, version);
            ASSERT_EQ(b->level, level);
            EXPECT_EQ(b->blocks1 * b->totalPerBlock1 + b->blocks2 * b->totalPerBlock2,
                      qrVersionInfo(version)->totalCodewords);
        }
    }
    EXPECT_EQ(std::vector<int>(qrAlignmentCoordinates(40).begin(), qrAlignmentCoordinates(40).end()),
              (std::vector<int>{6, 30, 58, 86, 114, 142, 170}));
    EXPECT_TRUE(qrAlignmentCoordinates(1).empty());
    EXPECT_STREQ(qrFormatString(0), "101010000010010");
    EXPECT_STREQ(qrFormatString(1), "101000100100101");
    EXPECT_STREQ(qrFormatString(31), "010101111101101");
    EXPECT_EQ(TVekQRCodeDecoder::getVersionForModules(177), 40);
    EXPECT_EQ(TVekQRCodeDecoder::getVersionForModules(22), 0);
}

}  // namespace
}  // namespace orvel
