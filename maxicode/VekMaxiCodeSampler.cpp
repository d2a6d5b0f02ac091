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
