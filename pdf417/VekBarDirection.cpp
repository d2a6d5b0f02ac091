#include "pdf417/VekBarDirection.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

constexpr double PI = 3.14159265358979323846;
// The two directions' shares of the squared gradients must differ by this
// much of their sum: noise and round blobs change alike every way.
constexpr double MIN_COHERENCE = 0.15;

}  // namespace

std::optional<double> TVekBarDirection::around(const TVekGreyImage& grey, TVekPointF centre, int32_t radius) {
    const auto cx = static_cast<int32_t>(centre.x);
    const auto cy = static_cast<int32_t>(centre.y);
    const int32_t x0 = std::max(cx - radius, 1);
    const int32_t x1 = std::min(cx + radius, grey.width() - 2);
    const int32_t y0 = std::max(cy - radius, 1);
    const int32_t y1 = std::min(cy + radius, grey.height() - 2);
    int64_t xx = 0, yy = 0, xy = 0;
    // Every other pixel of every other row: bars of a few pixels still
    // show in most of them, at a quarter of the cost.
    for (int32_t y = y0; y <= y1; y += 2) {
        const uint8_t* above = grey.row(y - 1);
        const uint8_t* here = grey.row(y);
        const uint8_t* below = grey.row(y + 1);
        for (int32_t x = x0; x <= x1; x += 2) {
            const int32_t gx = here[x + 1] - here[x - 1];
            const int32_t gy = below[x] - above[x];
            xx += gx * gx;
            yy += gy * gy;
            xy += gx * gy;
        }
    }
    const auto dxx = static_cast<double>(xx);
    const auto dyy = static_cast<double>(yy);
    const auto dxy = static_cast<double>(xy);
    const double sum = dxx + dyy;
    if (sum <= 0 || std::hypot(dxx - dyy, 2 * dxy) < MIN_COHERENCE * sum) return std::nullopt;
    const double degrees = 0.5 * std::atan2(2 * dxy, dxx - dyy) * 180 / PI;
    return degrees < 0 ? degrees + 180 : degrees;
}

double TVekBarDirection::between(double a, double b) {
    const double difference = std::fmod(std::abs(a - b), 180.0);
    return std::min(difference, 180 - difference);
}

}  // namespace orvel
