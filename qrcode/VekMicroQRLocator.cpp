#include "qrcode/VekMicroQRLocator.h"

#include <algorithm>
#include <cmath>

#include "qrcode/VekHomographyFit.h"
#include "qrcode/VekMicroQRTables.h"
#include "qrcode/VekQRFinderQuad.h"
#include "qrcode/VekQRTimingFollower.h"

namespace orvel {

namespace {

constexpr int32_t kMinSize = 11;
constexpr int32_t kMaxSize = 17;
// Of the ten timing modules next to the finder.
constexpr int32_t kMinStartScore = 8;

bool darkAt(const TVekBitMatrix& bits, TVekPointF p) {
    return bits.getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y)));
}

// The finder's module square (0, 0) ... (7, 7) on corners[first] and the
// three after it.
std::optional<TVekPerspectiveTransform> finderTransform(const std::array<TVekPointF, 4>& corners, size_t first) {
    TVekPerspectiveTransform::TQuad quad;
    for (size_t i = 0; i < 4; ++i) quad[i] = corners[(first + i) % 4];
    const TVekPerspectiveTransform::TQuad square{TVekPointF{0, 0}, TVekPointF{7, 0}, TVekPointF{7, 7},
                                                 TVekPointF{0, 7}};
    return TVekPerspectiveTransform::quadToQuad(square, quad);
}

// How many of the ten modules where timing patterns start along both outer
// edges from the corner at module (0, 0) are right: light separator column,
// then dark, light, dark, light.
int32_t timingStartScore(const TVekBitMatrix& bits, const TVekPerspectiveTransform& t) {
    int32_t right = 0;
    for (int32_t a = 7; a <= 11; ++a) {
        const bool dark = a % 2 == 0;
        right += (darkAt(bits, t.map({a + 0.5, 0.5})) == dark) + (darkAt(bits, t.map({0.5, a + 0.5})) == dark);
    }
    return right;
}

// The symbol size where a timing pattern's dark modules end: its last dark
// module is the symbol's last module.
int32_t sizeOf(const std::vector<TVekPointMatch>& timing) { return 8 + 2 * static_cast<int32_t>(timing.size()) - 1; }

bool isSize(int32_t size) { return size >= kMinSize && size <= kMaxSize && size % 2 == 1; }

}  // namespace

std::vector<TVekQRGrid> TVekMicroQRLocator::grids(const TVekBitMatrix& bits, const TVekQRFinderCandidate& finder,
                                                  bool* started) {
    std::vector<TVekQRGrid> grids;
    const auto corners = TVekQRFinderQuad::find(bits, finder.centre, finder.moduleSize);
    if (!corners) return grids;
    // The corners in the order their timing starts look right; the first
    // perspective is rough, so a module or two may be wrong, and the
    // following of the timing patterns decides.
    std::vector<std::pair<int32_t, size_t>> starts;
    for (size_t first = 0; first < 4; ++first)
        if (const auto guess = finderTransform(*corners, first)) {
            const int32_t score = timingStartScore(bits, *guess);
            if (score >= kMinStartScore) starts.emplace_back(score, first);
        }
    std::stable_sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (started) *started = false;
    for (const auto& [score, first] : starts) {
        const auto guess = finderTransform(*corners, first);
        // Along the top row and down the left column; one dark module more
        // than the largest size has is no Micro QR.
        const int32_t maxDark = (kMaxSize - 8) / 2 + 2;
        const auto top = TVekQRTimingFollower::follow(bits, *guess, {{0, 0}, {1, 0}, {0, 1}}, 8, maxDark);
        const auto left = TVekQRTimingFollower::follow(bits, *guess, {{0, 0}, {0, 1}, {1, 0}}, 8, maxDark);
        // Two timing modules followed on each edge: a symbol seems to be there.
        if (started && top.size() >= 2 && left.size() >= 2) *started = true;
        std::vector<int32_t> sizes;
        for (const int32_t size : {sizeOf(top), sizeOf(left)})
            if (isSize(size) && std::find(sizes.begin(), sizes.end(), size) == sizes.end()) sizes.push_back(size);
        // Both patterns must end at a Micro QR size; when they disagree, one
        // lost a module to a blot and both sizes are tried.
        if (!isSize(sizeOf(top)) && !isSize(sizeOf(left))) continue;
        for (const int32_t size : sizes) {
            std::vector<TVekPointMatch> matches;
            const TVekPointF square[4] = {{0, 0}, {7, 0}, {7, 7}, {0, 7}};
            for (size_t i = 0; i < 4; ++i) matches.push_back({square[i], (*corners)[(first + i) % 4]});
            for (const auto* timing : {&top, &left})
                for (const auto& m : *timing)
                    if (m.module.x < size && m.module.y < size) matches.push_back(m);
            if (const auto fitted = TVekHomographyFit::fit(matches, size, size)) grids.push_back({size, *fitted});
        }
    }
    return grids;
}

}  // namespace orvel
