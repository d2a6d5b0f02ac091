#include "pdf417/VekPDF417FrameSampler.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

constexpr int32_t MAX_LINE_SAMPLES = 8192;

int32_t sampleCount(double value) {
    if (!(value >= 0)) return 0;
    return value >= MAX_LINE_SAMPLES ? MAX_LINE_SAMPLES : static_cast<int32_t>(value);
}

}  // namespace

void TVekPDF417FrameSampler::setFrame(const TVekPerspectiveTransform::TQuad& quad, double width) {
    frame_ = TVekPerspectiveTransform::squareToQuad(quad);
    width_ = width;
}

float TVekPDF417FrameSampler::level(TVekPointF p) const {
    const double fx = p.x - 0.5;
    const double fy = p.y - 0.5;
    // Well inside (the usual case): truncation is the floor and all four
    // neighbours exist.
    if (fx >= 0 && fy >= 0 && fx < grey_.width() - 1 && fy < grey_.height() - 1) {
        const auto x = static_cast<int32_t>(fx);
        const auto y = static_cast<int32_t>(fy);
        const auto ax = static_cast<float>(fx - x);
        const auto ay = static_cast<float>(fy - y);
        const uint8_t* top = grey_.row(y) + x;
        const uint8_t* bottom = grey_.row(y + 1) + x;
        const float upper = top[0] + (top[1] - top[0]) * ax;
        const float lower = bottom[0] + (bottom[1] - bottom[0]) * ax;
        return upper + (lower - upper) * ay;
    }
    const double floorX = std::floor(fx);
    const double floorY = std::floor(fy);
    if (!(floorX >= -1 && floorY >= -1 && floorX < grey_.width() && floorY < grey_.height())) return 255;
    const auto x = static_cast<int32_t>(floorX);
    const auto y = static_cast<int32_t>(floorY);
    const auto ax = static_cast<float>(fx - floorX);
    const auto ay = static_cast<float>(fy - floorY);
    const float a = grey_.getOrWhite(x, y), b = grey_.getOrWhite(x + 1, y);
    const float c = grey_.getOrWhite(x, y + 1), d = grey_.getOrWhite(x + 1, y + 1);
    const float upper = a + (b - a) * ax;
    const float lower = c + (d - c) * ax;
    return upper + (lower - upper) * ay;
}

void TVekPDF417FrameSampler::sampleLine(double x0, double x1, double vLeft, double vRight,
                                        TVekPDF417EdgeList& edges) {
    const int32_t count = sampleCount((x1 - x0) / step_ + 1);
    levels_.resize(static_cast<size_t>(count));
    // The perspective bends the spacing along a line only slowly: it is
    // mapped exactly every few samples and linearly in between.
    constexpr int32_t STRIDE = 8;
    const auto at = [&](int32_t i) {
        const double x = x0 + i * step_;
        return toPicture(x, vLeft + (vRight - vLeft) * x / width_);
    };
    TVekPointF from = at(0);
    float low = 255;
    float high = 0;
    for (int32_t i = 0; i < count; i += STRIDE) {
        const int32_t n = std::min(STRIDE, count - i);
        const TVekPointF to = at(i + STRIDE);
        const TVekPointF delta = (1.0 / STRIDE) * (to - from);
        for (int32_t k = 0; k < n; ++k) {
            const float sample = level(from + static_cast<double>(k) * delta);
            low = std::min(low, sample);
            high = std::max(high, sample);
            levels_[static_cast<size_t>(i + k)] = sample;
        }
        from = to;
    }
    edges.findWithin(levels_.data(), count, x0, step_, low, high);
}

}  // namespace orvel
