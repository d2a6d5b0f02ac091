// Correcting a 144 x 144 Data Matrix symbol from its 36 sampled regions:
// gluing the regions, the placement, reading 2178 codewords, ten
// Reed-Solomon blocks, and the codeword decoding of the result.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "datamatrix/VekCharPlacer.h"
#include "datamatrix/VekDatamatrixCWDecoder.h"
#include "datamatrix/VekDatamatrixDecoder.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"

namespace orvel {
namespace {

using TModules = std::vector<std::vector<int>>;

// The saved zint dump of the test data: rows of hex digits, 1 = dark, row 0
// at the top.
std::optional<TModules> loadSymbol() {
    const auto path =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/data/datamatrix/symbol-144.dump";
    std::ifstream file(path);
    TModules rows;
    std::string line;
    while (std::getline(file, line)) {
        std::vector<int> bits;
        for (char c : line) {
            const int nibble = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (nibble < 0) continue;
            for (int bit = 3; bit >= 0; --bit) bits.push_back((nibble >> bit) & 1);
        }
        if (bits.size() < 144) continue;
        bits.resize(144);
        rows.push_back(bits);
    }
    if (rows.size() != 144) return std::nullopt;
    return rows;
}

// Visits every codeword module: (row from the top, column, codeword index, bit mask).
template <typename Visit>
void forEachCodewordModule(Visit visit) {
    const auto& size = symbolSizeTable[DM_SIZE_144];
    TVekCharPlacer placer(size[DM_MAPPING_ROWS], size[DM_MAPPING_COLS]);
    placer.make();
    for (int32_t k = 0; k < placer.nrow; ++k) {
        for (int32_t l = 0; l < placer.ncol; ++l) {
            const int32_t v = placer.array[k * placer.ncol + l];
            if (v < 10) continue;
            visit(k + 1 + 2 * (k / size[DM_REGION_ROWS]), l + 1 + 2 * (l / size[DM_REGION_COLS]), v / 10 - 1,
                  1 << (8 - v % 10));
        }
    }
}

// zint writes the error correction codewords of block b where the standard
// has those of block b + 2; `standardOrder` moves them to the standard's
// places. `errorsPerBlock` spoils that many data codewords of every block.
TModules prepare(TModules symbol, bool standardOrder, int32_t errorsPerBlock) {
    const int32_t data = symbolSizeTable[DM_SIZE_144][DM_DATA_CODEWORDS];
    const int32_t ecc = symbolSizeTable[DM_SIZE_144][DM_ECC_CODEWORDS];
    TVectorInteger stream(data + ecc, 0);
    forEachCodewordModule([&](int32_t r, int32_t c, int32_t index, int32_t mask) {
        if (symbol[r][c]) stream[index] |= mask;
    });
    TVectorInteger changed = stream;
    if (standardOrder) {
        for (int32_t i = 0; i < ecc; ++i) changed[data + (i / 10) * 10 + (i % 10 + 8) % 10] = stream[data + i];
    }
    for (int32_t e = 0; e < errorsPerBlock; ++e) {
        for (int32_t block = 0; block < 10; ++block) changed[(e * 15) * 10 + block] ^= 0x5A;
    }
    forEachCodewordModule([&](int32_t r, int32_t c, int32_t index, int32_t mask) {
        symbol[r][c] = (changed[index] & mask) ? 1 : 0;
    });
    return symbol;
}

// The 36 region matrices as the reader samples them: each from its solid
// bottom edge, the regions along the bottom first.
std::vector<TIntegerMatrix> cutRegions(const TModules& symbol) {
    constexpr int32_t side = 24;
    std::vector<TIntegerMatrix> regions;
    for (int32_t q = 0; q < 6; ++q) {
        for (int32_t p = 0; p < 6; ++p) {
            TIntegerMatrix region(side, TVectorInteger(side));
            for (int32_t i = 0; i < side; ++i) {
                for (int32_t j = 0; j < side; ++j) region[i][j] = symbol[143 - (q * side + i)][p * side + j];
            }
            regions.push_back(std::move(region));
        }
    }
    return regions;
}

void decodeRegions144(benchmark::State& state, bool standardOrder, int32_t errorsPerBlock) {
    const std::optional<TModules> symbol = loadSymbol();
    if (!symbol) {
        state.SkipWithError("tests/data/datamatrix/symbol-144.dump missing");
        return;
    }
    const std::vector<TIntegerMatrix> regions = cutRegions(prepare(*symbol, standardOrder, errorsPerBlock));
    TVectorInteger codewords;
    for (auto _ : state) {
        TVekDatamatrixDecoder decoder;
        decoder.setSymbolSize(DM_SIZE_144);
        decoder.decodeRegions(regions, 6, codewords, 6);
        benchmark::DoNotOptimize(codewords.data());
    }
    state.counters["codewords"] = static_cast<double>(codewords.size());
}

void BM_DecodeRegions144Standard(benchmark::State& state) { decodeRegions144(state, true, 0); }
void BM_DecodeRegions144StandardDamaged(benchmark::State& state) { decodeRegions144(state, true, 10); }
// Tries the standard order first, then zint's.
void BM_DecodeRegions144Shifted(benchmark::State& state) { decodeRegions144(state, false, 0); }

void BM_DecodeCodewords144(benchmark::State& state) {
    const std::optional<TModules> symbol = loadSymbol();
    if (!symbol) {
        state.SkipWithError("tests/data/datamatrix/symbol-144.dump missing");
        return;
    }
    TVectorInteger codewords;
    TVekDatamatrixDecoder decoder;
    decoder.setSymbolSize(DM_SIZE_144);
    decoder.decodeRegions(cutRegions(*symbol), 6, codewords, 6);
    TVekDatamatrixCWDecoder cwDecoder;
    TVectorString texts(codewords.size() * 2);
    TVectorInteger values(codewords.size() * 2);
    for (auto _ : state) {
        int32_t pos = 0;
        int32_t count = 0;
        cwDecoder.decode(pos, codewords, texts, values, count);
        benchmark::DoNotOptimize(count);
    }
}

BENCHMARK(BM_DecodeRegions144Standard)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeRegions144StandardDamaged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeRegions144Shifted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeCodewords144)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvel
