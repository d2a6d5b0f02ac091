#include "LinearShot.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel::test {

namespace {

constexpr int quietModules = 10;

TVekGreyImage boxBlurred(const TVekGreyImage& grey, int radius) {
    if (radius <= 0) return grey;
    const int32_t w = grey.width(), h = grey.height();
    std::vector<uint8_t> out(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int sum = 0, count = 0;
            for (int32_t dy = -radius; dy <= radius; ++dy)
                for (int32_t dx = -radius; dx <= radius; ++dx) {
                    sum += grey.get(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
                    ++count;
                }
            out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(sum / count);
        }
    return TVekGreyImage::fromPixels(std::move(out), w, h);
}

}  // namespace

std::vector<int> linearModules(const std::string& zintArguments) {
    const auto rows = zintDump(zintArguments);
    if (rows.empty()) return {};
    std::vector<int> row = rows[rows.size() / 2];
    while (!row.empty() && row.back() == 0) row.pop_back();
    return row;
}

TVekBarRow barRowOf(const std::vector<int>& modules, double pixelsPerModule) {
    std::vector<int> line(quietModules, 0);
    line.insert(line.end(), modules.begin(), modules.end());
    line.insert(line.end(), quietModules, 0);
    TVekBarRow row({0, 0}, {1, 0});
    for (size_t i = 1; i < line.size(); ++i)
        if (line[i] != line[i - 1]) row.addElement(pixelsPerModule * static_cast<double>(i), line[i - 1] != 0);
    row.finish(pixelsPerModule * static_cast<double>(line.size()));
    return row;
}

TVekGreyImage photographBars(const std::vector<int>& modules, const TLinearShot& shot, std::mt19937& random) {
    const double p = shot.pixelsPerModule;
    const auto columns = static_cast<int>(modules.size());
    const int rows = std::max(15, columns * 3 / 10);
    const TModuleMatrix matrix(static_cast<size_t>(rows), modules);
    // The symbol and its quiet zone, turned about the picture's centre.
    const double halfWidth = 0.5 * p * (columns + 2 * quietModules), halfHeight = 0.5 * p * (rows + 2 * quietModules);
    const auto side = static_cast<int32_t>(2 * std::hypot(halfWidth, halfHeight)) + 8;
    const double turn = shot.degrees * std::numbers::pi / 180, c = std::cos(turn), s = std::sin(turn);
    std::array<TVekPointF, 4> corners;
    const std::array<TVekPointF, 4> offsets = {TVekPointF{-halfWidth, -halfHeight}, TVekPointF{halfWidth, -halfHeight},
                                                TVekPointF{halfWidth, halfHeight}, TVekPointF{-halfWidth, halfHeight}};
    for (size_t k = 0; k < 4; ++k)
        corners[k] = {0.5 * side + c * offsets[k].x - s * offsets[k].y, 0.5 * side + s * offsets[k].x + c * offsets[k].y};
    TVekGreyImage grey = renderWarped(matrix, corners, side, side, quietModules, 30, 225);
    grey = boxBlurred(grey, shot.blurRadius);
    if (shot.noise > 0) grey = withNoise(grey, shot.noise, random);
    return grey;
}

}  // namespace orvel::test
