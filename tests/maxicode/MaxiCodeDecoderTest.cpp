// MaxiCode codewords straight from zint's module dumps: the codeword map,
// the Reed-Solomon correction of both messages, every mode and code set, ECI
// and structured append, and the carrier message of modes 2 and 3.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "maxicode/VekMaxiCodeDecoder.h"
#include "maxicode/VekMaxiCodeGrid.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

TVekMaxiCodeCodewords codewordsOf(const std::string& arguments) {
    const auto rows = test::zintDump("-b MAXICODE " + arguments);
    EXPECT_EQ(rows.size(), 33u) << arguments;
    TVekMaxiCodeCodewords codewords{};
    for (int32_t r = 0; r < static_cast<int32_t>(rows.size()) && r < TVekMaxiCodeGrid::rows; ++r)
        for (int32_t c = 0; c < TVekMaxiCodeGrid::columns && c < static_cast<int32_t>(rows[r].size()); ++c) {
            const int32_t bit = TVekMaxiCodeGrid::bitAt(r, c);
            if (bit >= 0 && rows[r][c]) codewords[bit / 6] |= static_cast<uint8_t>(1 << (5 - bit % 6));
        }
    return codewords;
}

std::optional<TVekBarcode> decode(const std::string& arguments) { return TVekMaxiCodeDecoder::decode(codewordsOf(arguments)); }

class MaxiCodeDecoder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::haveZint()) << "zint is needed to make the symbols"; }
};

TEST_F(MaxiCodeDecoder, ModesFourToSixKeepTheirTextAndIdentifier) {
    const std::string text = "MaxiCode 0123456789 mixed Text, with: punctuation! {braces} @ ~";
    for (const int mode : {4, 5, 6}) {
        const auto barcode = decode("--mode=" + std::to_string(mode) + " -d " + test::shellQuote(text));
        ASSERT_TRUE(barcode) << mode;
        EXPECT_EQ(barcode->bytes, text) << mode;
        EXPECT_EQ(barcode->symbologyIdentifier, "]U0");
        EXPECT_EQ(barcode->ecLevel, std::to_string(mode));
        EXPECT_EQ(barcode->format, TVekBarcodeFormat::maxiCode);
    }
}

TEST_F(MaxiCodeDecoder, EveryLatinOneCharacterThroughTheCodeSets) {
    // Each byte between letters and digits: shifts into B to E, locks, latches
    // back, and nine-digit runs in the numeric shift.
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    for (size_t from = 0; from < all.size(); from += 60) {
        const std::string part = "Ab" + all.substr(from, 60) + "123456789012";
        const std::string path = (test::testDirectory("maxicode") / "latin1.bin").string();
        {
            std::FILE* f = std::fopen(path.c_str(), "wb");
            ASSERT_NE(f, nullptr);
            std::fwrite(part.data(), 1, part.size(), f);
            std::fclose(f);
        }
        const auto barcode = decode("--mode=4 --binary -i " + test::shellQuote(path));
        ASSERT_TRUE(barcode) << from;
        EXPECT_EQ(barcode->bytes, part) << from;
    }
}

TEST_F(MaxiCodeDecoder, StructuredCarrierMessageOfModesTwoAndThree) {
    const char gs = 0x1D, rs = 0x1E;
    auto mode2 = decode("--mode=2 --primary=152382802840001 -d 'Secondary text'");
    ASSERT_TRUE(mode2);
    EXPECT_EQ(mode2->bytes, std::string("152382802") + gs + "840" + gs + "001" + gs + "Secondary text");
    EXPECT_EQ(mode2->symbologyIdentifier, "]U1");
    // A shorter postal code keeps its length (leading zeros too).
    auto shortCode = decode("--mode=2 --primary=01234056999 -d 'x'");
    ASSERT_TRUE(shortCode);
    EXPECT_EQ(shortCode->bytes, std::string("01234") + gs + "056" + gs + "999" + gs + "x");
    auto mode3 = decode("--mode=3 --primary=B1050056999 -d 'Third'");
    ASSERT_TRUE(mode3);
    EXPECT_EQ(mode3->bytes, std::string("B1050 ") + gs + "056" + gs + "999" + gs + "Third");
    // The carrier message goes after the "[)>" RS "01" GS yy header.
    auto header = decode("--mode=2 --primary=152382802840001 --scmvv=96 -d 'Rest'");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->bytes, std::string("[)>") + rs + "01" + gs + "96152382802" + gs + "840" + gs + "001" + gs + "Rest");
}

TEST_F(MaxiCodeDecoder, EciDesignatorsOfEveryLength) {
    for (const int eci : {3, 26, 100, 1000, 20000, 100000}) {
        const auto barcode = decode("--mode=4 --eci=" + std::to_string(eci) + " -d 'ABC'");
        ASSERT_TRUE(barcode) << eci;
        EXPECT_EQ(barcode->bytes, "ABC");
        ASSERT_EQ(barcode->eciMarks.size(), 1u);
        EXPECT_EQ(barcode->eciMarks[0], (TVekEciMark{0, eci}));
        EXPECT_EQ(barcode->symbologyIdentifier, "]U2");
    }
    const auto carrier = decode("--mode=2 --primary=152382802840001 --eci=7 -d 'ABC'");
    ASSERT_TRUE(carrier);
    EXPECT_EQ(carrier->symbologyIdentifier, "]U3");
}

TEST_F(MaxiCodeDecoder, StructuredAppendPositionAndCount) {
    for (const auto& [index, count] : {std::pair{1, 2}, std::pair{2, 3}, std::pair{8, 8}}) {
        const auto barcode = decode("--mode=4 --structapp=" + std::to_string(index) + "," + std::to_string(count) + " -d 'PART'");
        ASSERT_TRUE(barcode);
        EXPECT_EQ(barcode->bytes, "PART");
        EXPECT_EQ(barcode->structuredAppend.index, index - 1);
        EXPECT_EQ(barcode->structuredAppend.count, count);
    }
    EXPECT_EQ(decode("--mode=4 -d 'PART'")->structuredAppend.index, -1);
}

TEST_F(MaxiCodeDecoder, CorrectsWithinEachBlocksCapacityAndNoFurther) {
    std::mt19937 random(7);
    for (const int mode : {4, 5}) {
        const TVekMaxiCodeCodewords clean = codewordsOf("--mode=" + std::to_string(mode) + " -d 'Error correction test 42'");
        const int secondaryCheck = mode == 5 ? 28 : 20;
        // Five errors in the primary message and half the secondary
        // blocks' capacity in each of them: corrected.
        TVekMaxiCodeCodewords damaged = clean;
        for (int i = 0; i < 5; ++i) damaged[2 * i + 1] ^= 0x2A;
        const int dataCount = mode == 5 ? 68 : 84;
        for (int i = 0; i < secondaryCheck / 2; ++i) {
            damaged[20 + 2 * i] ^= 0x15;      // even block
            damaged[20 + dataCount + 2 * i + 1] ^= 0x33;  // odd block's check codewords
        }
        const auto barcode = TVekMaxiCodeDecoder::decode(damaged);
        ASSERT_TRUE(barcode) << mode;
        EXPECT_EQ(barcode->bytes, "Error correction test 42");
        // Eleven errors in the primary message: beyond it.
        TVekMaxiCodeCodewords ruined = clean;
        for (int i = 0; i < 11; ++i) ruined[i] ^= static_cast<uint8_t>(1 + random() % 63);
        EXPECT_FALSE(TVekMaxiCodeDecoder::decode(ruined)) << mode;
    }
    // Random codewords are no symbol.
    for (int trial = 0; trial < 200; ++trial) {
        TVekMaxiCodeCodewords noise{};
        for (auto& c : noise) c = static_cast<uint8_t>(random() % 64);
        EXPECT_FALSE(TVekMaxiCodeDecoder::decode(noise));
    }
}

TEST(MaxiCodeGrid, EveryCodewordBitHasOneModule) {
    std::vector<int> seen(TVekMaxiCodeGrid::bits, 0);
    for (int32_t r = 0; r < TVekMaxiCodeGrid::rows; ++r)
        for (int32_t c = 0; c < TVekMaxiCodeGrid::columns; ++c)
            if (const int32_t bit = TVekMaxiCodeGrid::bitAt(r, c); bit >= 0) ++seen[static_cast<size_t>(bit)];
    for (int count : seen) EXPECT_EQ(count, 1);
    for (const auto& m : TVekMaxiCodeGrid::orientationModules()) EXPECT_EQ(TVekMaxiCodeGrid::bitAt(m.row, m.column), -1);
}

}  // namespace
}  // namespace orvel
