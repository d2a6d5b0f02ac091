#include "datamatrix/VekDatamatrixDecoder.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <string_view>

#include "datamatrix/VekCharPlacer.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"
#include "datamatrix/VekReedSolomonDM.h"
#include "foundation/VekException.h"

namespace orvel {

namespace {

// x^8 + x^5 + x^3 + x^2 + 1, the ECC 200 field.
constexpr std::array<int32_t, 9> ecc200FieldPolynomial = {1, 0, 1, 1, 0, 1, 0, 0, 1};

// Error correction codeword i of a 144 x 144 symbol belongs to block
// i mod 10 in the standard's order; the shifted order moves each block's
// codewords two block places on.
constexpr int32_t SHIFTED_ECC_OFFSET = 2;

// The four regions of a fixed 32 x 32 symbol for the self-test, P inside Q,
// each from its solid edge (first text) to its clock row (last text).
constexpr std::array<std::string_view, 64> selfTestRegions = {
    "1111111111111111", "1100111110010110", "1000010011001111", "1110011000000110",
    "1001101011010011", "1110001111100010", "1001110100010111", "1001101101100000",
    "1110101011100101", "1001100110010100", "1011010110110111", "1000111100010010",
    "1100011111001001", "1010110011110000", "1101011110000001", "1010101010101010",
    "1111111111111111", "1101111001101000", "1011001101111001", "1000010011011000",
    "1111011100010001", "1100001101110100", "1011110001001001", "1101001000010110",
    "1100001111100011", "1001101010011010", "1011010111111011", "1001101111011100",
    "1110111101010011", "1011000010100110", "1010001000100011", "1010101010101010",
    "1111111111111111", "1111010110001110", "1011110101010101", "1011001000000010",
    "1000110110111111", "1110000010110100", "1010110101100111", "1001111110100010",
    "1011101011010101", "1100010011110100", "1101001100110001", "1011110111010100",
    "1111001101001011", "1101000111101100", "1111000000110001", "1010101010101010",
    "1111111111111111", "1101011010011010", "1111001100001101", "1001011001100000",
    "1011010100010111", "1101000011011100", "1001110000010111", "1110011100110010",
    "1100101100101011", "1101101010011110", "1011110000100101", "1000101111011110",
    "1110100111000101", "1100110000000000", "1010100000101111", "1010101010101010",
};

}  // namespace

TVekDatamatrixDecoder::TVekDatamatrixDecoder()
    : fieldPolynomial(ecc200FieldPolynomial.begin(), ecc200FieldPolynomial.end()) {}

void TVekDatamatrixDecoder::setSymbolSize(int32_t index) {
    if (index < 0 || index >= DM_SYMBOL_SIZE_COUNT) throw TVekException("Invalid symbol size index");
    loadSymbolSize(index);
}

void TVekDatamatrixDecoder::setExtendedSymbolSize(int32_t index) {
    if (index < 0 || index >= DM_ALL_SYMBOL_SIZE_COUNT) throw TVekException("Invalid symbol size index");
    loadSymbolSize(index);
}

void TVekDatamatrixDecoder::loadSymbolSize(int32_t index) {
    const auto& row = symbolSizeRow(index);
    symbolSizeIndex = index;
    symbolRows = row[DM_SYMBOL_ROWS];
    symbolCols = row[DM_SYMBOL_COLS];
    regionRows = row[DM_REGION_ROWS];
    regionCols = row[DM_REGION_COLS];
    regionCount = row[DM_REGION_COUNT];
    mappingRows = row[DM_MAPPING_ROWS];
    mappingCols = row[DM_MAPPING_COLS];
    dataCodewords = row[DM_DATA_CODEWORDS];
    eccCodewords = row[DM_ECC_CODEWORDS];
    dataPerBlock = row[DM_DATA_PER_BLOCK];
    eccPerBlock = row[DM_ECC_PER_BLOCK];
    blockCount = row[DM_BLOCK_COUNT];
}

void TVekDatamatrixDecoder::decodeRegions(const std::vector<TIntegerMatrix>& regions, int32_t regionsUp,
                                          TVectorInteger& codewords, int32_t regionsAcross) {
    if (symbolSizeIndex < 0) throw TVekException("Invalid symbol size index");
    checkRegions(regions, regionsUp, regionsAcross);
    const TIntegerMatrix symbol = buildSymbolMatrix(regions, regionsUp, regionsAcross);
    const TVectorInteger stream = readCodewords(symbol, placementMap());
    TIntegerMatrix blocks;
    try {
        blocks = correctBlocks(stream, TEccLayout::standard);
    } catch (const TVekRSException&) {
        if (symbolSizeIndex != DM_SIZE_144) throw;
        // Symbols written in the shifted order fail above: check codewords of
        // another block are as good as noise to a block. A failure here
        // fails the symbol.
        blocks = correctBlocks(stream, TEccLayout::shifted);
    }
    codewords = interleaveData(blocks);
}

void TVekDatamatrixDecoder::checkRegions(const std::vector<TIntegerMatrix>& regions, int32_t regionsUp,
                                         int32_t regionsAcross) const {
    const size_t rowsPerRegion = static_cast<size_t>(regionRows) + 2;
    const size_t colsPerRegion = static_cast<size_t>(regionCols) + 2;
    const bool shapeFits = regionsUp > 0 && regionsAcross > 0 &&
                           static_cast<int64_t>(regionsUp) * static_cast<int64_t>(rowsPerRegion) == symbolRows &&
                           static_cast<int64_t>(regionsAcross) * static_cast<int64_t>(colsPerRegion) == symbolCols &&
                           regions.size() == static_cast<size_t>(regionsUp) * static_cast<size_t>(regionsAcross);
    if (!shapeFits) throw TVekException("Regions do not match the symbol size");
    for (const TIntegerMatrix& region : regions) {
        if (region.size() != rowsPerRegion) throw TVekException("Regions do not match the symbol size");
        for (const TVectorInteger& row : region) {
            if (row.size() != colsPerRegion) throw TVekException("Regions do not match the symbol size");
        }
    }
}

// Row 0 of the result is the solid edge along the first side, as in the
// region matrices.
TIntegerMatrix TVekDatamatrixDecoder::buildSymbolMatrix(const std::vector<TIntegerMatrix>& regions,
                                                        int32_t regionsUp, int32_t regionsAcross) const {
    const size_t rowsPerRegion = static_cast<size_t>(regionRows) + 2;
    const size_t colsPerRegion = static_cast<size_t>(regionCols) + 2;
    TIntegerMatrix symbol(static_cast<size_t>(symbolRows), TVectorInteger(static_cast<size_t>(symbolCols), 0));
    size_t k = 0;
    for (int32_t q = 0; q < regionsUp; ++q) {
        for (int32_t p = 0; p < regionsAcross; ++p, ++k) {
            const TIntegerMatrix& region = regions[k];
            for (size_t r = 0; r < rowsPerRegion; ++r) {
                std::copy(region[r].begin(), region[r].end(),
                          symbol[q * rowsPerRegion + r].begin() + static_cast<std::ptrdiff_t>(p * colsPerRegion));
            }
        }
    }
    return symbol;
}

// For each symbol module (rows counted from the solid bottom edge) the
// codeword number x 100 + bit number it carries, or a value below 100 for
// finder, clock and fixed corner modules.
TIntegerMatrix TVekDatamatrixDecoder::buildPlacementMap() const {
    TIntegerMatrix map(static_cast<size_t>(symbolRows), TVectorInteger(static_cast<size_t>(symbolCols), -1));
    TVekCharPlacer placer(mappingRows, mappingCols);
    placer.array.assign(static_cast<size_t>(mappingCols + 10) * static_cast<size_t>(mappingRows), 0);
    placer.make();
    for (int32_t k = 0; k < mappingRows; ++k) {
        const int32_t rowFromTop = k + 1 + 2 * (k / regionRows);
        const int32_t mapRow = symbolRows - 1 - rowFromTop;
        for (int32_t l = 0; l < mappingCols; ++l) {
            const int32_t col = l + 1 + 2 * (l / regionCols);
            const int32_t v = placer.array[static_cast<size_t>(k) * mappingCols + l];
            map[mapRow][col] = v < 10 ? v : (v / 10) * 100 + v % 10;
        }
    }
    return map;
}

// The map depends on the symbol size only; each is made once per program.
const TIntegerMatrix& TVekDatamatrixDecoder::placementMap() const {
    static std::array<std::once_flag, DM_ALL_SYMBOL_SIZE_COUNT> made;
    static std::array<TIntegerMatrix, DM_ALL_SYMBOL_SIZE_COUNT> maps;
    const auto index = static_cast<size_t>(symbolSizeIndex);
    std::call_once(made[index], [&] { maps[index] = buildPlacementMap(); });
    return maps[index];
}

TVectorInteger TVekDatamatrixDecoder::readCodewords(const TIntegerMatrix& symbol, const TIntegerMatrix& map) const {
    TVectorInteger stream(static_cast<size_t>(dataCodewords + eccCodewords), 0);
    for (int32_t r = 0; r < symbolRows; ++r) {
        for (int32_t c = 0; c < symbolCols; ++c) {
            const int32_t e = map[r][c];
            if (e <= 99 || symbol[r][c] == 0) continue;
            const int32_t index = e / 100 - 1;
            const int32_t bit = e % 100;
            if (index < static_cast<int32_t>(stream.size()) && bit >= 1 && bit <= 8) {
                stream[index] |= 1 << (8 - bit);
            }
        }
    }
    return stream;
}

int32_t TVekDatamatrixDecoder::dataInBlock(int32_t block) const {
    return dataCodewordsOfBlock(dataCodewords, blockCount, block);
}

// Data codeword j belongs to block j mod blockCount, error correction
// codeword i to block i mod blockCount (moved on in the shifted layout), each
// in stream order.
TIntegerMatrix TVekDatamatrixDecoder::correctBlocks(const TVectorInteger& stream, TEccLayout layout) const {
    TIntegerMatrix blocks(static_cast<size_t>(blockCount), TVectorInteger(256, 0));
    for (int32_t j = 0; j < dataCodewords; ++j) blocks[j % blockCount][j / blockCount] = stream[j];
    const int32_t offset = layout == TEccLayout::shifted ? SHIFTED_ECC_OFFSET : 0;
    for (int32_t i = 0; i < eccCodewords; ++i) {
        const int32_t block = (i % blockCount + blockCount - offset % blockCount) % blockCount;
        blocks[block][dataInBlock(block) + i / blockCount] = stream[dataCodewords + i];
    }
    for (int32_t b = 0; b < blockCount; ++b) blocks[b] = correctBlock(blocks[b], dataInBlock(b));
    return blocks;
}

// The block as a polynomial: its first data codeword the coefficient of
// x^(n-1), its last error correction codeword that of x^0; the code is
// shortened by leading zeros.
TVectorInteger TVekDatamatrixDecoder::correctBlock(const TVectorInteger& block, int32_t dataCount) const {
    const int32_t n = dataCount + eccPerBlock;
    TVekReedSolomonDM rs(8, eccPerBlock, 255 - eccPerBlock, fieldPolynomial);
    TVectorInteger received(256, 0);
    for (int32_t i = 0; i < n; ++i) received[i] = block[n - 1 - i];
    TVectorInteger corrected;
    rs.decodeBlock(received, corrected);
    // A correction in the positions the shortening keeps zero means the word
    // was too damaged and the decoder found some other code word.
    for (int32_t i = n; i < rs.getNn(); ++i) {
        if (corrected[i] != 0) throw TVekRSException("Cannot solve RS errors");
    }
    TVectorInteger result(256, 0);
    for (int32_t i = 0; i < n; ++i) result[i] = corrected[n - 1 - i];
    return result;
}

TVectorInteger TVekDatamatrixDecoder::interleaveData(const TIntegerMatrix& blocks) const {
    TVectorInteger data(static_cast<size_t>(dataCodewords));
    for (int32_t j = 0; j < dataCodewords; ++j) data[j] = blocks[j % blockCount][j / blockCount];
    return data;
}

bool TVekDatamatrixDecoder::test() {
    constexpr size_t regionSide = 16;
    std::vector<TIntegerMatrix> regions(4, TIntegerMatrix(regionSide, TVectorInteger(regionSide, 0)));
    for (size_t k = 0; k < selfTestRegions.size(); ++k) {
        const std::string_view text = selfTestRegions[k];
        for (size_t c = 0; c < regionSide && c < text.size(); ++c) {
            regions[k / regionSide][k % regionSide][c] = text[c] == '1' ? 1 : 0;
        }
    }
    setSymbolSize(9);
    TVectorInteger codewords;
    try {
        decodeRegions(regions, 2, codewords, 2);
    } catch (const TVekException&) {
        return false;
    }
    return static_cast<int32_t>(codewords.size()) == dataCodewords;
}

}  // namespace orvel
