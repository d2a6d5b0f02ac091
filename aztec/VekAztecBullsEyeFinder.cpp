#include "aztec/VekAztecBullsEyeFinder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>

namespace orvel {

namespace {

// The seven runs from light ring 3 on one side to light ring 3 on the other.
constexpr int32_t kInnerRuns = 7;
constexpr double kMinModuleSize = 1.5;

// True when seven runs could be rings 3, 2, 1, 0, 1, 2, 3: each about the
// mean width, and both halves alike. Binarizing widens dark runs and narrows
// light ones a little, and a tilt changes the width across the pattern.
bool looksLikeRings(const std::array<int32_t, kInnerRuns>& runs, double& moduleSize, double* unevenness = nullptr) {
    int32_t total = 0;
    for (int32_t run : runs) total += run;
    moduleSize = total / static_cast<double>(kInnerRuns);
    // Below one and a half pixels a module cannot be told from noise.
    if (moduleSize < kMinModuleSize) return false;
    double uneven = 0;
    for (int32_t run : runs) {
        const double off = std::fabs(run - moduleSize);
        if (off > 0.6 * moduleSize + 0.5) return false;
        uneven += off / moduleSize;
    }
    if (unevenness) *unevenness += uneven;
    const int32_t left = runs[0] + runs[1] + runs[2];
    const int32_t right = runs[4] + runs[5] + runs[6];
    return std::abs(left - right) <= 0.7 * std::max(left, right) / 2 + 1;
}

// Reads the runs through one dark pixel along a line of `length` pixels,
// where get(i) tells pixel i. Gives the pattern's middle along the line and
// the module size, when rings 3 ... 3 are there and ring 4 begins on both sides.
// No run longer than maxRun can be a ring: the walk stops there, so that a
// long run (a checkerboard's diagonal) costs no more than a ring would.
template <typename Get>
std::optional<std::pair<double, double>> crossCheck(Get get, int32_t length, int32_t at, int32_t maxRun,
                                                    double* unevenness = nullptr) {
    if (at < 0 || at >= length || !get(at)) return std::nullopt;
    // Centre run, then three runs and the start of the fourth on each side.
    int32_t lo = at;
    while (lo > 0 && get(lo - 1) && at - lo <= maxRun) --lo;
    int32_t hi = at;
    while (hi + 1 < length && get(hi + 1) && hi - lo <= maxRun) ++hi;
    if (hi - lo + 1 > maxRun) return std::nullopt;
    std::array<int32_t, kInnerRuns> runs{};
    runs[3] = hi - lo + 1;
    int32_t start = lo;
    for (int32_t k = 2; k >= 0; --k) {
        const bool dark = k == 1;
        int32_t end = start;
        while (start > 0 && get(start - 1) == dark && end - start <= maxRun) --start;
        runs[static_cast<size_t>(k)] = end - start;
        if (runs[static_cast<size_t>(k)] == 0 || start == 0 || runs[static_cast<size_t>(k)] > maxRun) return std::nullopt;
    }
    int32_t stop = hi + 1;
    for (int32_t k = 4; k < kInnerRuns; ++k) {
        const bool dark = k == 5;
        const int32_t begin = stop;
        while (stop < length && get(stop) == dark && stop - begin <= maxRun) ++stop;
        runs[static_cast<size_t>(k)] = stop - begin;
        if (runs[static_cast<size_t>(k)] == 0 || stop == length || runs[static_cast<size_t>(k)] > maxRun)
            return std::nullopt;
    }
    double moduleSize = 0;
    if (!looksLikeRings(runs, moduleSize, unevenness)) return std::nullopt;
    return std::make_pair((start + stop) / 2.0, moduleSize);
}

// rowModule: the module size the row showed. The other lines may see up to
// 2.2 times it (tilt) and √2 more along a diagonal; a ring is at most 1.6
// modules wide: no run of a bull's eye is longer than maxRun.
std::optional<TVekAztecBullsEyeCandidate> confirm(const TVekBitMatrix& bits, double x, int32_t y, double rowModule) {
    const int32_t column = static_cast<int32_t>(std::floor(x));
    const int32_t maxRun = static_cast<int32_t>(std::min(8 * rowModule + 4, 1e6));
    double unevenness = 0;
    auto down = crossCheck([&](int32_t i) { return bits.get(column, i); }, bits.height(), y, maxRun, &unevenness);
    if (!down) return std::nullopt;
    const int32_t row = static_cast<int32_t>(std::floor(down->first));
    auto across = crossCheck([&](int32_t i) { return bits.get(i, row); }, bits.width(), column, maxRun, &unevenness);
    if (!across) return std::nullopt;
    const double ratio = across->second / down->second;
    // A bull's-eye seen at up to about 60 degrees of tilt.
    if (ratio < 0.45 || ratio > 2.2) return std::nullopt;
    // The crossings of a full-range symbol's reference grid alternate along
    // the row and the column as well; the diagonals through them are data.
    const int32_t x0 = static_cast<int32_t>(std::floor(across->first));
    const int32_t y0 = row;
    const int32_t fall = std::min(x0, y0);
    const int32_t fallLength = std::min(bits.width() - (x0 - fall), bits.height() - (y0 - fall));
    if (!crossCheck([&](int32_t i) { return bits.get(x0 - fall + i, y0 - fall + i); }, fallLength, fall, maxRun, &unevenness))
        return std::nullopt;
    const int32_t rise = std::min(x0, bits.height() - 1 - y0);
    const int32_t riseLength = std::min(bits.width() - (x0 - rise), y0 + rise + 1);
    if (!crossCheck([&](int32_t i) { return bits.get(x0 - rise + i, y0 + rise - i); }, riseLength, rise, maxRun, &unevenness))
        return std::nullopt;
    return TVekAztecBullsEyeCandidate{TVekPointF{across->first, down->first},
                                      std::sqrt(across->second * down->second), unevenness};
}

// The first pixel from `x` on that is not `colour` (or width): eight pixels
// at a time, the first different one found by counting zero bits, so a run
// costs one unpredictable branch however long it is.
int32_t runEnd(const uint8_t* row, int32_t x, int32_t width, uint8_t colour) {
    const uint64_t same = colour * uint64_t{0x0101010101010101};
    for (; x + 8 <= width; x += 8) {
        uint64_t eight = 0;
        std::memcpy(&eight, row + x, sizeof eight);
        const uint64_t differ = eight ^ same;
        if (differ == 0) continue;
        if constexpr (std::endian::native == std::endian::little)
            return x + std::countr_zero(differ) / 8;
        else
            return x + std::countl_zero(differ) / 8;
    }
    while (x < width && row[x] == colour) ++x;
    return x;
}

bool isKnown(const std::vector<TVekAztecBullsEyeCandidate>& found, const TVekAztecBullsEyeCandidate& candidate) {
    for (const auto& other : found)
        if (distance(other.centre, candidate.centre) < 2 * std::max(other.moduleSize, candidate.moduleSize))
            return true;
    return false;
}

}  // namespace

std::vector<TVekAztecBullsEyeCandidate> TVekAztecBullsEyeFinder::find(const TVekBitMatrix& bits, int32_t rowStep) {
    std::vector<TVekAztecBullsEyeCandidate> found;
    if (bits.empty()) return found;
    const int32_t width = bits.width();
    constexpr size_t kWindow = kInnerRuns + 2;
    for (int32_t y = rowStep / 2; y < bits.height() && found.size() < maxCandidates; y += std::max(rowStep, 1)) {
        const uint8_t* row = bits.row(y);
        // The last nine runs of the row, oldest first (ring 4 left, the seven
        // inner runs, ring 4 right when they are a bull's-eye); the pattern is
        // checked whenever a dark run closes.
        std::array<int32_t, kWindow> window{};
        size_t count = 0;
        int32_t begin = 0;
        while (begin < width) {
            const uint8_t colour = row[begin];
            const int32_t x = runEnd(row, begin + 1, width, colour);
            const int32_t run = x - begin;
            begin = x;
            std::copy(window.begin() + 1, window.end(), window.begin());
            window[kWindow - 1] = run;
            if (++count < kWindow || colour == 0) continue;
            std::array<int32_t, kInnerRuns> inner{};
            std::copy(window.begin() + 1, window.begin() + 1 + kInnerRuns, inner.begin());
            // Most runs of a picture fail this integer test already.
            const auto [shortest, longest] = std::minmax_element(inner.begin(), inner.end());
            if (*longest > 3 * *shortest + 1 || *longest < 2) continue;
            double moduleSize = 0;
            if (!looksLikeRings(inner, moduleSize)) continue;
            if (window[0] < 0.4 * moduleSize || window[kWindow - 1] < 0.4 * moduleSize) continue;
            int32_t innerWidth = 0;
            for (int32_t r : inner) innerWidth += r;
            const double middle = x - window[kWindow - 1] - innerWidth / 2.0;
            const std::optional<TVekAztecBullsEyeCandidate> candidate = confirm(bits, middle, y, moduleSize);
            if (!candidate || isKnown(found, *candidate)) continue;
            found.push_back(*candidate);
            if (found.size() >= maxCandidates) break;
        }
    }
    // The most regular rings first: a real bull's-eye is tried before the
    // noise of a textured background that happens to alternate.
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.unevenness < b.unevenness; });
    return found;
}

}  // namespace orvel
