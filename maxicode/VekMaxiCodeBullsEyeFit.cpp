#include "maxicode/VekMaxiCodeBullsEyeFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "maxicode/VekMaxiCodeGrid.h"

namespace orvel {

namespace {

constexpr int32_t kRays = 32;
constexpr int32_t kEdges = 5;  // the outer ring's outer edge touches data modules: left out
// Pixels between samples along a ray: an eighth of a ring width, within these.
constexpr double kMinStep = 0.25, kMaxStep = 1.0;
// Most rays that may miss an edge: a module or a speck of dirt on the rings.
constexpr int32_t kMinRays = 20;
// The largest root-mean-square distance of the ring middles from the fitted
// ellipse, as a share of its radius: rings, not squares (an Aztec
// bull's-eye's corners stand out by a fifth and more).
constexpr double kMaxRoundness = 0.06;
// How far past the threshold, as a share of the contrast, a level must go to
// change the shade along a ray.
constexpr double kHysteresis = 0.0;
// Rounds of moving the centre to the middle of opposite ring edges.
constexpr int32_t kCentreRounds = 6;
// Flatter than this the rings are a view too oblique to sample the symbol.
constexpr double kMaxAspect = 3.0;

struct TRay {
    bool valid = false;
    std::array<double, kEdges> edges{};  // distances from the centre, pixels
    // The middles of the runs between edges: dark ring, gap, dark ring, gap.
    std::array<double, kEdges - 1> middles{};
    double threshold = 0, contrast = 0;
};

// The distances of the first five shade changes along one ray, interpolated
// between samples, or an invalid ray when their spacing is no bull's-eye's.
TRay measureSpan(const TVekGreyImage& grey, TVekPointF centre, TVekPointF direction, double reach, double step,
                 std::vector<double>& profile, bool& tooShort) {
    TRay ray;
    tooShort = false;
    const int32_t samples = static_cast<int32_t>(reach / step) + 1;
    profile.resize(static_cast<size_t>(samples));
    double low = 255, high = 0;
    for (int32_t i = 0; i < samples; ++i) {
        const double v = sampleGrey(grey, centre + (i * step) * direction);
        profile[static_cast<size_t>(i)] = v;
        low = std::min(low, v);
        high = std::max(high, v);
    }
    if (high - low < 24) return ray;
    const double threshold = (low + high) / 2;
    if (profile[0] < threshold) return ray;  // the centre is light
    // A shade changes only once the level has passed the threshold by a
    // margin (noise and blur wiggle around it); the edge is where it last
    // crossed the threshold itself.
    const double margin = kHysteresis * (high - low);
    bool dark = false;
    int32_t found = 0;
    int32_t lastSide = 0;  // the last sample on the current shade's side of the threshold
    for (int32_t i = 1; i < samples && found < kEdges; ++i) {
        const double v = profile[static_cast<size_t>(i)];
        if ((v < threshold) == dark) {
            lastSide = i;
            continue;
        }
        if (std::abs(v - threshold) < margin) continue;
        const double before = profile[static_cast<size_t>(lastSide)], after = profile[static_cast<size_t>(lastSide + 1)];
        const double t = (before - threshold) / (before - after);
        ray.edges[static_cast<size_t>(found++)] = (lastSide + t) * step;
        dark = !dark;
        lastSide = i;
    }
    if (found < kEdges) {
        tooShort = true;
        return ray;
    }
    // A ring and a gap make one period, the same twice over however much
    // the ink spreads; each run keeps some width. The centre's edge is left
    // out: a start off the centre moves it most.
    const double first = ray.edges[3] - ray.edges[1], second = ray.edges[4] - ray.edges[2];
    const double period = (first + second) / 2;
    if (std::abs(first - second) > 0.3 * period) return ray;
    for (size_t k = 2; k < kEdges; ++k)
        if (ray.edges[k] - ray.edges[k - 1] < 0.12 * period) return ray;
    // The middles of the runs stand where the printer meant them.
    for (size_t k = 0; k + 1 < kEdges; ++k) ray.middles[k] = (ray.edges[k] + ray.edges[k + 1]) / 2;
    ray.valid = true;
    ray.threshold = threshold;
    ray.contrast = high - low;
    return ray;
}

// The ray measured over half the reach first (a view seen square on), then
// over all of it when the edges run past that.
TRay measureRay(const TVekGreyImage& grey, TVekPointF centre, TVekPointF direction, double reach, double step,
                std::vector<double>& profile) {
    bool tooShort = false;
    TRay ray = measureSpan(grey, centre, direction, reach / 2, step, profile, tooShort);
    if (tooShort) ray = measureSpan(grey, centre, direction, reach, step, profile, tooShort);
    return ray;
}

// Solves the 3 x 3 system m x = v in place; false when it is singular.
bool solve3(std::array<std::array<double, 3>, 3> m, std::array<double, 3>& v) {
    for (size_t col = 0; col < 3; ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < 3; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col])) pivot = r;
        if (std::abs(m[pivot][col]) < 1e-12) return false;
        std::swap(m[pivot], m[col]);
        std::swap(v[pivot], v[col]);
        for (size_t r = 0; r < 3; ++r) {
            if (r == col) continue;
            const double f = m[r][col] / m[col][col];
            for (size_t k = col; k < 3; ++k) m[r][k] -= f * m[col][k];
            v[r] -= f * v[col];
        }
    }
    for (size_t r = 0; r < 3; ++r) v[r] /= m[r][r];
    return true;
}

constexpr double kNoRings = 1e9;

// How far apart the middles of opposite runs lie along four lines through a
// point, in periods; a large value when a line shows no bull's-eye.
double asymmetry(const TVekGreyImage& grey, TVekPointF at, double reach, double step, std::vector<double>& profile) {
    constexpr int32_t kLines = 4;
    double sum = 0;
    int32_t invalid = 0;
    for (int32_t k = 0; k < kLines; ++k) {
        const double angle = std::numbers::pi * k / kLines;
        const TVekPointF direction{std::cos(angle), std::sin(angle)};
        const TRay one = measureRay(grey, at, direction, reach, step, profile);
        const TRay other = measureRay(grey, at, -1.0 * direction, reach, step, profile);
        if (!one.valid || !other.valid) {
            // One bad line (a speck on a ring) costs a period; two, the point.
            if (++invalid > 1) return kNoRings;
            sum += 1;
            continue;
        }
        const double period = (one.edges[4] - one.edges[2] + other.edges[4] - other.edges[2]) / 2;
        for (size_t e = 1; e + 1 < kEdges; ++e) sum += std::abs(one.middles[e] - other.middles[e]) / period;
    }
    return sum;
}

// The finder's centre can sit in a gap between rings (a line through a gap
// shows runs much like one through the centre): the point nearby around
// which the rings are most symmetric; none when no point nearby shows rings
// along three of four lines through it (clutter the finder let through).
std::optional<TVekPointF> startingCentre(const TVekGreyImage& grey, const TVekMaxiCodeBullsEyeCandidate& candidate,
                                         double reach, double step, std::vector<double>& profile) {
    TVekPointF best = candidate.centre;
    double bestAsymmetry = asymmetry(grey, best, reach, step, profile);
    if (bestAsymmetry < 0.2) return best;
    // Two ring widths each way a ring width apart, then half a width
    // around the best.
    for (const auto& [spacing, steps] : {std::pair{1.0, 2}, std::pair{0.5, 1}}) {
        const TVekPointF around = best;
        for (int32_t dy = -steps; dy <= steps; ++dy)
            for (int32_t dx = -steps; dx <= steps; ++dx) {
                if (dx == 0 && dy == 0) continue;
                const TVekPointF at = around + (spacing * candidate.ringWidth) * TVekPointF{static_cast<double>(dx), static_cast<double>(dy)};
                const double a = asymmetry(grey, at, reach, step, profile);
                if (a < bestAsymmetry) bestAsymmetry = a, best = at;
            }
    }
    if (bestAsymmetry >= kNoRings) return std::nullopt;
    return best;
}

// The ellipse the ring middles of the valid rays make, each run's middles
// divided by their mean (all then fall on one ellipse of mean radius about
// 1): a x^2 + 2 b xy + c y^2 = 1, how far each ray strays from it and the
// root-mean-square of that, as shares of the radius.
struct TConic {
    double qa = 0, qb = 0, qc = 0;
    std::array<double, kEdges - 1> meanMiddle{};
    std::array<double, kRays> errors{};
    double roundness = 0;
};

std::optional<TConic> fitConic(const std::array<TRay, kRays>& rays, const std::array<TVekPointF, kRays>& directions) {
    TConic conic;
    int32_t valid = 0;
    for (const TRay& ray : rays) {
        if (!ray.valid) continue;
        ++valid;
        for (size_t e = 0; e + 1 < kEdges; ++e) conic.meanMiddle[e] += ray.middles[e];
    }
    if (valid < kMinRays) return std::nullopt;
    for (double& m : conic.meanMiddle) m /= valid;
    std::array<std::array<double, 3>, 3> normal{};
    std::array<double, 3> right{};
    for (size_t k = 0; k < kRays; ++k) {
        if (!rays[k].valid) continue;
        for (size_t e = 0; e + 1 < kEdges; ++e) {
            const double r = rays[k].middles[e] / conic.meanMiddle[e];
            const double x = r * directions[k].x, y = r * directions[k].y;
            const std::array<double, 3> row{x * x, x * y, y * y};
            for (size_t i = 0; i < 3; ++i) {
                for (size_t j = 0; j < 3; ++j) normal[i][j] += row[i] * row[j];
                right[i] += row[i];
            }
        }
    }
    if (!solve3(normal, right)) return std::nullopt;
    conic.qa = right[0], conic.qb = right[1] / 2, conic.qc = right[2];
    if (conic.qa <= 0 || conic.qa * conic.qc - conic.qb * conic.qb <= 0) return std::nullopt;
    double squaredError = 0;
    int32_t points = 0;
    for (size_t k = 0; k < kRays; ++k) {
        if (!rays[k].valid) continue;
        const double x = directions[k].x, y = directions[k].y;
        // The ellipse's radius in this direction.
        const double radius = 1 / std::sqrt(conic.qa * x * x + 2 * conic.qb * x * y + conic.qc * y * y);
        double raySquares = 0;
        for (size_t e = 0; e + 1 < kEdges; ++e) {
            const double error = rays[k].middles[e] / conic.meanMiddle[e] / radius - 1;
            raySquares += error * error;
        }
        conic.errors[k] = std::sqrt(raySquares / (kEdges - 1));
        squaredError += raySquares;
        points += kEdges - 1;
    }
    conic.roundness = std::sqrt(squaredError / points);
    return conic;
}

}  // namespace

double sampleGrey(const TVekGreyImage& grey, TVekPointF p) {
    const double fx = p.x - 0.5, fy = p.y - 0.5;
    const double x0 = std::floor(fx), y0 = std::floor(fy);
    const int32_t ix = static_cast<int32_t>(x0), iy = static_cast<int32_t>(y0);
    const double tx = fx - x0, ty = fy - y0;
    const double top = grey.getOrWhite(ix, iy) * (1 - tx) + grey.getOrWhite(ix + 1, iy) * tx;
    const double bottom = grey.getOrWhite(ix, iy + 1) * (1 - tx) + grey.getOrWhite(ix + 1, iy + 1) * tx;
    return top * (1 - ty) + bottom * ty;
}

double TVekMaxiCodeBullsEye::moduleSize() const {
    return std::sqrt(std::abs(a * d - b * c));
}

