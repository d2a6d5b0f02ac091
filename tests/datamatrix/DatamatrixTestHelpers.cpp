#include "DatamatrixTestHelpers.h"

#include "datamatrix/VekCharPlacer.h"
#include "datamatrix/VekDatamatrixCWDecoder.h"
#include "datamatrix/VekDatamatrixDecoder.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"
#include "support/TestSupport.h"

namespace orvel::test {

TModuleMatrix zintDatamatrix(const std::string& arguments) {
    TModuleMatrix rows = zintDump("-b DATAMATRIX --square " + arguments);
    for (auto& row : rows) {
        if (row.size() < rows.size()) return {};
        row.resize(rows.size());
    }
    return rows;
}

TModuleMatrix zintDatamatrixAnySize(const std::string& arguments) {
    TModuleMatrix rows = zintDump("-b DATAMATRIX " + arguments);
    if (rows.empty()) return rows;
    size_t width = 0;
    while (width < rows.back().size() && rows.back()[width] != 0) ++width;
    for (auto& row : rows) row.resize(width);
    return rows;
}

int32_t squareSizeIndex(const TModuleMatrix& symbol) {
    for (int32_t i = 0; i < DM_SQUARE_SYMBOL_SIZE_COUNT; ++i) {
        if (symbolSizeTable[i][DM_SYMBOL_ROWS] == static_cast<int32_t>(symbol.size())) return i;
    }
    return -1;
}

TRegionCut cutRegions(const TModuleMatrix& symbol, int32_t sizeIndex) {
    const auto& size = symbolSizeTable[sizeIndex];
    const int32_t side = size[DM_REGION_ROWS] + 2;
    const int32_t rows = static_cast<int32_t>(symbol.size());
    TRegionCut cut;
    cut.regionsUp = size[DM_SYMBOL_ROWS] / side;
    cut.regionsAcross = size[DM_SYMBOL_COLS] / side;
    for (int32_t q = 0; q < cut.regionsUp; ++q) {
        for (int32_t p = 0; p < cut.regionsAcross; ++p) {
            TIntegerMatrix region(side, TVectorInteger(side));
            for (int32_t i = 0; i < side; ++i) {
                for (int32_t j = 0; j < side; ++j) region[i][j] = symbol[rows - 1 - (q * side + i)][p * side + j];
            }
            cut.regions.push_back(std::move(region));
        }
    }
    return cut;
}

namespace {

// Calls visit(row, column, codewordIndex, bitMask) for every module that
// carries a codeword bit, rows counted from the top.
template <typename Visit>
void forEachCodewordModule(int32_t sizeIndex, Visit visit) {
    const auto& size = symbolSizeTable[sizeIndex];
    TVekCharPlacer placer(size[DM_MAPPING_ROWS], size[DM_MAPPING_COLS]);
    placer.make();
    for (int32_t k = 0; k < placer.nrow; ++k) {
        for (int32_t l = 0; l < placer.ncol; ++l) {
            const int32_t v = placer.array[k * placer.ncol + l];
            if (v < 10) continue;
            const int32_t row = k + 1 + 2 * (k / size[DM_REGION_ROWS]);
            const int32_t col = l + 1 + 2 * (l / size[DM_REGION_COLS]);
            visit(row, col, v / 10 - 1, 1 << (8 - v % 10));
        }
    }
}

}  // namespace

TVectorInteger readStream(const TModuleMatrix& symbol, int32_t sizeIndex) {
    const auto& size = symbolSizeTable[sizeIndex];
    TVectorInteger stream(size[DM_DATA_CODEWORDS] + size[DM_ECC_CODEWORDS], 0);
    forEachCodewordModule(sizeIndex, [&](int32_t row, int32_t col, int32_t index, int32_t mask) {
        if (symbol[row][col]) stream[index] |= mask;
    });
    return stream;
}

void writeStream(TModuleMatrix& symbol, int32_t sizeIndex, const TVectorInteger& stream) {
    forEachCodewordModule(sizeIndex, [&](int32_t row, int32_t col, int32_t index, int32_t mask) {
        symbol[row][col] = (stream[index] & mask) ? 1 : 0;
    });
}

TVectorInteger decodeSymbolCodewords(const TModuleMatrix& symbol) {
    const int32_t sizeIndex = squareSizeIndex(symbol);
    const TRegionCut cut = cutRegions(symbol, sizeIndex);
    TVekDatamatrixDecoder decoder;
    decoder.setSymbolSize(sizeIndex);
    TVectorInteger codewords;
    decoder.decodeRegions(cut.regions, cut.regionsUp, codewords, cut.regionsAcross);
    return codewords;
}

TVectorInteger decodeContent(const TVectorInteger& codewords, TVectorString* texts) {
    TVekDatamatrixCWDecoder decoder;
    TVectorString labels(codewords.size() * 2);
    TVectorInteger values(codewords.size() * 2);
    int32_t pos = 0;
    int32_t count = 0;
    decoder.decode(pos, codewords, labels, values, count);
    values.resize(count);
    labels.resize(count);
    if (texts) *texts = labels;
    return values;
}

TVectorInteger bytesOf(const std::string& text) {
    TVectorInteger bytes;
    for (char c : text) bytes.push_back(static_cast<uint8_t>(c));
    return bytes;
}

TVectorInteger c40Pairs(const TVectorInteger& values) {
    TVectorInteger codewords;
    for (size_t i = 0; i + 2 < values.size(); i += 3) {
        const int32_t v = values[i] * 1600 + values[i + 1] * 40 + values[i + 2] + 1;
        codewords.push_back(v / 256);
        codewords.push_back(v % 256);
    }
    return codewords;
}

}  // namespace orvel::test
