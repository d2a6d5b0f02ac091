// Speed of the QR Code reader: the back end on a version 40-H module matrix
// (3706 codewords in 81 blocks, from format reading to the decoded bytes), and
// the whole read of a 4000 x 3000 photo-sized picture.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "foundation/VekPictureLoader.h"
#include "qrcode/VekQRCodeReader.h"

#include "qrcode/VekQRBitMap.h"
#include "qrcode/VekQRCodeDecoder.h"
#include "qrcode/VekQRTables.h"
#include "qrcode/VekReedSolomonQR.h"

namespace {

using namespace orvel;

// A symbol holding one byte segment that fills it, every block with three
// codewords in error so the correction path runs.
TIntegerMatrix buildSymbol(int version, int level, int mask) {
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
        for (int p : {1, 7, 12}) block[p % length] ^= 0x5A;
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
    static constexpr int kIndicator[] = {1, 0, 3, 2};  // L, M, Q, H
    map.placeFormat(kIndicator[level] * 8 + mask);
    return map.toMatrix();
}

TIntegerMatrix buildVersion40H() { return buildSymbol(40, 3, 5); }

// A 4000 x 3000 picture like a phone photo: uneven grey background with noise
// and some dark clutter, and a version 10-M symbol of 14-pixel modules turned
// by 4 degrees. ORVEL_BENCH_PHOTO names a real picture to use instead.
TVekImage buildPhoto() {
    if (const char* path = std::getenv("ORVEL_BENCH_PHOTO")) return loadPictureFile(path);
    const int width = 4000, height = 3000;
    TVekImage picture(width, height);
    std::mt19937 random(4000);
    std::normal_distribution<double> noise(0, 9);
    const TIntegerMatrix symbol = buildSymbol(10, 1, 2);
    const int size = static_cast<int>(symbol.size());
    const double module = 14, angle = 4 * 3.14159265358979 / 180;
    const double cx = 2100, cy = 1400, half = size * module / 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double grey = 150 + 60.0 * x / width + 30.0 * y / height + noise(random);
            // Clutter: text-like dark strokes in a band across the picture.
            if (y > 2400 && y < 2700 && (x / 9) % 5 < 2 && (y / 23) % 3 == 0) grey = 40;
            const double dx = x - cx, dy = y - cy;
            const double u = (std::cos(angle) * dx + std::sin(angle) * dy + half) / module;
            const double v = (-std::sin(angle) * dx + std::cos(angle) * dy + half) / module;
            if (u >= -4 && v >= -4 && u < size + 4 && v < size + 4) {
                const int c = static_cast<int>(std::floor(u)), r = static_cast<int>(std::floor(v));
                const bool dark = c >= 0 && r >= 0 && c < size && r < size && symbol[c][r] != 0;
                grey = (dark ? 35 : 225) + noise(random);
            }
            const uint32_t g = static_cast<uint32_t>(std::clamp(grey, 0.0, 255.0));
            picture.setPixel(x, y, (g << 16) | (g << 8) | g);
        }
    }
    return picture;
}

void BM_ReadPhoto4000x3000(benchmark::State& state) {
    TVekImage picture = buildPhoto();
    TVekQRCodeReader reader;
    const TVekQRCodeDataArray first = reader.read(picture);
    if (first.empty() || !first[0].success) {
        state.SkipWithError("the symbol of the photo is not read");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(reader.read(picture));
    state.counters["records"] = static_cast<double>(first.size());
}
BENCHMARK(BM_ReadPhoto4000x3000)->Unit(benchmark::kMillisecond);

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
