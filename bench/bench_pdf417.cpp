// PDF417 back end: Reed–Solomon correction at the highest error correction
// level and byte compaction decoding of a full-size message.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "pdf417/VekPDF417CWDecoder.h"
#include "pdf417/VekPDF417RS.h"

namespace {

using orvel::TVectorInteger;

// The largest symbol: 928 codewords, 512 of them check codewords, with 256
// of all the codewords changed.
void BM_CorrectLevel8With256Errors(benchmark::State& state) {
    std::mt19937 random(8);
    std::uniform_int_distribution<int32_t> value(0, 928);
    TVectorInteger data(928 - 512);
    for (auto& d : data) d = value(random);
    const TVectorInteger valid = orvel::TVekPDF417RS::encode(data, 512);
    TVectorInteger damaged = valid;
    std::vector<size_t> positions(valid.size());
    for (size_t i = 0; i < positions.size(); ++i) positions[i] = i;
    std::shuffle(positions.begin(), positions.end(), random);
    for (size_t i = 0; i < 256; ++i) damaged[positions[i]] = (damaged[positions[i]] + 1 + value(random) % 928) % 929;

    const orvel::TVekPDF417RS rs;
    TVectorInteger codewords;
    for (auto _ : state) {
        codewords = damaged;
        const int32_t result = rs.correct(codewords, 512);
        benchmark::DoNotOptimize(result);
        if (result != 256 || codewords != valid) state.SkipWithError("correction failed");
    }
}
BENCHMARK(BM_CorrectLevel8With256Errors)->Unit(benchmark::kMillisecond);

// 900 codewords: the length descriptor, the byte latch, 179 groups of five
// codewords (six bytes each) and three single bytes.
void BM_DecodeByteMessage900(benchmark::State& state) {
    std::mt19937 random(900);
    std::uniform_int_distribution<int32_t> value(0, 899);
    TVectorInteger codewords = {900, orvel::TVekPDF417CWDecoder::LATCH_TO_BYTE};
    while (codewords.size() < 897) codewords.push_back(value(random));
    for (int32_t b : {65, 66, 67}) codewords.push_back(b);

    TVectorInteger result;
    for (auto _ : state) {
        orvel::TVekPDF417CWDecoder decoder;
        decoder.decode(codewords, result);
        benchmark::DoNotOptimize(result.data());
        if (result.size() != 179 * 6 + 3) state.SkipWithError("wrong message length");
    }
}
BENCHMARK(BM_DecodeByteMessage900)->Unit(benchmark::kMicrosecond);

}  // namespace
