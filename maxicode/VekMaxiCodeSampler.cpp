#include "maxicode/VekMaxiCodeSampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvel {

namespace {

// The grid's corners that the refinement moves: well inside the symbol, so
// that the grid they span is that of the modules.
constexpr double kAnchor = 12.0;
const TVekPerspectiveTransform::TQuad kAnchors{TVekPointF{-kAnchor, -kAnchor}, TVekPointF{kAnchor, -kAnchor},
                                               TVekPointF{kAnchor, kAnchor}, TVekPointF{-kAnchor, kAnchor}};
// Of the 18 orientation modules at most this many may look wrong.
constexpr int32_t kMaxOrientationErrors = 2;
// The turns tried, then the finer steps around the best.
constexpr int32_t kCoarseSteps = 180;
// The module width over the bull's-eye's guess of it: printers make the
// rings some percent larger or smaller against the modules.
constexpr double kMinScale = 0.88, kMaxScale = 1.12, kScaleStep = 0.03;

TVekPointF turned(TVekPointF p, double cosA, double sinA) {
    return {cosA * p.x - sinA * p.y, sinA * p.x + cosA * p.y};
}

// Offsets (module widths) at which a module is sampled: its middle and six
// points around it, well inside the hexagon.
constexpr std::array<TVekPointF, 7> kSpots{TVekPointF{0, 0},       TVekPointF{0.22, 0},      TVekPointF{-0.22, 0},
                                           TVekPointF{0.11, 0.19}, TVekPointF{-0.11, 0.19}, TVekPointF{0.11, -0.19},
                                           TVekPointF{-0.11, -0.19}};

// Fewest lone dark modules a fit of the grid rests on.
constexpr int32_t kMinFitModules = 24;
// Each round moves the grid part of the way (the ink of a module seen off
// centre is cut by the window) and reaches farther from the bull's-eye,
// where an error of scale has moved the modules most: module widths.
constexpr std::array<double, 7> kFitReach{7, 9, 11, 13, 20, 20, 20};

// Solves the 8 x 8 system in place by elimination with pivoting; false when
// it is singular.
bool solve(std::array<std::array<double, 8>, 8>& m, std::array<double, 8>& v) {
    for (size_t col = 0; col < 8; ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < 8; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col])) pivot = r;
        if (std::abs(m[pivot][col]) < 1e-12) return false;
        std::swap(m[pivot], m[col]);
        std::swap(v[pivot], v[col]);
        for (size_t r = 0; r < 8; ++r) {
            if (r == col) continue;
            const double f = m[r][col] / m[col][col];
            if (f == 0) continue;
            for (size_t k = col; k < 8; ++k) m[r][k] -= f * m[col][k];
            v[r] -= f * v[col];
        }
    }
    for (size_t r = 0; r < 8; ++r) v[r] /= m[r][r];
    return true;
}

// The point under the map with coefficients a b c d e f g h (and 1).
TVekPointF projective(const std::array<double, 8>& h, TVekPointF p) {
    const double w = h[6] * p.x + h[7] * p.y + 1;
    return {(h[0] * p.x + h[1] * p.y + h[2]) / w, (h[3] * p.x + h[4] * p.y + h[5]) / w};
}

}  // namespace

std::optional<TVekPerspectiveTransform> TVekMaxiCodeSampler::orient() const {
    const auto& modules = TVekMaxiCodeGrid::orientationModules();
    auto score = [&](double angle, double scale, int32_t* errors) {
        const double cosA = std::cos(angle), sinA = std::sin(angle);
        double sum = 0;
        int32_t wrong = 0;
        for (const auto& m : modules) {
            const TVekPointF p = eye_.map(scale * turned(TVekMaxiCodeGrid::moduleCentre(m.row, m.column), cosA, sinA));
            const double darkness = eye_.threshold - sampleGrey(grey_, p);
            const double agreement = m.dark ? darkness : -darkness;
            sum += std::clamp(agreement, -eye_.contrast, eye_.contrast);
            if (agreement <= 0) ++wrong;
        }
        if (errors) *errors = wrong;
        return sum;
    };
    // The turn, and the scale the printer's rings leave open.
    double best = -1e300, bestAngle = 0, bestScale = 1;
    const double coarse = 2 * std::numbers::pi / kCoarseSteps;
    for (double scale = kMinScale; scale <= kMaxScale + 1e-9; scale += kScaleStep)
        for (int32_t i = 0; i < kCoarseSteps; ++i) {
            const double s = score(i * coarse, scale, nullptr);
            if (s > best) best = s, bestAngle = i * coarse, bestScale = scale;
        }
    const double angle0 = bestAngle, scale0 = bestScale;
    for (int32_t j = -2; j <= 2; ++j)
        for (int32_t i = -4; i <= 4; ++i) {
            const double angle = angle0 + i * coarse / 8, scale = scale0 + j * kScaleStep / 4;
            const double s = score(angle, scale, nullptr);
            if (s > best) best = s, bestAngle = angle, bestScale = scale;
        }
    int32_t errors = 0;
    score(bestAngle, bestScale, &errors);
    if (errors > kMaxOrientationErrors) return std::nullopt;
    const double cosA = std::cos(bestAngle), sinA = std::sin(bestAngle);
    TVekPerspectiveTransform::TQuad quad;
    for (size_t i = 0; i < 4; ++i) quad[i] = eye_.map(bestScale * turned(kAnchors[i], cosA, sinA));
    return TVekPerspectiveTransform::quadToQuad(kAnchors, quad);
}

