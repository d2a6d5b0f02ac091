// Picture loading and thresholding on a 4000 × 3000 picture. Thresholding
// (histogram plus the black-and-white pass) should cost well under half of
// decoding the JPEG it came from.
//
// Two pictures: a synthetic one (noise, gradients and bars; always present)
// and, when the shared photo corpus is available, a real photograph scaled up
// to the same size. Both are encoded with libjpeg at quality 90 in memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <stdexcept>

#include <jpeglib.h>

#include "foundation/VekBinarizer.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekGridSampler.h"
#include "foundation/VekHistogram.h"
#include "foundation/VekImageTools.h"
#include "foundation/VekJpegDecoder.h"
#include "foundation/VekPictureLoader.h"

namespace orvel {
namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;
const char* const kPhoto = "/work/shared/corpus/real/qrcode-2/high-res-1.jpg";

std::vector<uint8_t> encodeJpeg(const TVekBitmap& bitmap, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(bitmap.width);
    info.image_height = static_cast<JDIMENSION>(bitmap.height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(bitmap.row(static_cast<int32_t>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// A page-like picture: a soft lighting gradient, sensor noise and a block of
// dark bars, like a photographed label.
TVekBitmap syntheticPicture() {
    TVekBitmap bitmap(kWidth, kHeight);
    std::mt19937 random(4000);
    std::normal_distribution<double> noise(0, 6);
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = bitmap.row(y);
        for (int32_t x = 0; x < kWidth; ++x) {
            double level = 170 + 60 * std::sin(x / 900.0) * std::cos(y / 700.0);
            const bool inBars = x > 800 && x < 3200 && y > 1000 && y < 2000;
            if (inBars && (x / 23) % 3 != 0 && (x / 7) % 5 != 1) level = 40;
            const double value = level + noise(random);
            const uint8_t grey = static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
            row[3 * x] = grey;
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(value - 10, 0.0, 255.0));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(value + 12, 0.0, 255.0));
        }
    }
    return bitmap;
}

// The photograph scaled bilinearly to 4000 × 3000, or nothing without it.
std::optional<TVekBitmap> photoPicture() {
    std::error_code error;
    if (!std::filesystem::exists(kPhoto, error)) return std::nullopt;
    const TVekImage photo = loadPictureFile(kPhoto);
    TVekBitmap bitmap(kWidth, kHeight);
    const double sx = static_cast<double>(photo.width - 1) / (kWidth - 1);
    const double sy = static_cast<double>(photo.height - 1) / (kHeight - 1);
    for (int32_t y = 0; y < kHeight; ++y) {
        const double fy = y * sy;
        const int32_t y0 = static_cast<int32_t>(fy);
        const double ty = fy - y0;
        uint8_t* row = bitmap.row(y);
        for (int32_t x = 0; x < kWidth; ++x) {
            const double fx = x * sx;
            const int32_t x0 = static_cast<int32_t>(fx);
            const double tx = fx - x0;
            const uint32_t p00 = photo.getPixelInt(x0, y0), p10 = photo.getPixelInt(x0 + 1, y0);
            const uint32_t p01 = photo.getPixelInt(x0, y0 + 1), p11 = photo.getPixelInt(x0 + 1, y0 + 1);
            for (int channel = 0; channel < 3; ++channel) {
                const auto c = [channel](uint32_t p) { return static_cast<double>((p >> (8 * channel)) & 0xFF); };
                const double top = c(p00) + tx * (c(p10) - c(p00));
                const double bottom = c(p01) + tx * (c(p11) - c(p01));
                row[3 * x + channel] = static_cast<uint8_t>(top + ty * (bottom - top) + 0.5);
            }
        }
    }
    return bitmap;
}

const std::vector<uint8_t>& jpegOf(int picture) {
    static const std::vector<uint8_t> synthetic = encodeJpeg(syntheticPicture(), 90);
    static const std::vector<uint8_t> photo = [] {
        const auto bitmap = photoPicture();
        return bitmap ? encodeJpeg(*bitmap, 90) : std::vector<uint8_t>{};
    }();
    return picture == 0 ? synthetic : photo;
}

const char* nameOf(int picture) { return picture == 0 ? "synthetic" : "photo"; }

bool skipWithoutPicture(benchmark::State& state, int picture) {
    if (!jpegOf(picture).empty()) return false;
    state.SkipWithError("the photo corpus is not available");
    return true;
}

void BM_LoadJpeg(benchmark::State& state) {
    const int picture = static_cast<int>(state.range(0));
    if (skipWithoutPicture(state, picture)) return;
    const std::vector<uint8_t>& jpeg = jpegOf(picture);
    for (auto _ : state) {
        TVekImage image(TVekJpegPicture{jpeg});
        benchmark::DoNotOptimize(image.pixelData().data());
    }
    state.SetLabel(std::string(nameOf(picture)) + ", " + std::to_string(jpeg.size() / 1024) + " KiB");
}

void BM_DecodeJpeg(benchmark::State& state) {
    const int picture = static_cast<int>(state.range(0));
    if (skipWithoutPicture(state, picture)) return;
    const std::vector<uint8_t>& jpeg = jpegOf(picture);
    for (auto _ : state) {
        TVekBitmap bitmap = decodeJpeg(jpeg);
        benchmark::DoNotOptimize(bitmap.bgr.data());
    }
    state.SetLabel(nameOf(picture));
}

void BM_Histogram(benchmark::State& state) {
    const int picture = static_cast<int>(state.range(0));
    if (skipWithoutPicture(state, picture)) return;
    TVekImage image(TVekJpegPicture{jpegOf(picture)});
    for (auto _ : state) {
        TVekHistogram histogram(image);
        benchmark::DoNotOptimize(histogram.getThreshold());
    }
    state.SetLabel(nameOf(picture));
}

void BM_ToBlackAndWhite(benchmark::State& state) {
    const int picture = static_cast<int>(state.range(0));
    if (skipWithoutPicture(state, picture)) return;
    TVekImage image(TVekJpegPicture{jpegOf(picture)});
    for (auto _ : state) {
        TVekImage result = toBlackAndWhite(image);
        benchmark::DoNotOptimize(result.pixelData().data());
    }
    state.SetLabel(nameOf(picture));
}

// The photo path's first steps: luminance, the two binarizers and sampling a
// 177 × 177 module grid through a perspective. Each must cost less than
// decoding the JPEG.
TVekGreyImage greyOf(int picture) {
    const TVekBitmap bitmap = decodeJpeg(jpegOf(picture));
    return TVekGreyImage(TVekImageView(bitmap.bgr.data(), bitmap.width, bitmap.height, TVekPixelFormat::bgr));
}

void BM_GreyImage(benchmark::State& state) {
    const int picture = static_cast<int>(state.range(0));
    if (skipWithoutPicture(state, picture)) return;
    const TVekBitmap bitmap = decodeJpeg(jpegOf(picture));
    for (auto _ : state) {
        TVekGreyImage grey(TVekImageView(bitmap.bgr.data(), bitmap.width, bitmap.height, TVekPixelFormat::bgr));
        benchmark::DoNotOptimize(grey.row(0));
    }
    state.SetLabel(nameOf(picture));
}

void BM_BinarizeGlobal(benchmark::State& state) {
    const int picture = static_cast<int>(state.range(0));
    if (skipWithoutPicture(state, picture)) return;
    const TVekGreyImage grey = greyOf(picture);
    for (auto _ : state) benchmark::DoNotOptimize(binarizeGlobal(grey).row(0));
    state.SetLabel(nameOf(picture));
}

void BM_BinarizeLocal(benchmark::State& state) {
    const int picture = static_cast<int>(state.range(0));
    if (skipWithoutPicture(state, picture)) return;
    const TVekGreyImage grey = greyOf(picture);
    for (auto _ : state) benchmark::DoNotOptimize(binarizeLocal(grey).row(0));
    state.SetLabel(nameOf(picture));
}

void BM_SampleGrid(benchmark::State& state) {
    const TVekBitMatrix bits = binarizeLocal(greyOf(0));
    const auto transform = TVekPerspectiveTransform::quadToQuad(
        {TVekPointF{0, 0}, {177, 0}, {177, 177}, {0, 177}},
        {TVekPointF{500, 400}, {3300, 600}, {3500, 2700}, {400, 2500}});
    for (auto _ : state) benchmark::DoNotOptimize(TVekGridSampler::sample(bits, 177, 177, *transform));
}

BENCHMARK(BM_GreyImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinarizeGlobal)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinarizeLocal)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleGrid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadJpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Histogram)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToBlackAndWhite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvel
