#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/VekUtil.h"

namespace orvel {

// The module matrix of a QR symbol with the function patterns marked. Indexed
// [x][y]: x is the module column from the top-left finder towards the top-right
// one, y the module row towards the bottom-left finder. Cell codes: -1 free data
// position, 0/16 light/dark data, 4/64 finder, 3 separator and light alignment,
// 48 dark alignment, 1/32 timing, 5/80 format, 6/96 version information.
// A cell is dark when its code is not -1 and bits 4-7 are not all zero.
class TVekQRBitMap {
public:
    static constexpr int32_t FREE = -1;
    static constexpr int32_t DATA_LIGHT = 0;
    static constexpr int32_t DATA_DARK = 16;
    static constexpr int32_t FINDER_DARK = 64;
    static constexpr int32_t FINDER_LIGHT = 4;
    static constexpr int32_t SEPARATOR = 3;
    static constexpr int32_t ALIGNMENT_DARK = 48;
    static constexpr int32_t TIMING_DARK = 32;
    static constexpr int32_t TIMING_LIGHT = 1;
    static constexpr int32_t FORMAT_DARK = 80;
    static constexpr int32_t FORMAT_LIGHT = 5;
    static constexpr int32_t VERSION_DARK = 96;
    static constexpr int32_t VERSION_LIGHT = 6;

    // Fills every cell with FREE and draws the function patterns of the version;
    // with placeFormat also the format areas and the always-dark module.
    void init(int32_t maxX, int32_t maxY, bool placeFormat, int32_t version);
    // init for the matrix's size, then the free cells take the matrix's modules.
    // The matrix must be rectangular ([column][row], all columns equally long).
    void init2(const TIntegerMatrix& matrix, int32_t version);

    int32_t getBit(int32_t x, int32_t y) const;  // FREE outside the map
    bool isBlack(int32_t x, int32_t y) const { return isBlackValue(getBit(x, y)); }
    static bool isBlackValue(int32_t code) { return code != FREE && (code & 0xF0) != 0; }
    static bool isDataBlack(int32_t code) { return code == DATA_DARK; }
    int32_t getMaxX() const { return maxX; }
    int32_t getMaxY() const { return maxY; }
    int32_t getVersion() const { return version; }

    // The 5-bit format value (level indicator x 8 + mask): the table entry equal
    // to one of the two readings, otherwise the nearest one.
    int32_t getFormatInformation() const;
    // Number of positions, up to the shorter length, where the texts differ.
    static int32_t getErrors(const std::string& a, const std::string& b);

    // Applies data mask 0 ... 7 to the data cells in place.
    void doMask(int32_t mask);
    // Reads count 8-bit codewords in placement order; positions the map does
    // not have read as light.
    TVectorInteger extractCodewords(int32_t count) const;

    // Writing side, used to build test symbols: writes codewords into the free
    // cells in placement order (remainder cells stay light) and the format
    // information of the level indicator and mask.
    void placeCodewords(const TVectorInteger& codewords);
    void placeFormat(int32_t formatValue);
    // The module matrix [x][y] of 0/1 values.
    TIntegerMatrix toMatrix() const;
    void setBit(int32_t x, int32_t y, int32_t code);

private:
    static bool maskCondition(int32_t mask, int32_t row, int32_t column);
    void fill(int32_t x0, int32_t y0, int32_t width, int32_t height, int32_t code);
    std::string readFormat(bool columnReading) const;
    template <typename Visit>
    void forEachDataPosition(int32_t count, Visit visit) const;

    std::vector<int32_t> modules;  // x * maxY + y
    int32_t version = 0;
    int32_t maxX = 0;
    int32_t maxY = 0;
};

}  // namespace orvel
