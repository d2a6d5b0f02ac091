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

#include "foundation/VekPictureLoader.h"
#include "oned/VekBarcode1DReader.h"

namespace {

using namespace orvel;

constexpr int pictureWidth = 4000;
constexpr int pictureHeight = 3000;

std::filesystem::path corpusPhoto() {
    const char* fromEnvironment = std::getenv("ORVEL_CORPUS");
    const std::filesystem::path corpus = fromEnvironment ? fromEnvironment : "/work/shared/corpus";
    const std::filesystem::path photo = corpus / "real/code128-2/31.bmp";
    std::error_code error;
    return std::filesystem::is_regular_file(photo, error) ? photo : std::filesystem::path();
}

TVekImage scaleTo(const TVekImage& source, int width, int height) {
    TVekImage result(width, height);
    for (int y = 0; y < height; ++y) {
        const double sy = (y + 0.5) * source.height / height - 0.5;
        const int y0 = std::max(0, static_cast<int>(std::floor(sy)));
        const int y1 = std::min(source.height - 1, y0 + 1);
        const double fy = std::clamp(sy - y0, 0.0, 1.0);
        for (int x = 0; x < width; ++x) {
            const double sx = (x + 0.5) * source.width / width - 0.5;
            const int x0 = std::max(0, static_cast<int>(std::floor(sx)));
            const int x1 = std::min(source.width - 1, x0 + 1);
            const double fx = std::clamp(sx - x0, 0.0, 1.0);
            uint32_t colour = 0;
            for (int shift : {0, 8, 16}) {
                auto channel = [&](int px, int py) { return (source.getPixelInt(px, py) >> shift) & 0xFF; };
                const double top = channel(x0, y0) * (1 - fx) + channel(x1, y0) * fx;
                const double bottom = channel(x0, y1) * (1 - fx) + channel(x1, y1) * fx;
                colour |= static_cast<uint32_t>(top * (1 - fy) + bottom * fy) << shift;
            }
            result.setPixel(x, y, colour);
        }
    }
    return result;
}

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
        const std::filesystem::path photo = corpusPhoto();
        if (!photo.empty()) {
            try {
                const TVekImage photoImage = loadPictureFile(photo);
                const TVekImage scaled = scaleTo(photoImage, 2 * photoImage.width, 2 * photoImage.height);
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
