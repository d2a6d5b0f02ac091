#include "support/PhotoTestSupport.h"

#include <algorithm>
#include <cmath>

#include "foundation/VekPerspectiveTransform.h"

namespace orvel::test {

TModuleMatrix trimmedModules(const TModuleMatrix& modules, int columns) {
    const size_t width = static_cast<size_t>(columns > 0 ? columns : static_cast<int>(modules.size()));
    TModuleMatrix result = modules;
    for (auto& row : result) row.resize(width, 0);
    return result;
}

TVekGreyImage renderWarped(const TModuleMatrix& modules, const std::array<TVekPointF, 4>& corners, int32_t width,
                           int32_t height, int quietModules, uint8_t dark, uint8_t light) {
    const int rows = static_cast<int>(modules.size());
    const int columns = rows == 0 ? 0 : static_cast<int>(modules[0].size());
    const double spanX = columns + 2.0 * quietModules, spanY = rows + 2.0 * quietModules;
    const std::optional<TVekPerspectiveTransform> toSquare = TVekPerspectiveTransform::quadToSquare(corners);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, light);
    if (!toSquare) return TVekGreyImage::fromPixels(std::move(pixels), width, height);
    constexpr int sub = 4;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            int darkCount = 0;
            for (int sy = 0; sy < sub; ++sy)
                for (int sx = 0; sx < sub; ++sx) {
                    const TVekPointF unit = toSquare->map({x + (sx + 0.5) / sub, y + (sy + 0.5) / sub});
                    const int c = static_cast<int>(std::floor(unit.x * spanX)) - quietModules;
                    const int r = static_cast<int>(std::floor(unit.y * spanY)) - quietModules;
                    if (r >= 0 && c >= 0 && r < rows && c < columns && modules[r][c] != 0) ++darkCount;
                }
            pixels[static_cast<size_t>(y) * width + x] =
                static_cast<uint8_t>(light - (light - dark) * darkCount / (sub * sub));
        }
    return TVekGreyImage::fromPixels(std::move(pixels), width, height);
}

TVekGreyImage renderUpright(const TModuleMatrix& modules, double pixelsPerModule, int quietModules) {
    const int rows = static_cast<int>(modules.size());
    const int columns = rows == 0 ? 0 : static_cast<int>(modules[0].size());
    const double w = (columns + 2.0 * quietModules) * pixelsPerModule, h = (rows + 2.0 * quietModules) * pixelsPerModule;
    const auto width = static_cast<int32_t>(std::ceil(w)), height = static_cast<int32_t>(std::ceil(h));
    return renderWarped(modules, {TVekPointF{0, 0}, {w, 0}, {w, h}, {0, h}}, width, height, quietModules);
}

std::array<TVekPointF, 4> tiltedCorners(std::mt19937& random, double side, double maxTiltDegrees, int32_t& width,
                                        int32_t& height) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double pi = 3.14159265358979323846;
    const double turn = unit(random) * 2 * pi;
    const double tilt = unit(random) * maxTiltDegrees * pi / 180;
    const double axis = unit(random) * 2 * pi;
    // A square in 3D, tilted about an axis in its plane, seen by a pinhole
    // camera at a distance of three sides.
    const double focal = 3 * side;
    std::array<TVekPointF, 4> corners;
    const std::array<TVekPointF, 4> square = {TVekPointF{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}};
    for (size_t i = 0; i < 4; ++i) {
        const double px = square[i].x * side, py = square[i].y * side;
        // Component along the tilt axis stays, the other one rotates out of the plane.
        const double along = px * std::cos(axis) + py * std::sin(axis);
        const double across = -px * std::sin(axis) + py * std::cos(axis);
        const double depth = focal + across * std::sin(tilt);
        const double acrossSeen = across * std::cos(tilt);
        const double sx = (along * std::cos(axis) - acrossSeen * std::sin(axis)) * focal / depth;
        const double sy = (along * std::sin(axis) + acrossSeen * std::cos(axis)) * focal / depth;
        corners[i] = {sx * std::cos(turn) - sy * std::sin(turn), sx * std::sin(turn) + sy * std::cos(turn)};
    }
    double minX = corners[0].x, minY = corners[0].y, maxX = minX, maxY = minY;
    for (const TVekPointF& p : corners) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    const double margin = side * 0.15 + 8;
    for (TVekPointF& p : corners) p = {p.x - minX + margin, p.y - minY + margin};
    width = static_cast<int32_t>(std::ceil(maxX - minX + 2 * margin));
    height = static_cast<int32_t>(std::ceil(maxY - minY + 2 * margin));
    return corners;
}

namespace {

template <typename F>
TVekGreyImage mapLevels(const TVekGreyImage& grey, F level) {
    std::vector<uint8_t> pixels(static_cast<size_t>(grey.width()) * grey.height());
    for (int32_t y = 0; y < grey.height(); ++y)
        for (int32_t x = 0; x < grey.width(); ++x)
            pixels[static_cast<size_t>(y) * grey.width() + x] =
                static_cast<uint8_t>(std::clamp(level(x, y, grey.get(x, y)), 0.0, 255.0));
    return TVekGreyImage::fromPixels(std::move(pixels), grey.width(), grey.height());
}

}  // namespace

TVekGreyImage withGradient(const TVekGreyImage& grey, double from, double to) {
    const double span = std::max(grey.width() - 1, 1);
    return mapLevels(grey, [&](int32_t x, int32_t, uint8_t v) { return v * (from + (to - from) * x / span); });
}

TVekGreyImage withNoise(const TVekGreyImage& grey, double sigma, std::mt19937& random) {
    std::normal_distribution<double> noise(0.0, sigma);
    return mapLevels(grey, [&](int32_t, int32_t, uint8_t v) { return v + noise(random); });
}

TModuleMatrix mirroredModules(const TModuleMatrix& modules) {
    TModuleMatrix result = modules;
    for (auto& row : result) std::reverse(row.begin(), row.end());
    return result;
}

TModuleMatrix invertedModules(const TModuleMatrix& modules) {
    TModuleMatrix result = modules;
    for (auto& row : result)
        for (int& m : row) m = m != 0 ? 0 : 1;
    return result;
}

TVekImage toImage(const TVekGreyImage& grey) {
    TVekImage image(grey.width(), grey.height());
    for (int32_t y = 0; y < grey.height(); ++y)
        for (int32_t x = 0; x < grey.width(); ++x) {
            const uint32_t v = grey.get(x, y);
            image.setPixel(x, y, (v << 16) | (v << 8) | v);
        }
    return image;
}

}  // namespace orvel::test
