#pragma once

#include <array>
#include <cstdint>

namespace orvel {

// Columns of symbolSizeTable.
inline constexpr int DM_SYMBOL_ROWS = 0;
inline constexpr int DM_SYMBOL_COLS = 1;
inline constexpr int DM_REGION_ROWS = 2;      // data modules of one region, without finder and clock
inline constexpr int DM_REGION_COLS = 3;
inline constexpr int DM_REGION_COUNT = 4;
inline constexpr int DM_MAPPING_ROWS = 5;     // data modules of all regions together
inline constexpr int DM_MAPPING_COLS = 6;
inline constexpr int DM_DATA_CODEWORDS = 7;
inline constexpr int DM_ECC_CODEWORDS = 8;
inline constexpr int DM_DATA_PER_BLOCK = 9;   // 144 x 144: the larger blocks; see dataCodewordsOfBlock
inline constexpr int DM_ECC_PER_BLOCK = 10;
inline constexpr int DM_BLOCK_COUNT = 11;

// The ECC 200 sizes of symbolSizeTable, the ones the documented reader reads.
inline constexpr int DM_SYMBOL_SIZE_COUNT = 30;
inline constexpr int DM_SQUARE_SYMBOL_SIZE_COUNT = 24;
// The rectangular extension (DMRE) sizes, which only the photo path reads,
// count on after them: index DM_SYMBOL_SIZE_COUNT is the first of
// extensionSizeTable.
inline constexpr int DM_EXTENSION_SIZE_COUNT = 18;
inline constexpr int DM_ALL_SYMBOL_SIZE_COUNT = DM_SYMBOL_SIZE_COUNT + DM_EXTENSION_SIZE_COUNT;
inline constexpr int DM_SIZE_144 = 23;

using TDatamatrixSymbolSize = std::array<int32_t, 12>;

// The ECC 200 symbol sizes: 24 square symbols, then 6 rectangular ones.
inline constexpr std::array<TDatamatrixSymbolSize, DM_SYMBOL_SIZE_COUNT> symbolSizeTable = {{
    {10, 10, 8, 8, 1, 8, 8, 3, 5, 3, 5, 1},
    {12, 12, 10, 10, 1, 10, 10, 5, 7, 5, 7, 1},
    {14, 14, 12, 12, 1, 12, 12, 8, 10, 8, 10, 1},
    {16, 16, 14, 14, 1, 14, 14, 12, 12, 12, 12, 1},
    {18, 18, 16, 16, 1, 16, 16, 18, 14, 18, 14, 1},
    {20, 20, 18, 18, 1, 18, 18, 22, 18, 22, 18, 1},
    {22, 22, 20, 20, 1, 20, 20, 30, 20, 30, 20, 1},
    {24, 24, 22, 22, 1, 22, 22, 36, 24, 36, 24, 1},
    {26, 26, 24, 24, 1, 24, 24, 44, 28, 44, 28, 1},
    {32, 32, 14, 14, 4, 28, 28, 62, 36, 62, 36, 1},
    {36, 36, 16, 16, 4, 32, 32, 86, 42, 86, 42, 1},
    {40, 40, 18, 18, 4, 36, 36, 114, 48, 114, 48, 1},
    {44, 44, 20, 20, 4, 40, 40, 144, 56, 144, 56, 1},
    {48, 48, 22, 22, 4, 44, 44, 174, 68, 174, 68, 1},
    {52, 52, 24, 24, 4, 48, 48, 204, 84, 102, 42, 2},
    {64, 64, 14, 14, 16, 56, 56, 280, 112, 140, 56, 2},
    {72, 72, 16, 16, 16, 64, 64, 368, 144, 92, 36, 4},
    {80, 80, 18, 18, 16, 72, 72, 456, 192, 114, 48, 4},
    {88, 88, 20, 20, 16, 80, 80, 576, 224, 144, 56, 4},
    {96, 96, 22, 22, 16, 88, 88, 696, 272, 174, 68, 4},
    {104, 104, 24, 24, 16, 96, 96, 816, 336, 136, 56, 6},
    {120, 120, 18, 18, 36, 108, 108, 1050, 408, 175, 68, 6},
    {132, 132, 20, 20, 36, 120, 120, 1304, 496, 163, 62, 8},
    {144, 144, 22, 22, 36, 132, 132, 1558, 620, 156, 62, 10},
    {8, 18, 6, 16, 1, 6, 16, 5, 7, 5, 7, 1},
    {8, 32, 6, 14, 2, 6, 28, 10, 11, 10, 11, 1},
    {12, 26, 10, 24, 1, 10, 24, 16, 14, 16, 14, 1},
    {12, 36, 10, 16, 2, 10, 32, 22, 18, 22, 18, 1},
    {16, 36, 14, 16, 2, 14, 32, 32, 24, 32, 24, 1},
    {16, 48, 14, 22, 2, 14, 44, 49, 28, 49, 28, 1},
}};

// The rectangular extension sizes, in the same columns; each is one block.
inline constexpr std::array<TDatamatrixSymbolSize, DM_EXTENSION_SIZE_COUNT> extensionSizeTable = {{
    {8, 48, 6, 22, 2, 6, 44, 18, 15, 18, 15, 1},
    {8, 64, 6, 14, 4, 6, 56, 24, 18, 24, 18, 1},
    {8, 80, 6, 18, 4, 6, 72, 32, 22, 32, 22, 1},
    {8, 96, 6, 22, 4, 6, 88, 38, 28, 38, 28, 1},
    {8, 120, 6, 18, 6, 6, 108, 49, 32, 49, 32, 1},
    {8, 144, 6, 22, 6, 6, 132, 63, 36, 63, 36, 1},
    {12, 64, 10, 14, 4, 10, 56, 43, 27, 43, 27, 1},
    {12, 88, 10, 20, 4, 10, 80, 64, 36, 64, 36, 1},
    {16, 64, 14, 14, 4, 14, 56, 62, 36, 62, 36, 1},
    {20, 36, 18, 16, 2, 18, 32, 44, 28, 44, 28, 1},
    {20, 44, 18, 20, 2, 18, 40, 56, 34, 56, 34, 1},
    {20, 64, 18, 14, 4, 18, 56, 84, 42, 84, 42, 1},
    {22, 48, 20, 22, 2, 20, 44, 72, 38, 72, 38, 1},
    {24, 48, 22, 22, 2, 22, 44, 80, 41, 80, 41, 1},
    {24, 64, 22, 14, 4, 22, 56, 108, 46, 108, 46, 1},
    {26, 40, 24, 18, 2, 24, 36, 70, 38, 70, 38, 1},
    {26, 48, 24, 22, 2, 24, 44, 90, 42, 90, 42, 1},
    {26, 64, 24, 14, 4, 24, 56, 118, 50, 118, 50, 1},
}};

// Row `index` (0 ... DM_ALL_SYMBOL_SIZE_COUNT - 1) of the ECC 200 sizes
// followed by the extension sizes.
inline constexpr const TDatamatrixSymbolSize& symbolSizeRow(int32_t index) {
    return index < DM_SYMBOL_SIZE_COUNT ? symbolSizeTable[static_cast<size_t>(index)]
                                        : extensionSizeTable[static_cast<size_t>(index - DM_SYMBOL_SIZE_COUNT)];
}

// Data codewords of one interleaved block. Data codeword j belongs to block
// j mod blocks, so when the blocks cannot be equal (144 x 144: 1558 over ten
// blocks) the first ones are one longer: eight blocks of 156 and two of 155.
inline constexpr int32_t dataCodewordsOfBlock(int32_t dataCodewords, int32_t blockCount, int32_t block) {
    return (dataCodewords - block + blockCount - 1) / blockCount;
}

}  // namespace orvel