std::optional<TVekPointF> TVekMaxiCodeSampler::inkCentre(TVekPointF at, double radius) const {
    const int32_t left = static_cast<int32_t>(std::floor(at.x - radius)), right = static_cast<int32_t>(std::ceil(at.x + radius));
    const int32_t top = static_cast<int32_t>(std::floor(at.y - radius)), bottom = static_cast<int32_t>(std::ceil(at.y + radius));
    double weight = 0, sx = 0, sy = 0, area = 0;
    for (int32_t y = top; y <= bottom; ++y)
        for (int32_t x = left; x <= right; ++x) {
            const double dx = x + 0.5 - at.x, dy = y + 0.5 - at.y;
            if (dx * dx + dy * dy > radius * radius) continue;
            area += 1;
            const double ink = eye_.threshold + eye_.contrast / 4 - grey_.getOrWhite(x, y);
            if (ink <= 0) continue;
            weight += ink;
            sx += ink * dx;
            sy += ink * dy;
        }
    if (area == 0 || weight < area * eye_.contrast / 16) return std::nullopt;
    return at + TVekPointF{sx / weight, sy / weight};
}

std::optional<TVekPerspectiveTransform> TVekMaxiCodeSampler::fitToModules(const TVekPerspectiveTransform& placement) const {
    TVekPerspectiveTransform current = placement;
    const double radius = 0.75 * eye_.moduleSize();
    for (const double reach : kFitReach) {
        // Which modules look dark under the current placement.
        std::array<std::array<bool, TVekMaxiCodeGrid::columns>, TVekMaxiCodeGrid::rows> dark{};
        for (int32_t row = 0; row < TVekMaxiCodeGrid::rows; ++row)
            for (int32_t column = 0; column < TVekMaxiCodeGrid::columns; ++column)
                dark[row][column] = TVekMaxiCodeGrid::bitAt(row, column) >= 0 &&
                                    sampleGrey(grey_, current.map(TVekMaxiCodeGrid::moduleCentre(row, column))) < eye_.threshold;
        auto isDark = [&](int32_t row, int32_t column) {
            return row >= 0 && row < TVekMaxiCodeGrid::rows && column >= 0 && column < TVekMaxiCodeGrid::columns && dark[row][column];
        };
        // Normal equations of x (g u + h v + 1) = a u + b v + c and the same
        // for y: unknowns a b c d e f g h.
        std::array<std::array<double, 8>, 8> normal{};
        std::array<double, 8> right{};
        int32_t used = 0;
        for (int32_t row = 0; row < TVekMaxiCodeGrid::rows; ++row)
            for (int32_t column = 0; column < TVekMaxiCodeGrid::columns; ++column) {
                if (!dark[row][column]) continue;
                // The six neighbours of a hexagon: two in its row, two above
                // and two below, shifted by the row's half module.
                const int32_t shift = row & 1;
                int32_t darkNeighbours = isDark(row, column - 1) + isDark(row, column + 1);
                for (const int32_t r : {row - 1, row + 1})
                    darkNeighbours += isDark(r, column - 1 + shift) + isDark(r, column + shift);
                if (darkNeighbours > 1) continue;
                const TVekPointF module = TVekMaxiCodeGrid::moduleCentre(row, column);
                if (length(module) > reach) continue;
                const auto ink = inkCentre(current.map(module), radius);
                if (!ink) continue;
                ++used;
                const double u = module.x, v = module.y;
                const std::array<double, 8> rowX{u, v, 1, 0, 0, 0, -ink->x * u, -ink->x * v};
                const std::array<double, 8> rowY{0, 0, 0, u, v, 1, -ink->y * u, -ink->y * v};
                for (size_t i = 0; i < 8; ++i) {
                    for (size_t j = 0; j < 8; ++j) normal[i][j] += rowX[i] * rowX[j] + rowY[i] * rowY[j];
                    right[i] += rowX[i] * ink->x + rowY[i] * ink->y;
                }
            }
        if (used < kMinFitModules) {
            if (reach < kFitReach.back()) continue;
            return std::nullopt;
        }
        if (!solve(normal, right)) return std::nullopt;
        const auto fitted = TVekPerspectiveTransform::quadToQuad(kAnchors, {projective(right, kAnchors[0]), projective(right, kAnchors[1]),
                                                                              projective(right, kAnchors[2]), projective(right, kAnchors[3])});
        if (!fitted) return std::nullopt;
        current = *fitted;
    }
    return current;
}

