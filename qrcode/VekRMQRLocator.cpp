#include "qrcode/VekRMQRLocator.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "qrcode/VekHomographyFit.h"
#include "qrcode/VekQRFinderQuad.h"
#include "qrcode/VekQRTimingFollower.h"
#include "qrcode/VekRMQRTables.h"

namespace orvel {

namespace {

// Of the five modules where the top row's timing starts next to the finder.
constexpr int32_t kMinStartScore = 4;
// Format errors of a hypothesis that counts as a symbol seen (random
// modules come within three errors of some format word one time in four).
constexpr int32_t kMaxStartedFormatErrors = 1;
// Runs of a row that may be missed (a blot) before the row is given up.
constexpr int32_t kMaxMissedRuns = 2;

bool darkAt(const TVekBitMatrix& bits, TVekPointF p) {
    return bits.getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y)));
}

struct THypothesis {
    TVekPerspectiveTransform guess;  // the finder's module square (0, 0) ... (7, 7)
    std::array<TVekPointF, 4> corners;
    bool mirrored;
    TVekRMQRFormat format;
};

// A dark run of a row: first module and length.
struct TRun {
    int32_t first;
    int32_t length;
};

// The dark runs of the top row from the timing on (column 8), or of the
// bottom row: timing modules, alignment patterns (three modules), the
// top-right corner pattern or the sub-finder's bottom edge at the end.
std::vector<TRun> rowRuns(int32_t width, bool bottom) {
    std::vector<TRun> runs;
    const auto alignment = rmqrAlignmentColumns(width);
    const int32_t end = bottom ? width - 5 : width - 3;
    for (int32_t a = 8; a < end; a += 2) {
        if (std::find(alignment.begin(), alignment.end(), a + 1) != alignment.end()) {
            runs.push_back({a, 3});
            a += 2;
        } else {
            runs.push_back({a, 1});
        }
    }
    runs.push_back(bottom ? TRun{width - 5, 5} : TRun{width - 3, 3});
    return runs;
}

// The centres of the runs of one row (module row `row`, the quiet zone
// above it for the top row, below for the bottom one) as found in turn, each
// predicted from the last two found.
void followRow(const TVekBitMatrix& bits, const TVekPerspectiveTransform& guess, int32_t width, int32_t row,
               bool bottom, std::vector<TVekPointMatch>& matches) {
    const double y = row + 0.5;
    const double inwardSign = bottom ? -1 : 1;
    std::optional<TVekPointMatch> first, last;
    TVekPointF perModule = guess.map({9.5, y}) - guess.map({8.5, y});
    // Far along a long row the finder's perspective says little: inward is
    // taken square to the row as followed, on the side the finder gives.
    const TVekPointF startInward = guess.map({8.5, y + 0.5 * inwardSign}) - guess.map({8.5, y - 0.5 * inwardSign});
    const double side = cross(perModule, startInward) > 0 ? 1 : -1;
    int32_t missed = 0;
    for (const TRun& run : rowRuns(width, bottom)) {
        const double x = run.first + run.length / 2.0;
        const TVekPointF predicted = last ? last->picture + (x - last->module.x) * perModule : guess.map({x, y});
        const TVekPointF inward = side * TVekPointF{-perModule.y, perModule.x};
        auto centre = TVekQRTimingFollower::runCentre(bits, predicted, perModule, inward, run.length);
        // Until the row's first run is found its distance from the finder is
        // a guess (the bottom row of a tall symbol lies twice the finder's
        // height away): a module either side of it is tried, outwards first.
        for (const double offset : {-0.25, 0.25, -0.5, 0.5, -0.75, 0.75, -1.0, 1.0}) {
            if (centre || last) break;
            centre = TVekQRTimingFollower::runCentre(bits, predicted + offset * inward, perModule, inward, run.length);
        }
        if (!centre) {
            if (++missed > kMaxMissedRuns) return;
            continue;
        }
        // The step from the first run found: single steps carry a pixel's
        // noise, which the extrapolation would multiply.
        if (first && x - first->module.x >= 4)
            perModule = (1.0 / (x - first->module.x)) * (*centre - first->picture);
        else if (last)
            perModule = (1.0 / (x - last->module.x)) * (*centre - last->picture);
        last = TVekPointMatch{{x, y}, *centre};
        if (!first) first = last;
        matches.push_back(*last);
    }
}

