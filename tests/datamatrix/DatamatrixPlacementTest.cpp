// Module placement, the Reed-Solomon field, the decoder's guards and the
// result record.

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "DatamatrixTestHelpers.h"

#include "datamatrix/VekCharPlacer.h"
#include "datamatrix/VekDatamatrixData.h"
#include "datamatrix/VekDatamatrixDecoder.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"
#include "datamatrix/VekReedSolomonDM.h"
#include "foundation/VekException.h"

namespace orvel {
namespace {

// Every codeword of every size gets its eight bits exactly once; only the
// 12 x 12, 16 x 16, 20 x 20 and 24 x 24 symbols (and no other, 10 x 10
// included) keep the fixed lower right corner.
TEST(DatamatrixPlacement, EveryCodewordBitPlacedOnce) {
    for (int32_t index = 0; index < DM_SYMBOL_SIZE_COUNT; ++index) {
        const auto& size = symbolSizeTable[index];
        TVekCharPlacer placer(size[DM_MAPPING_ROWS], size[DM_MAPPING_COLS]);
        placer.make();
        std::map<int32_t, int32_t> seen;
        int32_t fixed = 0;
        int32_t empty = 0;
        for (int32_t i = 0; i < placer.nrow * placer.ncol; ++i) {
            const int32_t v = placer.array[i];
            if (v == 1) ++fixed;
            else if (v == 0) ++empty;
            else ++seen[v];
        }
        const int32_t codewords = size[DM_DATA_CODEWORDS] + size[DM_ECC_CODEWORDS];
        EXPECT_EQ(static_cast<int32_t>(seen.size()), codewords * 8) << "size index " << index;
        for (const auto& [value, times] : seen) {
            EXPECT_EQ(times, 1) << "size index " << index << " value " << value;
            EXPECT_LE(value / 10, codewords);
        }
        const bool cornerSize = index == 1 || index == 3 || index == 5 || index == 7;
        EXPECT_EQ(fixed, cornerSize ? 2 : 0) << "size index " << index;
        EXPECT_EQ(empty, cornerSize ? 2 : 0) << "size index " << index;
        if (cornerSize) {
            const int32_t cells = placer.nrow * placer.ncol;
            EXPECT_EQ(placer.array[cells - 1], 1);
            EXPECT_EQ(placer.array[cells - placer.ncol - 2], 1);
        }
    }
}

TEST(DatamatrixReedSolomon, FieldGeneratorAndCleanWords) {
    const TVectorInteger field = {1, 0, 1, 1, 0, 1, 0, 0, 1};
    TVekReedSolomonDM rs(8, 5, 250, field);
    // The ECC 200 generator for five check codewords, x^0 first.
    const TVectorInteger expected = {228, 48, 15, 111, 62, 1};
    const TVectorInteger& generator = rs.getGenerator();
    ASSERT_EQ(generator.size(), expected.size());
    // generator is in index form: alpha^g[i]; alpha^i for i < 8 is 2^i.
    TVectorInteger alphaTo(256);
    int32_t value = 1;
    for (int32_t i = 0; i < 255; ++i) {
        alphaTo[i] = value;
        value <<= 1;
        if (value & 0x100) value ^= 0x12D;
    }
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(alphaTo[generator[i]], expected[i]) << i;

    TVectorInteger zero(256, 0), corrected;
    rs.decodeBlock(zero, corrected);
    EXPECT_EQ(TVectorInteger(corrected.begin(), corrected.begin() + 255), TVectorInteger(255, 0));
    // One error in the all-zero word is found and removed.
    TVectorInteger oneError = zero;
    oneError[200] = 77;
    rs.decodeBlock(oneError, corrected);
    EXPECT_EQ(TVectorInteger(corrected.begin(), corrected.begin() + 255), TVectorInteger(255, 0));
    TVectorInteger threeErrors = oneError;
    threeErrors[3] = 1;
    threeErrors[100] = 9;
    EXPECT_THROW(rs.decodeBlock(threeErrors, corrected), TVekRSException);
}

// A 16 x 16 block is 24 codewords of a code 255 long. Seven errors can bring
// the word within six of a code word that differs from it in the unused
// positions too: such a "correction" is a failure, not a result.
TEST(DatamatrixDecoder, CorrectionsOutsideTheShortenedBlockFail) {
    constexpr int32_t sizeIndex = 3;
    constexpr int32_t blockLength = 24;
    const TVectorInteger field = {1, 0, 1, 1, 0, 1, 0, 0, 1};
    TVekReedSolomonDM rs(8, 12, 243, field);
    std::mt19937 random(8);
    int32_t outsideCorrections = 0;
    for (int32_t trial = 0; trial < 20000 && outsideCorrections < 3; ++trial) {
        // Seven errors on the all-zero code word (all-zero data).
        TVectorInteger stream(blockLength, 0);
        for (int32_t e = 0; e < 7; ++e) stream[e * 3 + static_cast<int32_t>(random() % 3)] = 1 + random() % 255;
        TVectorInteger received(256, 0), corrected;
        for (int32_t i = 0; i < blockLength; ++i) received[i] = stream[blockLength - 1 - i];
        try {
            rs.decodeBlock(received, corrected);
        } catch (const TVekRSException&) {
            continue;
        }
        bool outside = false;
        for (int32_t i = blockLength; i < 255; ++i) outside = outside || corrected[i] != 0;
        if (!outside) continue;
        ++outsideCorrections;
        test::TModuleMatrix symbol(16, std::vector<int>(16, 0));
        test::writeStream(symbol, sizeIndex, stream);
        EXPECT_THROW(test::decodeSymbolCodewords(symbol), TVekRSException) << "trial " << trial;
    }
    EXPECT_GT(outsideCorrections, 0);
}

// Noise in every region of every size: corrected codewords or the
// Reed-Solomon failure, nothing else.
TEST(DatamatrixDecoder, NoiseFailsCleanly) {
    std::mt19937 random(4);
    for (int32_t index = 0; index < DM_SYMBOL_SIZE_COUNT; ++index) {
        const auto& size = symbolSizeTable[index];
        const int32_t up = size[DM_SYMBOL_ROWS] / (size[DM_REGION_ROWS] + 2);
        const int32_t across = size[DM_SYMBOL_COLS] / (size[DM_REGION_COLS] + 2);
        std::vector<TIntegerMatrix> regions(
            up * across, TIntegerMatrix(size[DM_REGION_ROWS] + 2, TVectorInteger(size[DM_REGION_COLS] + 2)));
        for (auto& region : regions) {
            for (auto& row : region) {
                for (int32_t& module : row) module = static_cast<int32_t>(random() % 2);
            }
        }
        TVekDatamatrixDecoder decoder;
        decoder.setSymbolSize(index);
        TVectorInteger codewords;
        try {
            decoder.decodeRegions(regions, up, codewords, across);
            EXPECT_EQ(static_cast<int32_t>(codewords.size()), size[DM_DATA_CODEWORDS]);
        } catch (const TVekRSException&) {
        }
    }
}

TEST(DatamatrixDecoder, RefusesWhatDoesNotFit) {
    TVekDatamatrixDecoder decoder;
    EXPECT_THROW(decoder.setSymbolSize(30), TVekException);
    EXPECT_THROW(decoder.setSymbolSize(-1), TVekException);
    TVectorInteger codewords;
    EXPECT_THROW(decoder.decodeRegions({}, 1, codewords, 1), TVekException);  // no size set
    decoder.setSymbolSize(9);
    const TIntegerMatrix region(16, TVectorInteger(16, 0));
    EXPECT_THROW(decoder.decodeRegions({region, region, region}, 2, codewords, 2), TVekException);
    EXPECT_THROW(decoder.decodeRegions({region, region, region, region}, 1, codewords, 4), TVekException);
    TIntegerMatrix shortRow = region;
    shortRow[5].pop_back();
    EXPECT_THROW(decoder.decodeRegions({region, region, shortRow, region}, 2, codewords, 2), TVekException);
    EXPECT_TRUE(decoder.test());
    EXPECT_EQ(decoder.getSymbolSizeIndex(), 9);
}

TEST(DatamatrixData, TextForm) {
    TVekDatamatrixData data({65, 66, -1}, 10, 20);
    EXPECT_EQ(data.toString(), std::string("   Value:  65 66 -1 Text=AB\xFF   X: 10,   Y: 20,"));
    data.setValue({});
    data.setX(-3);
    data.setY(0);
    EXPECT_EQ(data.toString(), "   Value:  Text=   X: -3,   Y: 0,");
    EXPECT_EQ(data.getX(), -3);
}

// The content every user of the record takes: a control entry first is left
// out, a later one is GS; other values keep their low 8 bits.
TEST(DatamatrixData, ContentBytes) {
    EXPECT_EQ(TVekDatamatrixData({-1, 65, -1, 66, 232, 300}, 0, 0).getContentBytes(), "A\x1D" "B\xE8,");
    EXPECT_EQ(TVekDatamatrixData({-1, -1}, 0, 0).getContentBytes(), "\x1D");
    EXPECT_EQ(TVekDatamatrixData({}, 0, 0).getContentBytes(), "");
}

}  // namespace
}  // namespace orvel