double TVekMaxiCodeSampler::sharpness(const TVekPerspectiveTransform& placement) const {
    double sum = 0;
    for (int32_t row = 0; row < TVekMaxiCodeGrid::rows; ++row)
        for (int32_t column = 0; column < TVekMaxiCodeGrid::columns; ++column) {
            if (TVekMaxiCodeGrid::bitAt(row, column) < 0) continue;
            const TVekPointF p = placement.map(TVekMaxiCodeGrid::moduleCentre(row, column));
            const double level = sampleGrey(grey_, p) - eye_.threshold;
            sum += level * level;
        }
    return sum;
}

TVekPerspectiveTransform TVekMaxiCodeSampler::refine(const TVekPerspectiveTransform& placement) const {
    TVekPerspectiveTransform::TQuad quad;
    for (size_t i = 0; i < 4; ++i) quad[i] = placement.map(kAnchors[i]);
    TVekPerspectiveTransform best = placement;
    double bestScore = sharpness(best);
    const double moduleSize = eye_.moduleSize();
    for (double step = 0.5 * moduleSize; step > 0.04 * moduleSize; step /= 2) {
        for (int32_t pass = 0; pass < 6; ++pass) {
            bool moved = false;
            // Moves of one corner, and of the whole grid: shifted, or
            // stretched along the picture's axes (a printer's or scanner's
            // uneven scale), which one corner at a time cannot climb to.
            for (int32_t move = 0; move < 12; ++move)
                for (const double sign : {1.0, -1.0}) {
                    TVekPerspectiveTransform::TQuad trial = quad;
                    const double delta = sign * step;
                    if (move < 8) {
                        (move % 2 == 0 ? trial[static_cast<size_t>(move / 2)].x : trial[static_cast<size_t>(move / 2)].y) += delta;
                    } else {
                        TVekPointF middle{0, 0};
                        for (const TVekPointF& p : quad) middle = middle + 0.25 * p;
                        for (TVekPointF& p : trial) {
                            if (move == 8) p.x += delta;
                            if (move == 9) p.y += delta;
                            if (move == 10) p.x += (p.x > middle.x ? delta : -delta) / 2;
                            if (move == 11) p.y += (p.y > middle.y ? delta : -delta) / 2;
                        }
                    }
                    const auto candidate = TVekPerspectiveTransform::quadToQuad(kAnchors, trial);
                    if (!candidate) continue;
                    const double score = sharpness(*candidate);
                    if (score <= bestScore) continue;
                    bestScore = score;
                    best = *candidate;
                    quad = trial;
                    moved = true;
                }
            if (!moved) break;
        }
    }
    return best;
}

TVekMaxiCodeCodewords TVekMaxiCodeSampler::read(const TVekPerspectiveTransform& placement, const TVekBitMatrix* bits) const {
    TVekMaxiCodeCodewords codewords{};
    for (int32_t row = 0; row < TVekMaxiCodeGrid::rows; ++row)
        for (int32_t column = 0; column < TVekMaxiCodeGrid::columns; ++column) {
            const int32_t bit = TVekMaxiCodeGrid::bitAt(row, column);
            if (bit < 0) continue;
            const TVekPointF centre = TVekMaxiCodeGrid::moduleCentre(row, column);
            bool dark;
            if (bits) {
                int32_t votes = 0;
                for (const TVekPointF spot : kSpots) {
                    const TVekPointF p = placement.map(centre + spot);
                    votes += bits->getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y))) ? 1 : -1;
                }
                dark = votes > 0;
            } else {
                double sum = 0;
                for (const TVekPointF spot : kSpots) sum += sampleGrey(grey_, placement.map(centre + spot));
                dark = sum / kSpots.size() < eye_.threshold;
            }
            if (dark) codewords[static_cast<size_t>(bit / 6)] |= static_cast<uint8_t>(1 << (5 - bit % 6));
        }
    return codewords;
}

std::array<TVekPointF, 4> TVekMaxiCodeSampler::corners(const TVekPerspectiveTransform& placement) {
    std::array<TVekPointF, 4> result = TVekMaxiCodeGrid::outline();
    for (TVekPointF& p : result) p = placement.map(p);
    return result;
}

}  // namespace orvel
