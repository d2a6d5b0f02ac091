#include "aztec/VekAztecHomography.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace orvel {

namespace {

constexpr int kUnknowns = 8;
using TSystem = std::array<std::array<double, kUnknowns + 1>, kUnknowns>;

void addEquation(TSystem& system, const std::array<double, kUnknowns>& row, double value) {
    for (int i = 0; i < kUnknowns; ++i) {
        for (int j = 0; j < kUnknowns; ++j) system[i][j] += row[i] * row[j];
        system[i][kUnknowns] += row[i] * value;
    }
}

// Gaussian elimination with partial pivoting; none when singular.
std::optional<std::array<double, kUnknowns>> solve(TSystem system) {
    for (int col = 0; col < kUnknowns; ++col) {
        int pivot = col;
        for (int r = col + 1; r < kUnknowns; ++r)
            if (std::fabs(system[r][col]) > std::fabs(system[pivot][col])) pivot = r;
        if (std::fabs(system[pivot][col]) < 1e-12) return std::nullopt;
        std::swap(system[col], system[pivot]);
        for (int r = 0; r < kUnknowns; ++r) {
            if (r == col) continue;
            const double factor = system[r][col] / system[col][col];
            for (int c = col; c <= kUnknowns; ++c) system[r][c] -= factor * system[col][c];
        }
    }
    std::array<double, kUnknowns> h{};
    for (int i = 0; i < kUnknowns; ++i) h[i] = system[i][kUnknowns] / system[i][i];
    return h;
}

}  // namespace

std::optional<TVekPerspectiveTransform> fitHomography(const std::vector<TVekPointPair>& pairs) {
    if (pairs.size() < 4) return std::nullopt;
    // Picture coordinates relative to their mean and scaled to about one keep
    // the normal equations well conditioned.
    TVekPointF mean{0, 0};
    for (const auto& pair : pairs) mean = mean + pair.picture;
    mean = TVekPointF{mean.x / pairs.size(), mean.y / pairs.size()};
    double spread = 0;
    for (const auto& pair : pairs) spread += distance(pair.picture, mean);
    spread /= pairs.size();
    if (!(spread > 1e-9)) return std::nullopt;

    TSystem system{};
    for (const auto& pair : pairs) {
        const double u = pair.symbol.x, v = pair.symbol.y;
        const double x = (pair.picture.x - mean.x) / spread, y = (pair.picture.y - mean.y) / spread;
        addEquation(system, {u, v, 1, 0, 0, 0, -u * x, -v * x}, x);
        addEquation(system, {0, 0, 0, u, v, 1, -u * y, -v * y}, y);
    }
    const auto h = solve(system);
    if (!h) return std::nullopt;
    auto map = [&](double u, double v) {
        const double w = (*h)[6] * u + (*h)[7] * v + 1;
        return TVekPointF{((*h)[0] * u + (*h)[1] * v + (*h)[2]) / w * spread + mean.x,
                          ((*h)[3] * u + (*h)[4] * v + (*h)[5]) / w * spread + mean.y};
    };
    // Four points fix the map: the fitted one through the corners of the
    // pairs' bounding square in symbol space.
    double reach = 0;
    for (const auto& pair : pairs) reach = std::max({reach, std::fabs(pair.symbol.x), std::fabs(pair.symbol.y)});
    if (!(reach > 0)) return std::nullopt;
    const TVekPerspectiveTransform::TQuad from = {TVekPointF{-reach, -reach}, TVekPointF{reach, -reach},
                                                  TVekPointF{reach, reach}, TVekPointF{-reach, reach}};
    TVekPerspectiveTransform::TQuad to{};
    for (size_t i = 0; i < 4; ++i) {
        if (!std::isfinite((*h)[6] * from[i].x + (*h)[7] * from[i].y + 1)) return std::nullopt;
        to[i] = map(from[i].x, from[i].y);
        if (!std::isfinite(to[i].x) || !std::isfinite(to[i].y)) return std::nullopt;
    }
    return TVekPerspectiveTransform::quadToQuad(from, to);
}

}  // namespace orvel
