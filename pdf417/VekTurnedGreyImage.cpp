#include "pdf417/VekTurnedGreyImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvel {

namespace {

constexpr int32_t SHIFT = 24;
constexpr int64_t ONE = int64_t{1} << SHIFT;

}  // namespace

int32_t TVekTurnedGreyImage::heightOf(const TVekGreyImage& original, double degrees) {
    const double radians = degrees * 3.14159265358979323846 / 180;
    return static_cast<int32_t>(
        std::ceil(std::abs(original.width() * std::sin(radians)) + std::abs(original.height() * std::cos(radians))));
}

TVekTurnedGreyImage::TVekTurnedGreyImage(const TVekGreyImage& original, double degrees, int32_t firstRow,
                                         int32_t rowStride) {
    const double radians = degrees * 3.14159265358979323846 / 180;
    cos_ = std::cos(radians);
    sin_ = std::sin(radians);
    const int32_t w = original.width();
    const int32_t h = original.height();
    const auto width = static_cast<int32_t>(std::ceil(std::abs(w * cos_) + std::abs(h * sin_)));
    const int32_t height = heightOf(original, degrees);
    originalCentre_ = {0.5 * w, 0.5 * h};
    turnedCentre_ = {0.5 * width, 0.5 * height};
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, 255);
    for (int32_t y = std::max(firstRow, 0); y < height; y += std::max(rowStride, 1)) {
        uint8_t* out = pixels.data() + static_cast<size_t>(y) * width;
        // Along a row of the turned picture the source point moves by a
        // fixed step: the pixel centre (x + 0.5, y + 0.5) mapped back.
        const TVekPointF first = toOriginal({0.5, y + 0.5});
        const TVekPointF step = directionToOriginal({1, 0});
        // Only the stretch of the row over the picture, found with a
        // pixel to spare: the test below still decides each pixel.
        double from = 0;
        double to = width;
        const auto keepWithin = [&from, &to](double start, double slope, double limit) {
            // start + slope * x within [0, limit)
            if (std::abs(slope) < 1e-12) {
                if (start < -1 || start > limit + 1) to = from;
                return;
            }
            const double a = -start / slope;
            const double b = (limit - start) / slope;
            from = std::max(from, std::min(a, b) - 2);
            to = std::min(to, std::max(a, b) + 2);
        };
        keepWithin(first.x - 0.5, step.x, w - 1);
        keepWithin(first.y - 0.5, step.y, h - 1);
        const auto xFrom = static_cast<int32_t>(std::max(from, 0.0));
        const auto xTo = static_cast<int32_t>(std::clamp(to, 0.0, static_cast<double>(width)));
        // Source points in 40.24 fixed point, one step a pixel: the same
        // samples as in floating point to well within a level.
        const auto fixed = [](double v) { return static_cast<int64_t>(std::floor(v * ONE)); };
        int64_t fx = fixed(first.x + xFrom * step.x - 0.5);
        int64_t fy = fixed(first.y + xFrom * step.y - 0.5);
        const int64_t dx = fixed(step.x);
        const int64_t dy = fixed(step.y);
        const int64_t xLimit = static_cast<int64_t>(w - 1) * ONE;
        const int64_t yLimit = static_cast<int64_t>(h - 1) * ONE;
        for (int32_t x = xFrom; x < xTo; ++x, fx += dx, fy += dy) {
            if (fx < 0 || fy < 0 || fx >= xLimit || fy >= yLimit) continue;
            const auto x0 = static_cast<int32_t>(fx >> SHIFT);
            const auto y0 = static_cast<int32_t>(fy >> SHIFT);
            const int64_t ax = fx & (ONE - 1);
            const int64_t ay = fy & (ONE - 1);
            const uint8_t* top = original.row(y0) + x0;
            const uint8_t* bottom = original.row(y0 + 1) + x0;
            const int64_t upper = top[0] * ONE + (top[1] - top[0]) * ax;
            const int64_t lower = bottom[0] * ONE + (bottom[1] - bottom[0]) * ax;
            // Truncated: scan lines only compare levels with each other.
            out[x] = static_cast<uint8_t>((upper * ONE + (lower - upper) * ay) >> (2 * SHIFT));
        }
    }
    turned_ = TVekGreyImage::fromPixels(std::move(pixels), width, height);
}

TVekPointF TVekTurnedGreyImage::toOriginal(TVekPointF p) const {
    return originalCentre_ + directionToOriginal(p - turnedCentre_);
}

}  // namespace orvel
