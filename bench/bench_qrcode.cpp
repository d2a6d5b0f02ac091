// Decoding speed of the QR back end: a version 40-H module matrix (3706
// codewords in 81 blocks) from format reading to the decoded bytes.
#include <benchmark/benchmark.h>

#include "qrcode/VekQRBitMap.h"
#include "qrcode/VekQRCodeDecoder.h"
#include "qrcode/VekQRTables.h"
#include "qrcode/VekReedSolomonQR.h"

namespace {

using namespace orvel;

// A version 40-H symbol (mask 5) holding one byte segment, every block with
// three codewords in error so the correction path runs.
TIntegerMatrix buildVersion40H() {
    const int version = 40, level = 3, mask = 5;
    const TVekQRBlockInfo* info = qrBlockInfo(version, level);
    std::vector<int> lengths(info->blocks1, info->dataPerBlock1);
    lengths.insert(lengths.end(), info->blocks2, info->dataPerBlock2);
    int capacity = 0;
    for (int length : lengths) capacity += length;

    TVekQRBitString bits;
    const int count = capacity - 3;
    bits.appendBits(4, 4);
    bits.appendBits(static_cast<uint32_t>(count), 16);
    for (int i = 0; i < count; ++i) bits.appendBits(static_cast<uint32_t>('a' + i % 26), 8);
    bits.appendBits(0, 4);
    TVectorInteger data;
    while (bits.length() >= 8) data.push_back(static_cast<int32_t>(bits.readBits(8)));
    while (static_cast<int>(data.size()) < capacity) data.push_back(data.size() % 2 ? 17 : 236);

    const int e = info->ecCodewordsPerBlock;
    const TVekReedSolomonQR rs(8, e, 255 - e, {1, 0, 1, 1, 1, 0, 0, 0, 1});
    std::vector<TVectorInteger> dataBlocks, ecBlocks;
    size_t next = 0;
    for (int length : lengths) {
        TVectorInteger word(255, 0);
        TVectorInteger block(data.begin() + next, data.begin() + next + length);
        for (int p = 0; p < length; ++p) word[e + length - 1 - p] = block[p];
        next += length;
        rs.encode(word);
        TVectorInteger ec(e);
        for (int p = 0; p < e; ++p) ec[p] = word[e - 1 - p];
        for (int p : {1, 7, 20}) block[p] ^= 0x5A;
        dataBlocks.push_back(block);
        ecBlocks.push_back(ec);
    }
    TVectorInteger stream;
    for (int t = 0; t < lengths.back(); ++t)
        for (const auto& block : dataBlocks)
            if (t < static_cast<int>(block.size())) stream.push_back(block[t]);
    for (int t = 0; t < e; ++t)
        for (const auto& block : ecBlocks) stream.push_back(block[t]);

    TVekQRBitMap map;
    const int n = qrModulesForVersion(version);
    map.init(n, n, true, version);
    map.placeCodewords(stream);
    map.doMask(mask);
    map.placeFormat(2 * 8 + mask);  // level indicator of H is 10
    return map.toMatrix();
}

void BM_DecodeArrayVersion40H(benchmark::State& state) {
    const TIntegerMatrix matrix = buildVersion40H();
    const TVekQRCodeDecoder decoder;
    if (!decoder.decodeArray(matrix).success) {
        state.SkipWithError("the version 40-H symbol does not decode");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(decoder.decodeArray(matrix));
}
BENCHMARK(BM_DecodeArrayVersion40H)->Unit(benchmark::kMillisecond);

}  // namespace
