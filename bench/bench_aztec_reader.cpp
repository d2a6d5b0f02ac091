// Speed of the Aztec reader on a 4000 x 3000 photo-sized picture: threshold,
// the walk of every dark region, the bull's-eye pairs, and the read of one
// 32-layer symbol (151 x 151 modules) turned by 4 degrees.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "aztec/VekAztecCodeReader.h"
#include "foundation/VekPictureLoader.h"

namespace orvel {
namespace {

// The module rows (1 = dark) of the saved zint dump of the test data.
std::vector<std::vector<int>> loadSymbolRows() {
    const auto path =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/data/aztec/full-range-32-layers.dump";
    std::ifstream file(path);
    std::vector<std::vector<int>> rows;
    std::string line;
    while (std::getline(file, line)) {
        std::vector<int> row;
        for (char c : line) {
            const int nibble = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (nibble < 0) continue;
            for (int bit = 3; bit >= 0; --bit) row.push_back((nibble >> bit) & 1);
        }
        if (!row.empty()) rows.push_back(row);
    }
    for (auto& row : rows) row.resize(rows.size());
    return rows;
}

// A 4000 x 3000 picture like a phone photo: uneven grey background with noise,
// a band of text-like dark strokes, and the symbol with 12-pixel modules
// turned by 4 degrees. ORVEL_BENCH_PHOTO names a real picture to use instead.
TVekImage buildPhoto(const std::vector<std::vector<int>>& symbol) {
    if (const char* path = std::getenv("ORVEL_BENCH_PHOTO")) return loadPictureFile(path);
    const int width = 4000, height = 3000;
    TVekImage picture(width, height);
    std::mt19937 random(4000);
    std::normal_distribution<double> noise(0, 9);
    const int size = static_cast<int>(symbol.size());
    const double module = 12, angle = 4 * 3.14159265358979 / 180;
    const double cx = 2100, cy = 1350, half = size * module / 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double grey = 150 + 60.0 * x / width + 30.0 * y / height + noise(random);
            if (y > 2500 && y < 2800 && (x / 9) % 5 < 2 && (y / 23) % 3 == 0) grey = 40;
            const double dx = x - cx, dy = y - cy;
            const double u = (std::cos(angle) * dx + std::sin(angle) * dy + half) / module;
            const double v = (-std::sin(angle) * dx + std::cos(angle) * dy + half) / module;
            if (u >= -4 && v >= -4 && u < size + 4 && v < size + 4) {
                const int c = static_cast<int>(std::floor(u)), r = static_cast<int>(std::floor(v));
                const bool dark = c >= 0 && r >= 0 && c < size && r < size && symbol[r][c] != 0;
                grey = (dark ? 35 : 225) + noise(random);
            }
            const uint32_t g = static_cast<uint32_t>(std::clamp(grey, 0.0, 255.0));
            picture.setPixel(x, y, (g << 16) | (g << 8) | g);
        }
    }
    return picture;
}

void BM_AztecReadPhoto4000x3000(benchmark::State& state) {
    const auto rows = loadSymbolRows();
    if (rows.size() != 151) {
        state.SkipWithError("tests/data/aztec/full-range-32-layers.dump not found");
        return;
    }
    TVekImage picture = buildPhoto(rows);
    TVekAztecCodeReader reader;
    const TVekAztecDataArray first = reader.read(picture);
    if (first.empty()) {
        state.SkipWithError("the symbol of the photo is not read");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(reader.read(picture));
    state.counters["records"] = static_cast<double>(first.size());
}
BENCHMARK(BM_AztecReadPhoto4000x3000)->Unit(benchmark::kMillisecond);

// The same picture without the symbol: the cost of finding nothing.
void BM_AztecReadPhotoWithoutSymbol(benchmark::State& state) {
    TVekImage picture = buildPhoto({});
    TVekAztecCodeReader reader;
    for (auto _ : state) benchmark::DoNotOptimize(reader.read(picture));
}
BENCHMARK(BM_AztecReadPhotoWithoutSymbol)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvel
