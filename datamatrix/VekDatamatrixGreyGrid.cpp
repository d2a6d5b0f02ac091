#include "datamatrix/VekDatamatrixGreyGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/VekPerspectiveTransform.h"

namespace orvel {

namespace {

// Profile samples per module along a clock track.
constexpr int32_t TRACK_SAMPLES = 6;
// Fewer while placements of the outline are only scored.
constexpr int32_t SCORE_SAMPLES = 4;
// The steps allowed between neighbouring centres on a track (modules), and
// how much a step unlike the even grid's costs against the contrast.
constexpr double MIN_STEP = 0.6;
constexpr double MAX_STEP = 1.5;
constexpr double STEP_COST = 0.5;
// The first and last centre lie within this much (modules) of the even
// grid's: the corners came from the binarized edges.
constexpr double END_SLACK = 0.5;
// Where each module is read around its centre (modules).
constexpr double SPREAD = 0.2;
// Neighbours on each side that make a module's surroundings.
constexpr int32_t LOCAL_REACH = 3;
// How much of the difference to its four neighbours is added back to a
// module: a blur of about half a module spreads a good part of each module
// onto the next, and an isolated light module between dark ones keeps only
// a little of its contrast.
constexpr double SHARPEN = 1.5;
// Shifts (modules) tried for each end of the top and right edges.
constexpr std::array<double, 5> EDGE_SHIFTS = {-0.5, -0.25, 0, 0.25, 0.5};
// Bows (modules at the middle) tried for the rows.
constexpr std::array<double, 6> BOWS = {-1, -0.6, -0.3, 0.3, 0.6, 1};
// Dark runs on a clock track start and end this share of the contrast
// beyond the middle level.
constexpr double HYSTERESIS = 0.1;
constexpr int32_t MAX_COUNT_SAMPLES = 2000;
constexpr std::array<double, 3> COUNT_DEPTHS = {0.3, 0.5, 0.7};
// Pixels a corner may lie outside the picture.
constexpr double OUTSIDE = 2.0;

double bilinear(const TVekGreyImage& grey, TVekPointF p) {
    // A transform of a degenerate outline maps to infinity or NaN: margin.
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return 255;
    const double x = std::clamp(p.x - 0.5, 0.0, grey.width() - 1.0);
    const double y = std::clamp(p.y - 0.5, 0.0, grey.height() - 1.0);
    const int32_t x0 = std::min(static_cast<int32_t>(x), grey.width() - 1);
    const int32_t y0 = std::min(static_cast<int32_t>(y), grey.height() - 1);
    const int32_t x1 = std::min(x0 + 1, grey.width() - 1);
    const int32_t y1 = std::min(y0 + 1, grey.height() - 1);
    const double fx = x - x0;
    const double fy = y - y0;
    const double top = (1 - fx) * grey.get(x0, y0) + fx * grey.get(x1, y0);
    const double bottom = (1 - fx) * grey.get(x0, y1) + fx * grey.get(x1, y1);
    return (1 - fy) * top + fy * bottom;
}

// How far a row bowing by `bow` (unit-square coordinates, at the middle)
// lies from the straight line at the fraction u of its length: nothing at
// the ends, where the outline's corners are.
double bowAt(double bow, double u) { return bow * 4 * u * (1 - u); }

// Grey levels along a track from `from` to `to` (unit-square coordinates),
// each the mean of three points across the track `across` apart; a
// horizontal track bows down by `bow` at its middle.
std::vector<double> trackProfile(const TVekGreyImage& grey, const TVekPerspectiveTransform& unit, TVekPointF from,
                                 TVekPointF to, TVekPointF across, int32_t samples, double bow = 0) {
    std::vector<double> profile(static_cast<size_t>(samples));
    for (int32_t i = 0; i < samples; ++i) {
        const double t = (i + 0.5) / samples;
        const TVekPointF p = from + t * (to - from) + TVekPointF{0, bowAt(bow, t)};
        profile[static_cast<size_t>(i)] =
            (bilinear(grey, unit.map(p - across)) + bilinear(grey, unit.map(p)) + bilinear(grey, unit.map(p + across))) /
            3;
    }
    return profile;
}

// Dark runs along a profile, a run starting below the middle level by a
// tenth of the contrast and ending above it by as much, so that noise on a
// blurred level near the middle does not split a run.
int32_t darkRuns(const std::vector<double>& profile) {
    if (profile.empty()) return 0;
    std::vector<double> sorted = profile;
    std::sort(sorted.begin(), sorted.end());
    const double low = sorted[sorted.size() / 10];
    const double high = sorted[sorted.size() - 1 - sorted.size() / 10];
    const double middle = 0.5 * (low + high);
    const double margin = HYSTERESIS * (high - low);
    int32_t runs = 0;
    bool dark = false;
    for (const double v : profile) {
        if (!dark && v < middle - margin) {
            dark = true;
            ++runs;
        } else if (dark && v > middle + margin) {
            dark = false;
        }
    }
    return runs;
}

}  // namespace

std::array<int32_t, 2> TVekDatamatrixGreyGrid::darkModules(const TVekGreyImage& grey,
                                                          const std::array<TVekPointF, 4>& corners,
                                                          double modulePixels) {
    const TVekPerspectiveTransform unit = TVekPerspectiveTransform::squareToQuad(corners);
    const double topLength = distance(corners[0], corners[1]);
    const double rightLength = distance(corners[1], corners[2]);
    auto samples = [](double pixels) {
        const double wanted = pixels > 8 ? 2 * pixels : 16;  // NaN too
        return static_cast<int32_t>(std::min(wanted, static_cast<double>(MAX_COUNT_SAMPLES)));
    };
    // The module measured on a blurred L is often too large: the track is
    // looked for at a few depths and the most dark runs taken (data rows
    // further in run longer and count fewer).
    std::array<int32_t, 2> counts{0, 0};
    for (const double depth : COUNT_DEPTHS) {
        const double down = std::min(0.25, depth * modulePixels / std::max(1.0, distance(corners[0], corners[3])));
        const double in = std::min(0.25, depth * modulePixels / std::max(1.0, distance(corners[3], corners[2])));
        counts[0] = std::max(counts[0], darkRuns(trackProfile(grey, unit, {0, down}, {1, down}, {0, 0}, samples(topLength))));
        counts[1] = std::max(counts[1], darkRuns(trackProfile(grey, unit, {1 - in, 0}, {1 - in, 1}, {0, 0}, samples(rightLength))));
    }
    return counts;
}

// Dynamic programming over the profile: best[k][i] is the best score with
// module k centred on sample i, a dark module scoring the darkness of its
// sample and a light one its lightness, less a cost for each step unlike
// the even grid's.
std::vector<double> TVekDatamatrixGreyGrid::fitClock(const std::vector<double>& profile, int32_t count,
                                                     int32_t darkParity, double* score) {
    const int32_t samples = static_cast<int32_t>(profile.size());
    if (count < 2 || samples < 2 * count) return {};
    const double module = static_cast<double>(samples) / count;
    const auto [low, high] = std::minmax_element(profile.begin(), profile.end());
    const double contrast = std::max(1.0, *high - *low);
    const int32_t minStep = std::max(1, static_cast<int32_t>(std::ceil(MIN_STEP * module)));
    const int32_t maxStep = static_cast<int32_t>(std::floor(MAX_STEP * module));
    const int32_t slack = static_cast<int32_t>(END_SLACK * module);
    constexpr double NONE = -std::numeric_limits<double>::infinity();
    std::vector<double> best(static_cast<size_t>(count * samples), NONE);
    std::vector<int32_t> from(static_cast<size_t>(count * samples), -1);
    auto at = [samples](int32_t k, int32_t i) { return static_cast<size_t>(k * samples + i); };
    auto gain = [&](int32_t k, int32_t i) {
        const double v = profile[static_cast<size_t>(i)];
        return k % 2 == darkParity ? -v : v;
    };
    // The end modules are often as light as what lies beyond them: they
    // stay near the even grid's unless the profile says otherwise.
    auto anchorCost = [&](int32_t offset) {
        const double off = offset / module;
        return STEP_COST * contrast * off * off;
    };
    const int32_t firstCentre = static_cast<int32_t>(0.5 * module);
    for (int32_t i = std::max(0, firstCentre - slack); i <= std::min(samples - 1, firstCentre + slack); ++i) {
        best[at(0, i)] = gain(0, i) - anchorCost(i - firstCentre);
    }
    for (int32_t k = 1; k < count; ++k) {
        for (int32_t i = 0; i < samples; ++i) {
            double top = NONE;
            int32_t source = -1;
            for (int32_t step = minStep; step <= maxStep && step <= i; ++step) {
                const double previous = best[at(k - 1, i - step)];
                if (previous == NONE) continue;
                const double off = (step - module) / module;
                const double score = previous - STEP_COST * contrast * off * off;
                if (score > top) {
                    top = score;
                    source = i - step;
                }
            }
            if (source < 0) continue;
            best[at(k, i)] = top + gain(k, i);
            from[at(k, i)] = source;
        }
    }
    const int32_t lastCentre = static_cast<int32_t>(samples - 0.5 * module);
    int32_t end = -1;
    for (int32_t i = std::max(0, lastCentre - slack); i < samples && i <= lastCentre + slack; ++i) {
        if (best[at(count - 1, i)] == NONE) continue;
        best[at(count - 1, i)] -= anchorCost(i - lastCentre);
        if (end < 0 || best[at(count - 1, i)] > best[at(count - 1, end)]) end = i;
    }
    if (end < 0) return {};
    if (score != nullptr) *score = best[at(count - 1, end)];
    std::vector<double> centres(static_cast<size_t>(count));
    for (int32_t k = count - 1; k >= 0; --k) {
        centres[static_cast<size_t>(k)] = (end + 0.5) / samples;
        end = from[at(k, end)];
    }
    return centres;
}

std::optional<TVekDatamatrixGreyGrid> TVekDatamatrixGreyGrid::sample(const TVekGreyImage& grey,
                                                                    const std::array<TVekPointF, 4>& corners,
                                                                    int32_t cols, int32_t rows) {
    if (grey.empty() || cols < 2 || rows < 2) return std::nullopt;
    for (const TVekPointF& p : corners) {
        if (!(p.x >= -OUTSIDE && p.y >= -OUTSIDE && p.x <= grey.width() + OUTSIDE && p.y <= grey.height() + OUTSIDE))
            return std::nullopt;
    }
    const TPlacement placement = refined(grey, corners, cols, rows);
    const TVekPerspectiveTransform unit = TVekPerspectiveTransform::squareToQuad(placement.corners);
    const double bow = placement.bow;
    const double colWidth = 1.0 / cols;
    const double rowHeight = 1.0 / rows;
    // The top row alternates from dark at the left; the right column from
    // light at the top.
    const double down = 0.5 * rowHeight;
    const auto columns = fitClock(trackProfile(grey, unit, {0, down}, {1, down}, {0, SPREAD * rowHeight},
                                               TRACK_SAMPLES * cols, bow),
                                  cols, 0);
    const double in = 1 - 0.5 * colWidth;
    const auto rowCentres = fitClock(trackProfile(grey, unit, {in, 0}, {in, 1}, {SPREAD * colWidth, 0},
                                                  TRACK_SAMPLES * rows),
                                     rows, 1);
    if (columns.empty() || rowCentres.empty()) return std::nullopt;
    TVekDatamatrixGreyGrid grid(cols, rows);
    const TVekPointF dx{SPREAD * colWidth, 0};
    const TVekPointF dy{0, SPREAD * rowHeight};
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) {
            const double u = columns[static_cast<size_t>(c)];
            const TVekPointF centre{u, rowCentres[static_cast<size_t>(r)] + bowAt(bow, u)};
            double sum = 0;
            for (const TVekPointF& p : {centre, centre - dx, centre + dx, centre - dy, centre + dy}) {
                sum += bilinear(grey, unit.map(p));
            }
            grid.levels_[static_cast<size_t>(r * cols + c)] = sum / 5;
        }
    }
    return grid;
}

// Each edge's two ends are moved along the neighbouring sides by up to
// half a module, keeping the placement whose clock track scores best; the
// right edge once more after the top one has moved. Then the rows may bow
// by up to a module at the middle (a label round a bottle seen from above
// or below), again as the top track scores best.
TVekDatamatrixGreyGrid::TPlacement TVekDatamatrixGreyGrid::refined(const TVekGreyImage& grey,
                                                                  std::array<TVekPointF, 4> corners, int32_t cols,
                                                                  int32_t rows) {
    auto trackScore = [&](const std::array<TVekPointF, 4>& q, bool right, double bow = 0) {
        const TVekPerspectiveTransform unit = TVekPerspectiveTransform::squareToQuad(q);
        double score = -std::numeric_limits<double>::infinity();
        const auto centres =
            right ? fitClock(trackProfile(grey, unit, {1 - 0.5 / cols, 0}, {1 - 0.5 / cols, 1},
                                          {SPREAD / cols, 0}, SCORE_SAMPLES * rows),
                             rows, 1, &score)
                  : fitClock(trackProfile(grey, unit, {0, 0.5 / rows}, {1, 0.5 / rows}, {0, SPREAD / rows},
                                          SCORE_SAMPLES * cols, bow),
                             cols, 0, &score);
        return centres.empty() ? -std::numeric_limits<double>::infinity() : score;
    };
    // right: the top-right and bottom-right corners move along the top and
    // bottom sides; top: the top-left and top-right corners along the left
    // and right sides.
    auto fitEdge = [&](bool right) {
        const size_t a = right ? 1 : 0;
        const size_t b = right ? 2 : 1;
        const TVekPointF alongA = right ? (1.0 / cols) * (corners[1] - corners[0]) : (1.0 / rows) * (corners[0] - corners[3]);
        const TVekPointF alongB = right ? (1.0 / cols) * (corners[2] - corners[3]) : (1.0 / rows) * (corners[1] - corners[2]);
        // One end at a time: a pixel or two at one end hardly changes how
        // the other end fits.
        double bestScore = trackScore(corners, right);
        for (const auto& [end, along] : {std::pair{a, alongA}, std::pair{b, alongB}}) {
            const TVekPointF start = corners[end];
            TVekPointF best = start;
            for (const double shift : EDGE_SHIFTS) {
                if (shift == 0) continue;
                corners[end] = start + shift * along;
                const double score = trackScore(corners, right);
                if (score > bestScore) {
                    bestScore = score;
                    best = corners[end];
                }
            }
            corners[end] = best;
        }
    };
    fitEdge(true);
    fitEdge(false);
    fitEdge(true);
    TPlacement placement{corners, 0};
    double bestScore = trackScore(corners, false);
    for (const double modules : BOWS) {
        const double score = trackScore(corners, false, modules / rows);
        if (score > bestScore) {
            bestScore = score;
            placement.bow = modules / rows;
        }
    }
    return placement;
}

// Halfway between the clock tracks' dark and light modules, the corners
// left out.
double TVekDatamatrixGreyGrid::clockThreshold() const {
    double dark = 0, light = 0;
    int32_t darkCount = 0, lightCount = 0;
    auto add = [&](int32_t c, int32_t r, bool isDark) {
        (isDark ? dark : light) += level(c, r);
        ++(isDark ? darkCount : lightCount);
    };
    for (int32_t c = 1; c + 1 < cols_; ++c) add(c, 0, c % 2 == 0);
    for (int32_t r = 1; r + 1 < rows_; ++r) add(cols_ - 1, r, r % 2 == 1);
    if (darkCount == 0 || lightCount == 0) return 128;
    return 0.5 * (dark / darkCount + light / lightCount);
}

double TVekDatamatrixGreyGrid::sharpened(int32_t c, int32_t r) const {
    double sum = 0;
    int32_t n = 0;
    for (const auto& [dc, dr] : {std::pair{-1, 0}, std::pair{1, 0}, std::pair{0, -1}, std::pair{0, 1}}) {
        const int32_t x = c + dc;
        const int32_t y = r + dr;
        if (x < 0 || y < 0 || x >= cols_ || y >= rows_) continue;
        sum += level(x, y);
        ++n;
    }
    return n == 0 ? level(c, r) : level(c, r) + SHARPEN * (level(c, r) - sum / n);
}

double TVekDatamatrixGreyGrid::localMean(int32_t c, int32_t r) const {
    double sum = 0;
    int32_t n = 0;
    for (int32_t y = std::max(0, r - LOCAL_REACH); y <= std::min(rows_ - 1, r + LOCAL_REACH); ++y) {
        for (int32_t x = std::max(0, c - LOCAL_REACH); x <= std::min(cols_ - 1, c + LOCAL_REACH); ++x) {
            sum += level(x, y);
            ++n;
        }
    }
    return sum / n;
}

TVekBitMatrix TVekDatamatrixGreyGrid::modules(int32_t kind) const {
    TVekBitMatrix result(cols_, rows_);
    const double threshold = clockThreshold();
    if (kind == 2) {
        TVekDatamatrixGreyGrid sharp(cols_, rows_);
        for (int32_t r = 0; r < rows_; ++r) {
            for (int32_t c = 0; c < cols_; ++c) sharp.levels_[static_cast<size_t>(r * cols_ + c)] = sharpened(c, r);
        }
        const double sharpThreshold = sharp.clockThreshold();
        for (int32_t r = 0; r < rows_; ++r) {
            for (int32_t c = 0; c < cols_; ++c) result.set(c, r, sharp.level(c, r) < sharpThreshold);
        }
        return result;
    }
    double mean = 0;
    for (const double v : levels_) mean += v;
    mean /= static_cast<double>(levels_.size());
    for (int32_t r = 0; r < rows_; ++r) {
        for (int32_t c = 0; c < cols_; ++c) {
            // Against the surroundings: the clock threshold moved with the
            // local mean, for light falling unevenly over the symbol.
            const double t = kind == 1 ? threshold + localMean(c, r) - mean : threshold;
            result.set(c, r, level(c, r) < t);
        }
    }
    return result;
}

}  // namespace orvel
