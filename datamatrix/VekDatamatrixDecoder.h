#pragma once

#include <cstdint>
#include <vector>

#include "foundation/VekUtil.h"

namespace orvel {

// Turns the sampled data regions of one ECC 200 symbol into its corrected
// data codewords: glues the regions together, reads the codewords in the
// placement order, corrects each interleaved Reed-Solomon block and joins the
// data codewords again.
//
// A region matrix is (n + 2) x (n + 2) for n x n data modules, [row][column]:
// row 0 is the solid edge along the first side (the bottom of an upright
// symbol), column 0 the solid edge along the second side, the last row and
// column the clock track.
class TVekDatamatrixDecoder {
public:
    TVekDatamatrixDecoder();

    // Takes row index (0 ... 29) of symbolSizeTable; anything else raises
    // TVekException.
    void setSymbolSize(int32_t index);
    // Also takes the rectangular extension sizes after them (30 ... 47, see
    // symbolSizeRow); the photo path's way in.
    void setExtendedSymbolSize(int32_t index);

    // regions: regionsUp x regionsAcross matrices, the regions along the first
    // side first (Q outside, P inside). codewords receives the dataCodewords
    // corrected data codewords. Raises TVekRSException when a
    // block cannot be corrected, TVekException when the regions do not fit
    // the symbol size.
    void decodeRegions(const std::vector<TIntegerMatrix>& regions, int32_t regionsUp, TVectorInteger& codewords,
                       int32_t regionsAcross);

    // Decodes a fixed 32 x 32 symbol; true when its codewords come out.
    bool test();

    int32_t getSymbolSizeIndex() const { return symbolSizeIndex; }

private:
    void loadSymbolSize(int32_t index);
    // Where the error correction codewords of each block stand in a 144 x 144
    // symbol: as the standard says, or where many encoders put them (those of
    // block b where the standard has block b + 2 mod 10).
    enum class TEccLayout { standard, shifted };

    void checkRegions(const std::vector<TIntegerMatrix>& regions, int32_t regionsUp, int32_t regionsAcross) const;
    TIntegerMatrix buildSymbolMatrix(const std::vector<TIntegerMatrix>& regions, int32_t regionsUp,
                                     int32_t regionsAcross) const;
    TIntegerMatrix buildPlacementMap() const;
    const TIntegerMatrix& placementMap() const;
    TVectorInteger readCodewords(const TIntegerMatrix& symbol, const TIntegerMatrix& map) const;
    TIntegerMatrix correctBlocks(const TVectorInteger& stream, TEccLayout layout) const;
    TVectorInteger correctBlock(const TVectorInteger& block, int32_t dataCount) const;
    TVectorInteger interleaveData(const TIntegerMatrix& blocks) const;
    int32_t dataInBlock(int32_t block) const;

    int32_t symbolRows = 0;
    int32_t symbolCols = 0;
    int32_t regionRows = 0;
    int32_t regionCols = 0;
    int32_t mappingRows = 0;
    int32_t mappingCols = 0;
    int32_t regionCount = 0;
    int32_t dataCodewords = 0;
    int32_t eccCodewords = 0;
    int32_t dataPerBlock = 0;
    int32_t eccPerBlock = 0;
    int32_t blockCount = 0;
    int32_t symbolSizeIndex = -1;
    TVectorInteger fieldPolynomial;
};

}  // namespace orvel
