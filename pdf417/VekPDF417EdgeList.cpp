#include "pdf417/VekPDF417EdgeList.h"

#include <algorithm>
#include <cmath>

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

void TVekPDF417EdgeList::findWithin(const float* levels, int32_t count, double origin, double step, float low,
                                    float high, double relativeContrast, double minContrast) {
    edges_.clear();
    if (count < 2) return;
    const double contrast = std::max(minContrast, relativeContrast * (high - low));
    if (high - low < contrast) return;

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
    for (++i; i < count; ++i) {
        const float level = levels[i];
        if (rising) {
            if (level > levels[candidate]) {
                candidate = i;
            } else if (levels[candidate] - level >= contrast) {
                addEdge(levels, confirmed, candidate, origin, step);
                confirmed = candidate;
                candidate = i;
                rising = false;
            }
        } else {
            if (level < levels[candidate]) {
                candidate = i;
            } else if (level - levels[candidate] >= contrast) {
                addEdge(levels, confirmed, candidate, origin, step);
                confirmed = candidate;
                candidate = i;
                rising = true;
            }
        }
    }
    // The last swing counts when it reached full contrast.
    if (std::abs(levels[candidate] - levels[confirmed]) >= contrast) {
        addEdge(levels, confirmed, candidate, origin, step);
    }
}

void TVekPDF417EdgeList::addEdge(const float* levels, int32_t from, int32_t to, double origin, double step) {
    const float middle = 0.5f * (levels[from] + levels[to]);
    const bool darkAfter = levels[to] < levels[from];
    for (int32_t j = from; j < to; ++j) {
        const float a = levels[j];
        const float b = levels[j + 1];
        const bool crosses = darkAfter ? (a >= middle && b < middle) : (a <= middle && b > middle);
        if (!crosses) continue;
        const double fraction = (middle - a) / static_cast<double>(b - a);
        edges_.push_back({origin + (j + fraction) * step, darkAfter});
        return;
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
