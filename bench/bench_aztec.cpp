// Decoding a 32-layer Aztec symbol (151 x 151 modules, 1664 twelve-bit
// codewords) from its module map: layer reading, Reed-Solomon correction over
// GF(4096) and character decoding.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "aztec/VekAzBitMap.h"
#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekAztecDecoder.h"
#include "aztec/VekAztecModeMessage.h"
#include "aztec/VekReedSolomonAZ.h"

namespace orvel {
namespace {

// The saved zint dump of the test data: rows of hex digits, 1 = dark.
std::optional<TVekAzBitMap> loadSymbol() {
    const auto path =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/data/aztec/full-range-32-layers.dump";
    std::ifstream file(path);
    std::vector<std::string> rows;
    std::string line;
    while (std::getline(file, line)) {
        std::string bits;
        for (char c : line) {
            const int nibble = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (nibble < 0) continue;
            for (int bit = 3; bit >= 0; --bit) bits += ((nibble >> bit) & 1) != 0 ? '1' : '0';
        }
        if (!bits.empty()) rows.push_back(bits);
    }
    const auto size = static_cast<int32_t>(rows.size());
    if (size != 151) return std::nullopt;
    TVekAzBitMap map(size, size, false);
    const int32_t half = size / 2;
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x)
            map.setCell(x - half, y - half, rows[static_cast<size_t>(y)][static_cast<size_t>(x)] == '1' ? 1 : 0);
    return map;
}

struct TSymbol {
    TVekAzBitMap map;
    TVekAztecModeMessage mode;
    int32_t configuration;
    int32_t wordSize;
};

std::optional<TSymbol> prepare(benchmark::State& state) {
    auto map = loadSymbol();
    if (!map) {
        state.SkipWithError("tests/data/aztec/full-range-32-layers.dump not found");
        return std::nullopt;
    }
    const TVekAztecModeMessage mode = decodeModeMessage(modeMessageBits(*map, false), false);
    const int32_t configuration = findAztecConfiguration(mode.layers, false);
    const int32_t wordSize = AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_WORD_SIZE];
    return TSymbol{std::move(*map), mode, configuration, wordSize};
}

// Everything after sampling: mode message, layers, correction, characters.
void BM_AztecDecode32Layers(benchmark::State& state) {
    auto symbol = prepare(state);
    if (!symbol) return;
    TVekAztecDecoder decoder;
    for (auto _ : state) {
        const TVekAztecModeMessage mode = decodeModeMessage(modeMessageBits(symbol->map, false), false);
        const TVekAztecData data =
            decoder.decode(symbol->wordSize, symbol->configuration, readLayers(symbol->map, false), mode.dataCodewords);
        benchmark::DoNotOptimize(data.getValue().data());
    }
}
BENCHMARK(BM_AztecDecode32Layers)->Unit(benchmark::kMillisecond);

// The same with as many damaged codewords as the check words can repair.
void BM_AztecDecode32LayersMaxDamage(benchmark::State& state) {
    auto symbol = prepare(state);
    if (!symbol) return;
    std::string bits = readLayers(symbol->map, false).getBits();
    const int32_t total = AZTEC_CONFIGURATIONS[static_cast<size_t>(symbol->configuration)][AZ_CONF_CODEWORDS];
    const int32_t damaged = (total - symbol->mode.dataCodewords) / 2;
    const auto offset = static_cast<int32_t>(bits.size()) % symbol->wordSize;
    for (int32_t i = 0; i < damaged; ++i) {
        const int32_t word = i * total / damaged;
        char& c = bits[static_cast<size_t>(offset + word * symbol->wordSize)];
        c = c == '1' ? '0' : '1';
    }
    const TVekAzBitString damagedBits(bits);
    TVekAztecDecoder decoder;
    for (auto _ : state) {
        const TVekAztecData data =
            decoder.decode(symbol->wordSize, symbol->configuration, damagedBits, symbol->mode.dataCodewords);
        benchmark::DoNotOptimize(data.getValue().data());
    }
    state.counters["damagedCodewords"] = damaged;
}
BENCHMARK(BM_AztecDecode32LayersMaxDamage)->Unit(benchmark::kMillisecond);

void BM_AztecReadLayers32(benchmark::State& state) {
    auto symbol = prepare(state);
    if (!symbol) return;
    for (auto _ : state) {
        const TVekAzBitString bits = readLayers(symbol->map, false);
        benchmark::DoNotOptimize(bits.length());
    }
}
BENCHMARK(BM_AztecReadLayers32)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvel
