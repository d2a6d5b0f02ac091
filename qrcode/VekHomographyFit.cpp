#include "qrcode/VekHomographyFit.h"

#include <array>
#include <cmath>
#include <utility>

namespace orvel {

namespace {

using TSystem = std::array<std::array<double, 9>, 8>;  // normal equations with the right-hand side

// Gaussian elimination with partial pivoting; none when singular.
std::optional<std::array<double, 8>> solve(TSystem a) {
    for (size_t col = 0; col < 8; ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < 8; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-12) return std::nullopt;
        std::swap(a[pivot], a[col]);
        for (size_t r = 0; r < 8; ++r) {
            if (r == col) continue;
            const double f = a[r][col] / a[col][col];
            for (size_t c = col; c < 9; ++c) a[r][c] -= f * a[col][c];
        }
    }
    std::array<double, 8> x{};
    for (size_t i = 0; i < 8; ++i) x[i] = a[i][8] / a[i][i];
    return x;
}

void addEquation(TSystem& system, const std::array<double, 8>& row, double rhs) {
    for (size_t i = 0; i < 8; ++i) {
        for (size_t j = 0; j < 8; ++j) system[i][j] += row[i] * row[j];
        system[i][8] += row[i] * rhs;
    }
}

}  // namespace

std::optional<TVekPerspectiveTransform> TVekHomographyFit::fit(std::span<const TVekPointMatch> matches, double columns,
                                                               double rows) {
    if (matches.size() < 4 || columns <= 0 || rows <= 0) return std::nullopt;
    // Picture points centred and scaled to about unit size, module points
    // divided by the rectangle's size: the equations stay well conditioned.
    TVekPointF mean;
    for (const auto& m : matches) mean = mean + m.picture;
    mean = (1.0 / static_cast<double>(matches.size())) * mean;
    double spread = 0;
    for (const auto& m : matches) spread += distance(m.picture, mean);
    spread /= static_cast<double>(matches.size());
    if (!(spread > 0)) return std::nullopt;

    TSystem system{};
    for (const auto& m : matches) {
        const double X = m.module.x / columns, Y = m.module.y / rows;
        const TVekPointF p = (1.0 / spread) * (m.picture - mean);
        addEquation(system, {X, Y, 1, 0, 0, 0, -p.x * X, -p.x * Y}, p.x);
        addEquation(system, {0, 0, 0, X, Y, 1, -p.y * X, -p.y * Y}, p.y);
    }
    const auto h = solve(system);
    if (!h) return std::nullopt;
    const auto map = [&](double X, double Y) -> std::optional<TVekPointF> {
        const double w = (*h)[6] * X + (*h)[7] * Y + 1;
        if (!(std::fabs(w) > 1e-9)) return std::nullopt;
        const TVekPointF p{((*h)[0] * X + (*h)[1] * Y + (*h)[2]) / w, ((*h)[3] * X + (*h)[4] * Y + (*h)[5]) / w};
        return mean + spread * p;
    };
    TVekPerspectiveTransform::TQuad quad;
    const std::array<std::pair<double, double>, 4> unit{{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    for (size_t i = 0; i < 4; ++i) {
        const auto p = map(unit[i].first, unit[i].second);
        if (!p || !std::isfinite(p->x) || !std::isfinite(p->y)) return std::nullopt;
        quad[i] = *p;
    }
    const TVekPerspectiveTransform::TQuad moduleQuad{TVekPointF{0, 0}, TVekPointF{columns, 0},
                                                     TVekPointF{columns, rows}, TVekPointF{0, rows}};
    return TVekPerspectiveTransform::quadToQuad(moduleQuad, quad);
}

}  // namespace orvel