std::optional<THypothesis> hypothesis(const TVekBitMatrix& bits, const std::array<TVekPointF, 4>& corners, size_t first,
                                      bool mirrored) {
    TVekPerspectiveTransform::TQuad quad;
    for (size_t i = 0; i < 4; ++i) quad[i] = corners[mirrored ? (first + 4 - i) % 4 : (first + i) % 4];
    const TVekPerspectiveTransform::TQuad square{TVekPointF{0, 0}, TVekPointF{7, 0}, TVekPointF{7, 7},
                                                 TVekPointF{0, 7}};
    const auto guess = TVekPerspectiveTransform::quadToQuad(square, quad);
    if (!guess) return std::nullopt;
    int32_t score = 0;
    for (int32_t a = 7; a <= 11; ++a) score += darkAt(bits, guess->map({a + 0.5, 0.5})) == (a % 2 == 0);
    if (score < kMinStartScore) return std::nullopt;
    uint32_t formatBits = 0;
    for (int32_t bit = 0; bit < 18; ++bit) {
        const auto [column, row] = rmqrFormatPosition(bit, false, 0, 0);
        formatBits |= static_cast<uint32_t>(darkAt(bits, guess->map({column + 0.5, row + 0.5}))) << bit;
    }
    const auto format = rmqrReadFormat(formatBits, false);
    if (!format) return std::nullopt;
    return THypothesis{*guess, quad, mirrored, *format};
}

}  // namespace

std::vector<TVekRMQRGrid> TVekRMQRLocator::grids(const TVekBitMatrix& bits, const TVekQRFinderCandidate& finder,
                                                 bool* started) {
    std::vector<TVekRMQRGrid> grids;
    const auto corners = TVekQRFinderQuad::find(bits, finder.centre, finder.moduleSize);
    if (!corners) return grids;
    std::vector<THypothesis> hypotheses;
    for (size_t first = 0; first < 4; ++first)
        for (const bool mirrored : {false, true})
            if (auto h = hypothesis(bits, *corners, first, mirrored)) hypotheses.push_back(*h);
    std::stable_sort(hypotheses.begin(), hypotheses.end(),
                     [](const THypothesis& a, const THypothesis& b) { return a.format.errors < b.format.errors; });
    // A hypothesis on clean format information: one that seems to start.
    if (started)
        *started = std::any_of(hypotheses.begin(), hypotheses.end(),
                               [](const THypothesis& h) { return h.format.errors <= kMaxStartedFormatErrors; });
    for (const THypothesis& h : hypotheses) {
        const TVekRMQRVersionInfo& info = *rmqrVersionInfo(h.format.version);
        std::vector<TVekPointMatch> matches;
        const TVekPointF square[4] = {{0, 0}, {7, 0}, {7, 7}, {0, 7}};
        for (size_t i = 0; i < 4; ++i) matches.push_back({square[i], h.corners[i]});
        followRow(bits, h.guess, info.width, 0, false, matches);
        // The top row's points put the bottom row better than the finder alone.
        const auto top = TVekHomographyFit::fit(matches, info.width, info.height);
        if (!top) continue;
        followRow(bits, *top, info.width, info.height - 1, true, matches);
        if (const auto fitted = TVekHomographyFit::fit(matches, info.width, info.height))
            grids.push_back({info.width, info.height, *fitted, h.mirrored});
    }
    return grids;
}

}  // namespace orvel
