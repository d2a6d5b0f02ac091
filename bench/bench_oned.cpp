// The whole 1D read (threshold, regions, candidates, widths, parsers, and the
// retry when nothing decodes) on a 4000 x 3000 picture. With the shared corpus
// (ORVEL_CORPUS or /work/shared/corpus) the picture is a real 640 x 480 photo
// of a Code 128 symbol scaled to twice its size and repeated across the
// picture, so the bars keep sizes the default settings accept; without it a
// generated picture of bars on a grey ramp.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "bench/BenchPictures.h"
#include "foundation/VekPictureLoader.h"
#include "oned/VekBarcode1DReader.h"

namespace {

using namespace orvel;

constexpr int pictureWidth = 4000;
constexpr int pictureHeight = 3000;

// Rows of thin dark bars of random widths between blotches on a grey ramp.
TVekImage generatedPicture() {
    TVekImage picture(pictureWidth, pictureHeight);
    std::mt19937 random(99);
    for (int y = 0; y < pictureHeight; ++y)
        for (int x = 0; x < pictureWidth; ++x) picture.setPixel(x, y, (170 + (x / 40 + y / 40) % 60) * 0x010101u);
    for (int row = 0; row < 12; ++row) {
        int x = 200;
        const int top = 100 + row * 240;
        while (x < pictureWidth - 300) {
            const int bar = 3 + random() % 9;
            for (int y = top; y < top + 160; ++y)
                for (int dx = 0; dx < bar; ++dx) picture.setPixel(x + dx, y, 0x181818);
            x += bar + 3 + random() % 9;
            if (random() % 40 == 0) x += 200;
        }
    }
    return picture;
}

const TVekImage& benchPicture(std::string& origin) {
    static std::string pictureOrigin = "generated";
    static const TVekImage picture = [] {
        const std::filesystem::path photo = bench::corpusPhoto({"real/code128-2/31.bmp"});
        if (!photo.empty()) {
            try {
                const TVekImage photoImage = loadPictureFile(photo);
                const TVekImage scaled = bench::scaleTo(photoImage, 2 * photoImage.width, 2 * photoImage.height);
                TVekImage tiled(pictureWidth, pictureHeight);
                for (int y = 0; y < pictureHeight; ++y)
                    for (int x = 0; x < pictureWidth; ++x)
                        tiled.setPixel(x, y, scaled.getPixelInt(x % scaled.width, y % scaled.height));
                pictureOrigin = photo.string() + " x2, tiled";
                return tiled;
            } catch (const std::exception&) {
            }
        }
        return generatedPicture();
    }();
    origin = pictureOrigin;
    return picture;
}

void BM_Scan1D(benchmark::State& state) {
    std::string origin;
    const TVekImage& picture = benchPicture(origin);
    size_t decoded = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TVekImage image = picture.getCopy();  // the retry may stretch a picture in place
        state.ResumeTiming();
        TVekBarcode1DReader reader;
        reader.setSymbologies(511);
        const TVekBarcodeDataArray records = reader.scan(image, false);
        decoded = records.size();
        benchmark::DoNotOptimize(records.data());
    }
    state.SetLabel(origin);
    state.counters["records"] = static_cast<double>(decoded);
}
BENCHMARK(BM_Scan1D)->Unit(benchmark::kMillisecond);

}  // namespace