std::optional<TVekMaxiCodeBullsEye> TVekMaxiCodeBullsEyeFit::fit(const TVekGreyImage& grey,
                                                                const TVekMaxiCodeBullsEyeCandidate& candidate) {
    // The outer ring's inner edge lies some six ring widths out (the widest
    // centres): twice that reaches it in a view squeezed to half.
    const double reach = 13 * candidate.ringWidth;
    std::vector<double> profile;
    std::array<TRay, kRays> rays;
    std::array<TVekPointF, kRays> directions;
    for (int32_t k = 0; k < kRays; ++k) {
        const double angle = 2 * std::numbers::pi * k / kRays;
        directions[static_cast<size_t>(k)] = {std::cos(angle), std::sin(angle)};
    }
    const double step = std::clamp(candidate.ringWidth / 8, kMinStep, kMaxStep);
    const std::optional<TVekPointF> start = startingCentre(grey, candidate, reach, step, profile);
    if (!start) return std::nullopt;
    TVekPointF centre = *start;
    for (int32_t round = 0; round < kCentreRounds; ++round) {
        for (size_t k = 0; k < kRays; ++k) rays[k] = measureRay(grey, centre, directions[k], reach, step, profile);
        // In any affine view the centre halves the chord through it.
        TVekPointF shift{0, 0};
        int32_t pairs = 0;
        for (size_t k = 0; k < kRays / 2; ++k) {
            const TRay& one = rays[k];
            const TRay& other = rays[k + kRays / 2];
            if (!one.valid || !other.valid) continue;
            for (size_t e = 1; e + 1 < kEdges; ++e) shift = shift + (0.5 * (one.middles[e] - other.middles[e])) * directions[k];
            pairs += kEdges - 2;
        }
        if (pairs == 0) return std::nullopt;
        shift = (1.0 / pairs) * shift;
        centre = centre + shift;
        if (length(shift) < 0.05) break;
    }
    std::optional<TConic> conic = fitConic(rays, directions);
    if (!conic) return std::nullopt;
    if (conic->roundness > kMaxRoundness) {
        // A speck or a module touching a ring spoils a few rays: without
        // those that stray, the rest must fit.
        for (size_t k = 0; k < kRays; ++k)
            if (rays[k].valid && conic->errors[k] > kMaxRoundness) rays[k].valid = false;
        conic = fitConic(rays, directions);
        if (!conic || conic->roundness > kMaxRoundness) return std::nullopt;
    }
    const double qa = conic->qa, qb = conic->qb, qc = conic->qc;
    const double mean = (qa + qc) / 2, spread = std::sqrt(((qa - qc) / 2) * ((qa - qc) / 2) + qb * qb);
    const double l1 = mean + spread, l2 = mean - spread;
    if (l2 <= 0 || l1 / l2 > kMaxAspect * kMaxAspect) return std::nullopt;
    std::vector<double> thresholds, contrasts;
    for (const TRay& ray : rays) {
        if (!ray.valid) continue;
        thresholds.push_back(ray.threshold);
        contrasts.push_back(ray.contrast);
    }
    // The map is the inverse square root of the quadratic form.
    // Eigenvector of l1: (qb, l1 - qa) or (l1 - qc, qb).
    double vx = qb, vy = l1 - qa;
    if (std::hypot(vx, vy) < 1e-12) vx = l1 - qc, vy = qb;
    if (std::hypot(vx, vy) < 1e-12) vx = 1, vy = 0;
    const double norm = std::hypot(vx, vy);
    vx /= norm, vy /= norm;
    const double scale = conic->meanMiddle[kEdges - 2] / TVekMaxiCodeGrid::outerGapMiddle;
    const double s1 = scale / std::sqrt(l1), s2 = scale / std::sqrt(l2);
    TVekMaxiCodeBullsEye eye;
    eye.centre = centre;
    // s1 along (vx, vy), s2 along (-vy, vx).
    eye.a = s1 * vx * vx + s2 * vy * vy;
    eye.b = (s1 - s2) * vx * vy;
    eye.c = eye.b;
    eye.d = s1 * vy * vy + s2 * vx * vx;
    std::nth_element(thresholds.begin(), thresholds.begin() + thresholds.size() / 2, thresholds.end());
    std::nth_element(contrasts.begin(), contrasts.begin() + contrasts.size() / 2, contrasts.end());
    eye.threshold = thresholds[thresholds.size() / 2];
    eye.contrast = contrasts[contrasts.size() / 2];
    return eye;
}

}  // namespace orvel
