#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace orvel {

// Fixed QR Code tables of ISO/IEC 18004 (versions, error-correction blocks,
// alignment-pattern centres, format information), shared by the bit map, the
// codeword decoder and the reader.

// One row of the version table.
struct TVekQRVersionInfo {
    int32_t version;
    int32_t modules;            // per side, 17 + 4 x version
    int32_t functionModules;
    int32_t formatModules;      // format and version information
    int32_t dataModules;
    int32_t totalCodewords;
    int32_t remainderBits;
};

// Error-correction blocks of one version and level: every block has the same
// number of error-correction codewords; the second group (possibly empty) has
// blocks one data codeword longer than the first.
struct TVekQRBlockInfo {
    int32_t version;
    int32_t level;              // 0 = L, 1 = M, 2 = Q, 3 = H
    int32_t ecCodewordsPerBlock;
    int32_t blocks1;
    int32_t totalPerBlock1;
    int32_t dataPerBlock1;
    int32_t blocks2;
    int32_t totalPerBlock2;
    int32_t dataPerBlock2;
};

constexpr int32_t kQRMinVersion = 1;
constexpr int32_t kQRMaxVersion = 40;

inline constexpr int32_t qrModulesForVersion(int32_t version) { return 17 + 4 * version; }

// The row of a version 1 ... 40, or nullptr.
const TVekQRVersionInfo* qrVersionInfo(int32_t version);

// The blocks of a version 1 ... 40 and level 0 ... 3, or nullptr.
const TVekQRBlockInfo* qrBlockInfo(int32_t version, int32_t level);

// Alignment-pattern centre coordinates (row and column coordinates alike) of a
// version; empty for version 1 and for versions outside 1 ... 40.
std::span<const int32_t> qrAlignmentCoordinates(int32_t version);

// The 15-bit format string of a 5-bit format value (level indicator x 8 + mask),
// most significant bit first, already masked with 101010000010010.
const char* qrFormatString(int32_t index);
constexpr int32_t kQRFormatCount = 32;

}  // namespace orvel
