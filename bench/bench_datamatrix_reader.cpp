// Speed of the Data Matrix reader: the whole read of a 4000 x 3000
// photo-sized picture holding one 32 x 32 symbol among clutter.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "datamatrix/VekDatamatrixReader.h"
#include "foundation/VekPictureLoader.h"

namespace {

using namespace orvel;

// zint -b DATAMATRIX --square --vers=10 --dump
// -d "Orvel benchmark 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123": rows of
// hex digits, most significant bit first, the clock row on top.
const std::vector<std::string> symbolRows = {
    "AAAAAAAA",
    "FCEDFA6F",
    "D9F8A040",
    "F76BD9C5",
    "B83ECEDE",
    "8F05FA25",
    "C0EE9A9E",
    "CD6BDB2B",
    "8F76C732",
    "DE53FC11",
    "8342D3C0",
    "F409B44F",
    "CBA29CBA",
    "C445FEAB",
    "C19EC2FC",
    "FFFFFFFF",
    "AAAAAAAA",
    "9D61985F",
    "DA30C668",
    "B8499C51",
    "FC94D184",
    "95BFBFAB",
    "D9A0B3C2",
    "EAC5856F",
    "9B869098",
    "9D95B625",
    "E22E91F6",
    "9B87AFBB",
    "EA12CC80",
    "87EBD565",
    "CE1E8BCC",
    "FFFFFFFF",
};

bool isDarkModule(int row, int column) {
    const int digit = std::stoi(symbolRows[row].substr(column / 4, 1), nullptr, 16);
    return (digit >> (3 - column % 4)) & 1;
}

// A phone-photo-like picture: uneven grey background with noise, dark
// clutter (blocks and strokes like printed text) and the symbol at 12 pixels
// per module turned by 3 degrees. ORVEL_BENCH_PHOTO names a real picture to
// use instead.
TVekImage buildPhoto() {
    if (const char* path = std::getenv("ORVEL_BENCH_PHOTO")) return loadPictureFile(path);
    const int width = 4000, height = 3000;
    TVekImage picture(width, height);
    std::mt19937 random(32);
    std::normal_distribution<double> noise(0, 9);
    std::vector<uint8_t> clutter(static_cast<size_t>(width) * height, 0);
    std::uniform_int_distribution<int> px(0, width - 1), py(0, height - 1), size(4, 40);
    for (int k = 0; k < 3000; ++k) {
        const int x0 = px(random), y0 = py(random), w = size(random), h = size(random) / 3 + 2;
        for (int y = y0; y < std::min(height, y0 + h); ++y)
            for (int x = x0; x < std::min(width, x0 + w); ++x) clutter[static_cast<size_t>(y) * width + x] = 1;
    }
    const int modules = static_cast<int>(symbolRows.size());
    const double module = 12, angle = 3 * 3.14159265358979 / 180;
    const double cx = 2000, cy = 1500, half = modules * module / 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double level = 200 + 30 * std::sin(x / 900.0) * std::cos(y / 700.0) + noise(random);
            // Symbol coordinates of this pixel (turned back by the angle).
            const double dx = x - cx, dy = y - cy;
            const double sx = std::cos(angle) * dx + std::sin(angle) * dy + half;
            const double sy = -std::sin(angle) * dx + std::cos(angle) * dy + half;
            const bool inQuietZone = sx >= -2 * module && sy >= -2 * module && sx < 2 * half + 2 * module &&
                                     sy < 2 * half + 2 * module;
            if (sx >= 0 && sy >= 0 && sx < 2 * half && sy < 2 * half) {
                if (isDarkModule(static_cast<int>(sy / module), static_cast<int>(sx / module))) level = 30;
            } else if (!inQuietZone && clutter[static_cast<size_t>(y) * width + x]) {
                level = 40;
            }
            const int grey = std::clamp(static_cast<int>(level), 0, 255);
            picture.setPixel(x, y, static_cast<uint32_t>(grey * 0x010101));
        }
    }
    return picture;
}

void BM_ReadPhoto(benchmark::State& state) {
    TVekImage picture = buildPhoto();
    size_t found = 0;
    for (auto _ : state) {
        TVekDatamatrixReader reader;
        const TVekDatamatrixDataArray records = reader.read(picture);
        found = records.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["symbols"] = static_cast<double>(found);
}
BENCHMARK(BM_ReadPhoto)->Unit(benchmark::kMillisecond);

}  // namespace
