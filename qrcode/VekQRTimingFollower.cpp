#include "qrcode/VekQRTimingFollower.h"

#include <cmath>

namespace orvel {

namespace {

constexpr double kStep = 0.5;  // pixels

bool darkAt(const TVekBitMatrix& bits, TVekPointF p) {
    return bits.getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y)));
}

TVekPointF unit(TVekPointF v) {
    const double n = length(v);
    return n > 0 ? (1.0 / n) * v : v;
}

}  // namespace

std::optional<TVekPointF> TVekQRTimingFollower::runCentre(const TVekBitMatrix& bits, TVekPointF predicted,
                                                          TVekPointF along, TVekPointF inward, int32_t modules) {
    const double module = length(along);
    const TVekPointF u = unit(along);
    // The dark pixel nearest to the prediction along the edge, within half a module.
    std::optional<double> start;
    for (double t = 0; t <= module / 2 && !start; t += kStep) {
        if (darkAt(bits, predicted + t * u))
            start = t;
        else if (darkAt(bits, predicted + (-t) * u))
            start = -t;
    }
    if (!start) return std::nullopt;
    // Its run along the edge: about one module, light on both sides.
    const double limit = (modules + 0.7) * module + 1;
    double low = *start, high = *start;
    while (darkAt(bits, predicted + (low - kStep) * u))
        if ((low -= kStep) < *start - limit) return std::nullopt;
    while (darkAt(bits, predicted + (high + kStep) * u))
        if ((high += kStep) > *start + limit) return std::nullopt;
    if (high - low + kStep > limit || high - low + kStep < (modules - 0.7) * module) return std::nullopt;
    const TVekPointF middle = predicted + ((low + high) / 2) * u;
    // Outwards to the quiet zone: the module's outer edge lies half a module
    // out from its centre.
    const TVekPointF out = -1.0 * unit(inward);
    const double depth = length(inward);
    for (double t = 0; t <= 1.3 * depth + 1; t += kStep)
        if (!darkAt(bits, middle + t * out)) return middle + (t - kStep / 2 - depth / 2) * out;
    return std::nullopt;
}

std::vector<TVekPointMatch> TVekQRTimingFollower::follow(const TVekBitMatrix& bits,
                                                         const TVekPerspectiveTransform& guess, const TEdge& edge,
                                                         int32_t first, int32_t maxDark) {
    std::vector<TVekPointMatch> found;
    const auto modulePoint = [&](double a) { return edge.origin + (a + 0.5) * edge.along + 0.5 * edge.inward; };
    std::optional<TVekPointF> last;
    TVekPointF step;  // two modules along, in the picture
    for (int32_t k = 0; k < maxDark; ++k) {
        const double a = first + 2 * k;
        const TVekPointF m = modulePoint(a);
        const TVekPointF predicted = last ? *last + step : guess.map(m);
        // The local module vectors, from the guess, the along one scaled to the steps found.
        TVekPointF along = guess.map(m + 0.5 * edge.along) - guess.map(m + (-0.5) * edge.along);
        if (last) along = 0.5 * step;
        const TVekPointF inward = guess.map(m + 0.5 * edge.inward) - guess.map(m + (-0.5) * edge.inward);
        const auto centre = runCentre(bits, predicted, along, inward, 1);
        if (!centre) break;
        if (last)
            step = *centre - *last;
        else
            step = guess.map(m + 2.0 * edge.along) - guess.map(m);
        last = centre;
        found.push_back({m, *centre});
    }
    return found;
}

}  // namespace orvel
