#include "pdf417/VekPDF417RowSnapper.h"

#include <cmath>

namespace orvel {

namespace {

constexpr int32_t CHARACTER = 17;
constexpr double START_REACH = 2.5;  // modules from where a character should begin
constexpr int32_t MIN_STARTS = 3;
constexpr int32_t REFITS = 2;

// Least squares of position = offset + scale · module.
struct TSums {
    double n = 0, m = 0, p = 0, mm = 0, mp = 0;
    void add(double module, double position) {
        n += 1;
        m += module;
        p += position;
        mm += module * module;
        mp += module * position;
    }
    bool solve(double& scale, double& offset) const {
        const double denominator = n * mm - m * m;
        if (n < 2 || std::abs(denominator) < 1e-9) return false;
        scale = (n * mp - m * p) / denominator;
        offset = (p - scale * m) / n;
        return scale > 0.5 && scale < 2;
    }
};

}  // namespace

bool TVekPDF417RowSnapper::snap(const TVekPDF417EdgeList& edges, int32_t characters, TVekPDF417EdgeList& snapped) {
    TFit fit;
    if (!fitStarts(edges, characters, fit)) return false;
    for (int32_t i = 0; i < REFITS; ++i) {
        if (!fitAll(edges, fit)) return false;
    }
    edges.snappedInto(snapped, fit.scale, fit.offset);
    return true;
}

bool TVekPDF417RowSnapper::fitStarts(const TVekPDF417EdgeList& edges, int32_t characters, TFit& fit) {
    TSums sums;
    for (int32_t c = 0; c <= characters; ++c) {
        const double expected = CHARACTER * c;
        int32_t best = -1;
        for (int32_t i = edges.firstAtOrAfter(expected - START_REACH); i < edges.size(); ++i) {
            if (edges[i].position > expected + START_REACH) break;
            if (!edges[i].darkAfter) continue;
            if (best < 0 || std::abs(edges[i].position - expected) < std::abs(edges[best].position - expected)) best = i;
        }
        if (best >= 0) sums.add(expected, edges[best].position);
    }
    return sums.n >= MIN_STARTS && sums.solve(fit.scale, fit.offset);
}

bool TVekPDF417RowSnapper::fitAll(const TVekPDF417EdgeList& edges, TFit& fit) {
    TSums sums;
    for (int32_t i = 0; i < edges.size(); ++i) {
        const double module = std::nearbyint((edges[i].position - fit.offset) / fit.scale);
        sums.add(module, edges[i].position);
    }
    return sums.solve(fit.scale, fit.offset);
}

}  // namespace orvel
