// Module map, data-layer order, and the Reed-Solomon corner cases (the word
// sizes themselves are exercised on the zint symbols).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "aztec/VekAzBitMap.h"
#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekAztecModeMessage.h"
#include "aztec/VekReedSolomonAZ.h"

namespace orvel {
namespace {

TVekAzBitMap mapOfRow(int32_t row) {
    const auto& configuration = AZTEC_CONFIGURATIONS[static_cast<size_t>(row)];
    TVekAzBitMap map(configuration[AZ_CONF_WIDTH], configuration[AZ_CONF_HEIGHT],
                     configuration[AZ_CONF_COMPACT] == 1);
    for (int32_t y = map.getMinY(); y <= map.getMaxY(); ++y)
        for (int32_t x = map.getMinX(); x <= map.getMaxX(); ++x) map.setCell(x, y, TVekAzBitMap::LIGHT);
    return map;
}

bool onReferenceGrid(int32_t x, int32_t y) { return x % 16 == 0 || y % 16 == 0; }

TEST(AztecBitMap, CentredCellsAndBounds) {
    TVekAzBitMap map(15, 15, true);
    EXPECT_EQ(map.getMinX(), -7);
    EXPECT_EQ(map.getMaxY(), 7);
    EXPECT_EQ(map.getCell(0, 0), TVekAzBitMap::NOT_SAMPLED);
    map.setCell(-7, 7, TVekAzBitMap::DARK);
    EXPECT_EQ(map.getCell(-7, 7), TVekAzBitMap::DARK);
    map.setCell(8, 0, TVekAzBitMap::DARK);  // outside: ignored
    EXPECT_EQ(map.getCell(8, 0), TVekAzBitMap::NOT_SAMPLED);
    EXPECT_EQ(map.getCell(-100, 3), TVekAzBitMap::NOT_SAMPLED);

    // An even size rounds its bounds outwards (3.5 to 4, 4.5 to 4); the cells
    // beyond the array stay out of reach.
    TVekAzBitMap even(8, 10, false);
    EXPECT_EQ(even.getMaxX(), 4);
    EXPECT_EQ(even.getMinY(), -4);
    even.setCell(4, 4, TVekAzBitMap::DARK);
    EXPECT_EQ(even.getCell(4, 4), TVekAzBitMap::NOT_SAMPLED);
    EXPECT_EQ(readLayers(even, false).length(), 0);
}

// Each configuration holds 16L^2 + 88L (compact) or 16L^2 + 112L bits, which
// exceeds its codewords by 0, 2, 4 or 8 bits.
TEST(AztecLayers, BitCountOfEveryConfiguration) {
    const std::set<int32_t> fourSpare = {9, 14, 19};
    const std::set<int32_t> eightSpare = {11, 12, 16, 17, 21, 22, 25, 28, 31};
    for (int32_t row = 0; row < AZ_CONF_ROWS; ++row) {
        const auto& configuration = AZTEC_CONFIGURATIONS[static_cast<size_t>(row)];
        const int32_t layers = configuration[AZ_CONF_LAYERS];
        const bool compact = configuration[AZ_CONF_COMPACT] == 1;
        const TVekAzBitMap map = mapOfRow(row);
        EXPECT_EQ(layersInMap(map, compact), layers) << "row " << row;
        const int32_t bits = readLayers(map, compact).length();
        EXPECT_EQ(bits, 16 * layers * layers + (compact ? 88 : 112) * layers) << "row " << row;

        int32_t spare = 0;
        if (layers == 1) spare = 2;
        else if (!compact && fourSpare.count(layers) != 0) spare = 4;
        else if (!compact && eightSpare.count(layers) != 0) spare = 8;
        EXPECT_EQ(bits - configuration[AZ_CONF_TOTAL_BITS], spare) << "row " << row;
        EXPECT_EQ(configuration[AZ_CONF_TOTAL_BITS],
                  configuration[AZ_CONF_CODEWORDS] * configuration[AZ_CONF_WORD_SIZE]);
    }
    EXPECT_EQ(AZTEC_CONFIGURATIONS[0][AZ_CONF_TOTAL_BITS], 102);
    EXPECT_EQ(AZTEC_CONFIGURATIONS[35][AZ_CONF_TOTAL_BITS], 19968);
    EXPECT_EQ(findAztecConfiguration(33, false), -1);
    EXPECT_EQ(findAztecConfiguration(5, true), -1);
}

// Every module outside the core and off the reference grid is read exactly
// once; grid modules never.
TEST(AztecLayers, EachDataModuleReadOnce) {
    for (int32_t row : {0, 7, 8, 12}) {  // compact 1, full-range 4, 5 and 9 layers
        TVekAzBitMap map = mapOfRow(row);
        const bool compact = map.isCompact();
        const int32_t core = compact ? 5 : 7;
        for (int32_t y = map.getMinY(); y <= map.getMaxY(); ++y) {
            for (int32_t x = map.getMinX(); x <= map.getMaxX(); ++x) {
                map.setCell(x, y, TVekAzBitMap::DARK);
                const std::string bits = readLayers(map, compact).getBits();
                const auto ones = std::count(bits.begin(), bits.end(), '1');
                const bool data = std::max(std::abs(x), std::abs(y)) > core && (compact || !onReferenceGrid(x, y));
                EXPECT_EQ(ones, data ? 1 : 0) << "row " << row << " cell " << x << "," << y;
                map.setCell(x, y, TVekAzBitMap::LIGHT);
            }
        }
    }
}

TEST(AztecLayers, ReferenceGridOfLargeSymbols) {
    TVekAzBitMap map = mapOfRow(AZ_CONF_ROWS - 1);
    for (int32_t y = map.getMinY(); y <= map.getMaxY(); ++y)
        for (int32_t x = map.getMinX(); x <= map.getMaxX(); ++x)
            if (onReferenceGrid(x, y)) map.setCell(x, y, TVekAzBitMap::DARK);
    const std::string bits = readLayers(map, false).getBits();
    EXPECT_EQ(bits.find('1'), std::string::npos);
    EXPECT_EQ(layerCoordinate(15, false), 15);
    EXPECT_EQ(layerCoordinate(16, false), 17);
    EXPECT_EQ(layerCoordinate(-31, false), -33);
    EXPECT_EQ(layerCoordinate(16, true), 16);
}

// Outermost layer first, its left side downwards from the top left corner,
// outer module before inner; the last bit is the inner module at the end of
// the innermost layer's top side.
TEST(AztecLayers, ModuleOrder) {
    TVekAzBitMap map = mapOfRow(0);
    const std::pair<int32_t, int32_t> cells[] = {{-7, -7}, {-6, -7}, {-7, -6}, {-7, 5}, {-7, 7}, {-5, -6}};
    const size_t positions[] = {0, 1, 2, 24, 26, 103};
    for (size_t i = 0; i < 6; ++i) {
        map.setCell(cells[i].first, cells[i].second, TVekAzBitMap::DARK);
        EXPECT_EQ(readLayers(map, true).getBits().find('1'), positions[i]) << i;
        map.setCell(cells[i].first, cells[i].second, TVekAzBitMap::LIGHT);
    }
}

TEST(AztecReedSolomonCode, FieldPolynomialsAndNoCheckSymbols) {
    EXPECT_EQ(aztecFieldPolynomial(4), (TVectorInteger{1, 1, 0, 0, 1}));
    EXPECT_EQ(aztecFieldPolynomial(8), (TVectorInteger{1, 0, 1, 1, 0, 1, 0, 0, 1}));
    EXPECT_THROW(aztecFieldPolynomial(7), TVekAZReedException);

    // A symbol whose mode message claims every codeword for data has no check
    // words: the words are taken as they are.
    const TVekReedSolomonAZ code(6, 0, 63, aztecFieldPolynomial(6));
    TVectorInteger corrected;
    code.decode({5, 7, 63}, corrected);
    EXPECT_EQ(corrected[1], 7);
    EXPECT_THROW(code.decode({64}, corrected), TVekAZReedException);
}

TEST(AztecModeMessage, WrongLengthAndHopelessDamage) {
    EXPECT_THROW(decodeModeMessage(TVectorInteger(27, 0), true), TVekAZReedException);
    // Compact 2 layers, 14 data codewords: value 0b01001101, words 4, 13.
    const TVekReedSolomonAZ code(4, 5, 10, aztecFieldPolynomial(4));
    TVectorInteger word(15, 0);
    word[6] = 4;
    word[5] = 13;
    code.encode(word);
    TVectorInteger bits;
    for (int32_t i = 6; i >= 0; --i)
        for (int32_t b = 3; b >= 0; --b) bits.push_back((word[static_cast<size_t>(i)] >> b) & 1);
    const TVekAztecModeMessage mode = decodeModeMessage(bits, true);
    EXPECT_EQ(mode.layers, 2);
    EXPECT_EQ(mode.dataCodewords, 14);
    for (size_t i = 0; i < 12; i += 4) bits[i] ^= 1;  // three words
    EXPECT_THROW(decodeModeMessage(bits, true), TVekAZReedException);
}

}  // namespace
}  // namespace orvel
