#include "pdf417/VekPDF417GuardFinder.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

// Sums of neighbouring element widths, bar first.
constexpr int32_t START_PAIRS[] = {9, 2, 2, 2, 2, 2, 4};
constexpr int32_t STOP_PAIRS[] = {8, 2, 4, 4, 2, 2, 3, 3};
constexpr int32_t START_ELEMENTS = 8;
constexpr int32_t STOP_ELEMENTS = 9;
constexpr int32_t START_MODULES = 17;
constexpr int32_t STOP_MODULES = 18;
constexpr double PAIR_SLACK = 0.7;  // modules
constexpr double PIXEL_SLACK = 1.05;  // pixels

}  // namespace

void TVekPDF417GuardFinder::find(const TVekPDF417EdgeList& edges, std::vector<TVekPDF417Guard>& guards) {
    for (int32_t i = 0; i + START_ELEMENTS < edges.size(); ++i) {
        if (!edges[i].darkAfter) continue;
        if (matches(edges, i, START_PAIRS, START_ELEMENTS, START_MODULES)) {
            const double width = edges[i + START_ELEMENTS].position - edges[i].position;
            guards.push_back({true, edges[i].position, width / START_MODULES});
        } else if (i + STOP_ELEMENTS < edges.size() && matches(edges, i, STOP_PAIRS, STOP_ELEMENTS, STOP_MODULES)) {
            const double width = edges[i + STOP_ELEMENTS].position - edges[i].position;
            guards.push_back({false, edges[i + STOP_ELEMENTS].position, width / STOP_MODULES});
        }
    }
}

bool TVekPDF417GuardFinder::matches(const TVekPDF417EdgeList& edges, int32_t first, const int32_t* pairs,
                                    int32_t elements, int32_t modules) {
    const double total = edges[first + elements].position - edges[first].position;
    if (total <= 0) return false;
    const double scale = modules / total;
    // Modules of about a pixel put each edge on a pixel border: a pair may
    // then be a pixel off.
    const double slack = std::max(PAIR_SLACK, PIXEL_SLACK * scale);
    for (int32_t k = 0; k + 2 <= elements; ++k) {
        const double pair = (edges[first + k + 2].position - edges[first + k].position) * scale;
        if (std::abs(pair - pairs[k]) > slack) return false;
    }
    // The long first bar, measured on its own, keeps a run of thin elements
    // after a wide bar of other ink from passing.
    const double bar = (edges[first + 1].position - edges[first].position) * scale;
    return bar > pairs[0] - 3.5;
}

}  // namespace orvel
