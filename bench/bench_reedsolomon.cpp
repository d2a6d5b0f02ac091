// Reed-Solomon correction of the shared GF(2^m) core: a QR version 40-H block
// (15 data and 30 check codewords) clean, at its capacity of 15 errors, and
// with 30 erasures; the QR wrapper on the same damaged block; and a large
// Aztec GF(4096) block at capacity.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "foundation/VekReedSolomon.h"
#include "qrcode/VekReedSolomonQR.h"

namespace {

using orvel::TVectorInteger;
using orvel::TVekGaloisField;
using orvel::TVekReedSolomon;

struct TBlock {
    TVectorInteger clean;
    TVectorInteger damaged;
    TVectorInteger positions;  // the damaged ones
};

TBlock makeBlock(const TVekReedSolomon& code, int32_t length, int32_t damage) {
    std::mt19937 random(40);
    const int32_t order = code.field().order();
    std::uniform_int_distribution<int32_t> symbol(0, order);
    TBlock block;
    block.clean.resize(static_cast<size_t>(length));
    for (int32_t& s : block.clean) s = symbol(random);
    code.encode(block.clean);
    TVectorInteger all(static_cast<size_t>(length));
    for (int32_t i = 0; i < length; ++i) all[static_cast<size_t>(i)] = i;
    std::shuffle(all.begin(), all.end(), random);
    block.positions.assign(all.begin(), all.begin() + damage);
    block.damaged = block.clean;
    std::uniform_int_distribution<int32_t> flip(1, order);
    for (int32_t p : block.positions) block.damaged[static_cast<size_t>(p)] ^= flip(random);
    return block;
}

const TVekReedSolomon& qrCode() {
    static const TVekReedSolomon code(TVekGaloisField::get(8, 0x11D), 30, 0);
    return code;
}

void runCorrection(benchmark::State& state, const TVekReedSolomon& code, const TBlock& block, bool asErasures) {
    const TVectorInteger none;
    const TVectorInteger& erasures = asErasures ? block.positions : none;
    TVectorInteger word;
    for (auto _ : state) {
        word = block.damaged;
        const int32_t result = code.correct(word, erasures);
        benchmark::DoNotOptimize(result);
        if (word != block.clean) state.SkipWithError("correction failed");
    }
}

void BM_CorrectQR40HBlock(benchmark::State& state) {
    const int32_t errors = static_cast<int32_t>(state.range(0));
    runCorrection(state, qrCode(), makeBlock(qrCode(), 45, errors), false);
}
BENCHMARK(BM_CorrectQR40HBlock)->Arg(0)->Arg(1)->Arg(15)->Unit(benchmark::kMicrosecond);

void BM_CorrectQR40HBlock30Erasures(benchmark::State& state) {
    runCorrection(state, qrCode(), makeBlock(qrCode(), 45, 30), true);
}
BENCHMARK(BM_CorrectQR40HBlock30Erasures)->Unit(benchmark::kMicrosecond);

// The QR family's own entry: the block laid out in its 255-symbol word.
void BM_DecodeQRWrapper40HBlock15Errors(benchmark::State& state) {
    const orvel::TVekReedSolomonQR rs(8, 30, 225, {1, 0, 1, 1, 1, 0, 0, 0, 1});
    const TBlock block = makeBlock(qrCode(), 45, 15);
    TVectorInteger received = block.damaged;
    received.resize(255, 0);
    TVectorInteger corrected;
    for (auto _ : state) {
        rs.decode(received, corrected);
        benchmark::DoNotOptimize(corrected.data());
    }
    if (!std::equal(block.clean.begin(), block.clean.end(), corrected.begin())) state.SkipWithError("wrong");
}
BENCHMARK(BM_DecodeQRWrapper40HBlock15Errors)->Unit(benchmark::kMicrosecond);

// An Aztec 32-layer-sized block: 1437 twelve-bit words, 300 of them check
// words, 150 in error.
void BM_CorrectAztec4096Block150Errors(benchmark::State& state) {
    static const TVekReedSolomon code(TVekGaloisField::get(12, 0x1069), 300, 1);
    runCorrection(state, code, makeBlock(code, 1437, 150), false);
}
BENCHMARK(BM_CorrectAztec4096Block150Errors)->Unit(benchmark::kMillisecond);

}  // namespace
