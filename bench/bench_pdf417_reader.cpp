// PDF417 front end: the whole read of a 4000 x 3000 photo-sized picture.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "foundation/VekImage.h"
#include "foundation/VekPictureLoader.h"
#include "pdf417/VekPDF417RS.h"
#include "pdf417/VekPDF417Reader.h"
#include "pdf417/VekPDF417SymbolTable.h"

namespace {

using orvel::TVectorInteger;
using orvel::TVekImage;

constexpr int ROWS = 20, COLUMNS = 6, EC_LEVEL = 3;

// Rows of modules (1 = dark) of a 20 x 6 symbol at level 3 whose text codewords
// spell capitals in pairs.
std::vector<std::vector<int>> symbolModules() {
    const int eccCount = 2 << EC_LEVEL;
    TVectorInteger data = {ROWS * COLUMNS - eccCount};
    for (int i = 1; i < ROWS * COLUMNS - eccCount; ++i) data.push_back((i * 7 % 26) * 30 + i % 26);
    const TVectorInteger codewords = orvel::TVekPDF417RS::encode(data, eccCount);
    std::vector<std::vector<int>> rows;
    const auto append = [](std::vector<int>& row, const std::vector<int>& elements) {
        bool bar = true;
        for (int width : elements) {
            row.insert(row.end(), static_cast<size_t>(width), bar ? 1 : 0);
            bar = !bar;
        }
    };
    const auto character = [](int c, int k) {
        int pattern = orvel::pdf417SymbolCharacters[static_cast<size_t>(k * 929 + c)];
        std::array<int, 6> e{};
        for (int i = 5; i >= 0; --i, pattern /= 10) e[static_cast<size_t>(i)] = pattern % 10;
        for (int first = 1; first <= 6; ++first) {
            std::vector<int> b{first};
            for (int value : e) b.push_back(value - b.back());
            int sum = 0;
            for (int w : b) sum += w;
            b.push_back(17 - sum);
            if (std::all_of(b.begin(), b.end(), [](int w) { return w >= 1 && w <= 6; })) return b;
        }
        return std::vector<int>{};
    };
    for (int r = 0; r < ROWS; ++r) {
        const int k = r % 3, base = 30 * (r / 3);
        const int left[3] = {base + (ROWS - 1) / 3, base + EC_LEVEL * 3 + (ROWS - 1) % 3, base + COLUMNS - 1};
        const int right[3] = {base + COLUMNS - 1, base + (ROWS - 1) / 3, base + EC_LEVEL * 3 + (ROWS - 1) % 3};
        std::vector<int> row;
        append(row, {8, 1, 1, 1, 1, 1, 1, 3});
        append(row, character(left[k], k));
        for (int c = 0; c < COLUMNS; ++c) append(row, character(codewords[static_cast<size_t>(r * COLUMNS + c)], k));
        append(row, character(right[k], k));
        append(row, {7, 1, 1, 3, 1, 1, 1, 2, 1});
        rows.push_back(row);
    }
    return rows;
}

// A 4000 x 3000 picture like a phone photo: uneven grey background with noise
// and dark clutter, and the symbol at 6 pixels per module, rows 3 modules
// high, turned by 2 degrees. ORVEL_BENCH_PHOTO names a real picture instead.
TVekImage buildPhoto() {
    if (const char* path = std::getenv("ORVEL_BENCH_PHOTO")) return orvel::loadPictureFile(path);
    const int width = 4000, height = 3000;
    TVekImage picture(width, height);
    std::mt19937 random(417);
    std::normal_distribution<double> noise(0, 9);
    const std::vector<std::vector<int>> modules = symbolModules();
    const double module = 6, rowHeight = 3 * module, angle = 2 * 3.14159265358979 / 180;
    const double left = 1500, top = 1200;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double grey = 150 + 60.0 * x / width + 30.0 * y / height + noise(random);
            if (y > 2400 && y < 2700 && (x / 9) % 5 < 2 && (y / 23) % 3 == 0) grey = 40;
            const double dx = x - left, dy = y - top;
            const double u = (std::cos(angle) * dx + std::sin(angle) * dy) / module;
            const double v = (-std::sin(angle) * dx + std::cos(angle) * dy) / rowHeight;
            const double columns = static_cast<double>(modules[0].size());
            if (u >= -4 && v >= -2 && u < columns + 4 && v < ROWS + 2) {
                const int c = static_cast<int>(std::floor(u)), r = static_cast<int>(std::floor(v));
                const bool dark = c >= 0 && r >= 0 && c < static_cast<int>(columns) && r < ROWS &&
                                  modules[static_cast<size_t>(r)][static_cast<size_t>(c)] != 0;
                grey = (dark ? 35 : 225) + noise(random);
            }
            const auto g = static_cast<uint32_t>(std::clamp(grey, 0.0, 255.0));
            picture.setPixel(x, y, (g << 16) | (g << 8) | g);
        }
    }
    return picture;
}

void BM_ReadPhoto4000x3000(benchmark::State& state) {
    TVekImage picture = buildPhoto();
    orvel::TVekPDF417Reader reader;
    const orvel::TVekPDF417DataArray first = reader.read(picture);
    if (first.empty() || first[0].getCorrectedErrors() < 0) {
        state.SkipWithError("the symbol of the photo is not read");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(reader.read(picture));
    state.counters["records"] = static_cast<double>(first.size());
}
BENCHMARK(BM_ReadPhoto4000x3000)->Unit(benchmark::kMillisecond);

}  // namespace
