#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvel {

// The Aztec symbol configurations (ISO/IEC 24778, Table 1): one row per symbol
// size, compact and full-range interleaved for 1 ... 4 layers (compact first),
// then full-range 5 ... 32 layers. Columns are addressed through the indices
// below.
constexpr int AZ_CONF_LAYERS = 0;
constexpr int AZ_CONF_WIDTH = 1;
constexpr int AZ_CONF_HEIGHT = 2;
constexpr int AZ_CONF_CODEWORDS = 3;
constexpr int AZ_CONF_WORD_SIZE = 4;
constexpr int AZ_CONF_TOTAL_BITS = 5;  // codewords x word size
constexpr int AZ_CONF_COMPACT = 6;     // 1 compact, 0 full-range
constexpr int AZ_CONF_COLUMNS = 7;
constexpr int AZ_CONF_ROWS = 36;

using TVekAztecConfigurationRow = std::array<int32_t, AZ_CONF_COLUMNS>;

extern const std::array<TVekAztecConfigurationRow, AZ_CONF_ROWS> AZTEC_CONFIGURATIONS;

// Index of the first row with this layer count and compactness, or -1.
int32_t findAztecConfiguration(int32_t layers, bool compact);

}  // namespace orvel
