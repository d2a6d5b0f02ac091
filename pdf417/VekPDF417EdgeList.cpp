#include "pdf417/VekPDF417EdgeList.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orvel {

void TVekPDF417EdgeList::find(const float* levels, int32_t count, double origin, double step,
                              double relativeContrast, double minContrast) {
    if (count < 2) {
        edges_.clear();
        return;
    }
    const auto [low, high] = std::minmax_element(levels, levels + count);
    findWithin(levels, count, origin, step, *low, *high, relativeContrast, minContrast);
}

namespace {

// Where the levels from one extreme (`from`) to the next (`to`) first cross
// the middle between the two, with sub-sample precision. The levels after
// an extreme stay on its side of the middle until they cross it, so the
// crossing is the first level past the middle: one test a sample, four at
// once where the processor has them. Always found between two extremes
// (of levels that are numbers, not NaN).
template <bool DarkAfter>
inline bool crossing(const float* levels, int32_t from, int32_t to, float middle, int32_t& at, double& fraction) {
    int32_t k = from + 1;
#ifdef __SSE2__
    const __m128 threshold = _mm_set1_ps(middle);
    for (; k + 4 <= to + 1; k += 4) {
        const __m128 level = _mm_loadu_ps(levels + k);
        const int past = _mm_movemask_ps(DarkAfter ? _mm_cmplt_ps(level, threshold) : _mm_cmpgt_ps(level, threshold));
        if (past != 0) {
            k += std::countr_zero(static_cast<unsigned>(past));
            break;
        }
    }
#endif
    for (; k <= to; ++k) {
        if (DarkAfter ? levels[k] < middle : levels[k] > middle) break;
    }
    if (k > to) return false;
    const float a = levels[k - 1];
    const float b = levels[k];
    at = k - 1;
    fraction = (middle - a) / static_cast<double>(b - a);
    return true;
}

// The least float at or above `contrast`: a difference of two levels (a
// float) reaches the one exactly when it reaches the other, and the tests
// below then need no conversion to double a sample.
float swingAtLeast(double contrast) {
    if (!(contrast <= std::numeric_limits<float>::max())) return std::numeric_limits<float>::infinity();
    const auto rounded = static_cast<float>(contrast);
    return static_cast<double>(rounded) >= contrast ? rounded
                                                    : std::nextafter(rounded, std::numeric_limits<float>::infinity());
}

}  // namespace

void TVekPDF417EdgeList::addEdge(const float* levels, int32_t from, int32_t to, double origin, double step) {
    const float middle = 0.5f * (levels[from] + levels[to]);
    const bool darkAfter = levels[to] < levels[from];
    int32_t at = 0;
    double fraction = 0;
    const bool found = darkAfter ? crossing<true>(levels, from, to, middle, at, fraction)
                                 : crossing<false>(levels, from, to, middle, at, fraction);
    if (found) edges_.push_back({origin + (at + fraction) * step, darkAfter});
}

void TVekPDF417EdgeList::findWithin(const float* levels, int32_t count, double origin, double step, float low,
                                    float high, double relativeContrast, double minContrast) {
    edges_.clear();
    if (count < 2) return;
    const float contrast = swingAtLeast(std::max(minContrast, relativeContrast * (high - low)));
    if (high - low < contrast) return;
    // Edges are at least a sample apart: growing once, the list keeps its
    // room for the profiles after.
    edges_.reserve(static_cast<size_t>(count));

    // Settle the first extreme: whichever of the running minimum and maximum
    // came first once they are far enough apart.
    int32_t lowAt = 0;
    int32_t highAt = 0;
    int32_t i = 1;
    for (; i < count; ++i) {
        if (levels[i] < levels[lowAt]) lowAt = i;
        if (levels[i] > levels[highAt]) highAt = i;
        if (levels[highAt] - levels[lowAt] >= contrast) break;
    }
    if (i >= count) return;
    bool rising = lowAt < highAt;  // heading for a maximum
    int32_t confirmed = rising ? lowAt : highAt;
    int32_t candidate = rising ? highAt : lowAt;
    // The candidate extreme's level, kept at hand: each sample is compared
    // with it. A rising and a falling stretch each have their own loop.
    float peak = levels[candidate];
    ++i;
    while (i < count) {
        if (rising) {
            for (; i < count; ++i) {
                const float level = levels[i];
                if (level > peak) {
                    candidate = i;
                    peak = level;
                } else if (peak - level >= contrast) {
                    addEdge(levels, confirmed, candidate, origin, step);
                    confirmed = candidate;
                    candidate = i;
                    peak = level;
                    rising = false;
                    ++i;
                    break;
                }
            }
        } else {
            for (; i < count; ++i) {
                const float level = levels[i];
                if (level < peak) {
                    candidate = i;
                    peak = level;
                } else if (level - peak >= contrast) {
                    addEdge(levels, confirmed, candidate, origin, step);
                    confirmed = candidate;
                    candidate = i;
                    peak = level;
                    rising = true;
                    ++i;
                    break;
                }
            }
        }
    }
    // The last swing counts when it reached full contrast.
    if (std::abs(levels[candidate] - levels[confirmed]) >= contrast) {
        addEdge(levels, confirmed, candidate, origin, step);
    }
}

int32_t TVekPDF417EdgeList::firstAtOrAfter(double position) const {
    const auto it = std::lower_bound(edges_.begin(), edges_.end(), position,
                                     [](const TEdge& edge, double p) { return edge.position < p; });
    return static_cast<int32_t>(it - edges_.begin());
}

void TVekPDF417EdgeList::reverseInto(TVekPDF417EdgeList& reversed) const {
    reversed.edges_.clear();
    for (auto it = edges_.rbegin(); it != edges_.rend(); ++it) {
        reversed.edges_.push_back({-it->position, !it->darkAfter});
    }
}

void TVekPDF417EdgeList::snappedInto(TVekPDF417EdgeList& snapped, double scale, double offset) const {
    snapped.edges_.clear();
    for (const TEdge& edge : edges_) {
        snapped.edges_.push_back({std::nearbyint((edge.position - offset) / scale), edge.darkAfter});
    }
}

}  // namespace orvel
