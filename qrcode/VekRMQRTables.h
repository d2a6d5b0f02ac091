#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace orvel {

// Fixed rMQR tables: the 32 sizes R7x43 ... R17x139 (the version indicator
// is the row's index), their alignment-pattern columns, codeword blocks per
// level, character-count widths and the 18-bit format information.

struct TVekRMQRBlocks {
    int32_t blocks;
    int32_t ecPerBlock;
    int32_t dataCodewords;  // of all blocks; the later blocks take one more when they do not divide evenly
};

struct TVekRMQRVersionInfo {
    int32_t height;
    int32_t width;
    TVekRMQRBlocks levelM;
    TVekRMQRBlocks levelH;
    int32_t countBits[4];  // numeric, alphanumeric, byte, Kanji
    const TVekRMQRBlocks& blocks(bool levelIsH) const { return levelIsH ? levelH : levelM; }
    int32_t totalCodewords() const { return levelM.blocks * levelM.ecPerBlock + levelM.dataCodewords; }
};

constexpr int32_t kRMQRVersions = 32;

// The row of version indicator 0 ... 31, or nullptr.
const TVekRMQRVersionInfo* rmqrVersionInfo(int32_t index);
// The centre columns of the alignment patterns of a width (none for 27).
std::span<const int32_t> rmqrAlignmentColumns(int32_t width);

// The format information as read next to the finder or the sub-finder
// (bit 0 first in the reading order of the placement): version indicator and
// level H when at most three bits differ from a format word.
struct TVekRMQRFormat {
    int32_t version;  // 0 ... 31
    bool levelIsH;
    int32_t errors;
};
std::optional<TVekRMQRFormat> rmqrReadFormat(uint32_t bits, bool subFinderSide);
// Where format bit 0 ... 17 lies, as (column, row): three columns of five
// right of the finder's separator and three more in the next column, and the
// same turned about next to the sub-finder.
struct TVekModulePosition {
    int32_t column;
    int32_t row;
};
TVekModulePosition rmqrFormatPosition(int32_t bit, bool subFinderSide, int32_t width, int32_t height);
// The 18 masked format bits of a version indicator and level.
uint32_t rmqrFormatBits(int32_t version, bool levelIsH, bool subFinderSide);

}  // namespace orvel
