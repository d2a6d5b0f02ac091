// Cost of walking every dark region of a 4000 x 3000 thresholded picture (the
// walker alone, the regions with their measures, and with the axis fit as
// well) against the threshold itself on the same picture.
// The picture is a real photo scaled up when the shared corpus is present
// (ORVEL_CORPUS or /work/shared/corpus), else a generated one with many regions.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchPictures.h"
#include "foundation/VekAreaWalker.h"
#include "foundation/VekImageObject.h"
#include "foundation/VekImageTools.h"
#include "foundation/VekPictureLoader.h"

namespace {

using namespace orvel;

constexpr int pictureWidth = 4000;
constexpr int pictureHeight = 3000;

// Bars, blobs and specks of many sizes on a grey gradient.
TVekImage generatedPicture() {
    TVekImage picture(pictureWidth, pictureHeight);
    std::mt19937 random(1234);
    for (int y = 0; y < pictureHeight; ++y)
        for (int x = 0; x < pictureWidth; ++x) {
            const uint32_t grey = 150 + (x + y) % 80 + random() % 20;
            picture.setPixel(x, y, grey * 0x010101u);
        }
    for (int shape = 0; shape < 60000; ++shape) {
        const int w = 1 + random() % (shape % 10 == 0 ? 12 : 5);
        const int h = 1 + random() % (shape % 7 == 0 ? 120 : 8);
        const int left = random() % pictureWidth;
        const int top = random() % pictureHeight;
        for (int y = top; y < top + h; ++y)
            for (int x = left; x < left + w; ++x) picture.setPixel(x, y, 0x202020);
    }
    return picture;
}

struct TBenchPicture {
    TVekImage colour;
    TVekImage blackAndWhite;
    std::string origin;
};

const TBenchPicture& benchPicture() {
    static const TBenchPicture picture = [] {
        TBenchPicture result{TVekImage(0, 0), TVekImage(0, 0), "generated"};
        const std::filesystem::path photo = bench::corpusPhoto(
            {"real/ean13-1/issue526.jpg", "real/code128-2/12.bmp", "real/qrcode-2/high-res-1.jpg"});
        if (!photo.empty()) {
            try {
                result.colour = bench::scaleTo(loadPictureFile(photo), pictureWidth, pictureHeight);
                result.origin = photo.string();
            } catch (const std::exception&) {
                result.colour = TVekImage(0, 0);
            }
        }
        if (result.colour.width == 0) result.colour = generatedPicture();
        result.blackAndWhite = toBlackAndWhite(result.colour);
        return result;
    }();
    return picture;
}

// Seeds a walk at every dark pixel no earlier walk has reached, in raster
// order, the way the vectorizer does; returns how many.
template <class SeedVisitor>
int64_t forEachSeed(TVekImage& image, SeedVisitor visit) {
    image.clearVisited();
    int64_t seeds = 0;
    const size_t width = static_cast<size_t>(image.width);
    const size_t count = width * static_cast<size_t>(image.height);
    for (size_t seed = image.markToNextUnvisitedBlack(0); seed < count; seed = image.markToNextUnvisitedBlack(seed)) {
        visit(TVekPoint(static_cast<double>(seed % width), static_cast<double>(seed / width)));
        ++seeds;
    }
    return seeds;
}

// Measures every dark region.
template <class RegionVisitor>
int64_t walkAllRegions(TVekImage& image, RegionVisitor visit) {
    return forEachSeed(image, [&](const TVekPoint& seed) {
        TVekImageObject region(image, seed);
        visit(region);
    });
}

void labelPicture(benchmark::State& state, const TBenchPicture& picture) {
    state.SetLabel(picture.origin);
    state.counters["pixels"] = static_cast<double>(picture.colour.width) * picture.colour.height;
}

void BM_ToBlackAndWhite(benchmark::State& state) {
    const TBenchPicture& picture = benchPicture();
    TVekImage colour = picture.colour.getCopy();
    for (auto _ : state) benchmark::DoNotOptimize(toBlackAndWhite(colour));
    labelPicture(state, picture);
}
BENCHMARK(BM_ToBlackAndWhite)->Unit(benchmark::kMillisecond);

void BM_WalkAllRegions(benchmark::State& state) {
    const TBenchPicture& picture = benchPicture();
    TVekImage image = picture.blackAndWhite.getCopy();
    int64_t regions = 0;
    for (auto _ : state) {
        regions = walkAllRegions(image, [](const TVekImageObject& region) {
            benchmark::DoNotOptimize(region.pixelCount);
        });
    }
    labelPicture(state, picture);
    state.counters["regions"] = static_cast<double>(regions);
}
BENCHMARK(BM_WalkAllRegions)->Unit(benchmark::kMillisecond);

// The walker alone, region after region: the pixels in walk order with
// their outline flags, without the region's measures.
void BM_WalkerAllRegions(benchmark::State& state) {
    const TBenchPicture& picture = benchPicture();
    TVekImage image = picture.blackAndWhite.getCopy();
    int64_t pixels = 0;
    for (auto _ : state) {
        pixels = 0;
        forEachSeed(image, [&](const TVekPoint& seed) {
            TVekAreaWalker walker(image, false, seed);
            walker.forEachBlock([&pixels](const TVekWalkedBlock& block) { pixels += static_cast<int64_t>(block.count); });
        });
        benchmark::DoNotOptimize(pixels);
    }
    labelPicture(state, picture);
    state.counters["walked"] = static_cast<double>(pixels);
}
BENCHMARK(BM_WalkerAllRegions)->Unit(benchmark::kMillisecond);

// The axis fit runs, as in the vectorizer, on the regions inside the default
// size window (more than 30 and fewer than 90000 pixels).
void BM_WalkAllRegionsWithAxes(benchmark::State& state) {
    const TBenchPicture& picture = benchPicture();
    TVekImage image = picture.blackAndWhite.getCopy();
    int64_t fitted = 0;
    for (auto _ : state) {
        fitted = 0;
        walkAllRegions(image, [&fitted](TVekImageObject& region) {
            if (region.pixelCount <= 30 || region.pixelCount >= 90000) return;
            region.fitAxes();
            benchmark::DoNotOptimize(region.axisLength);
            ++fitted;
        });
    }
    labelPicture(state, picture);
    state.counters["fitted"] = static_cast<double>(fitted);
}
BENCHMARK(BM_WalkAllRegionsWithAxes)->Unit(benchmark::kMillisecond);

}  // namespace
