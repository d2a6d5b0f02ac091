#include "qrcode/VekQRTripletPicker.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orvel {

namespace {

// Finder centres are 14 modules apart in version 1 and 170 in version 40;
// perspective and module-size errors stretch that.
constexpr double kMinLegModules = 10;
constexpr double kMaxLegModules = 200;
// Angles between about 60 and 120 degrees pass (a symbol tilted by 40 degrees).
constexpr double kMaxCosine = 0.5;
constexpr double kMinLegRatio = 0.5;
constexpr double kMaxSizeRatio = 2.0;

std::optional<TVekQRFinderTriplet> judge(const std::vector<TVekQRFinderCandidate>& c, size_t corner, size_t a,
                                         size_t b) {
    const TVekPointF legA = c[a].centre - c[corner].centre;
    const TVekPointF legB = c[b].centre - c[corner].centre;
    const double lengthA = length(legA);
    const double lengthB = length(legB);
    if (lengthA <= 0 || lengthB <= 0) return std::nullopt;
    const double cosine = dot(legA, legB) / (lengthA * lengthB);
    if (std::abs(cosine) > kMaxCosine) return std::nullopt;
    const double legRatio = std::min(lengthA, lengthB) / std::max(lengthA, lengthB);
    if (legRatio < kMinLegRatio) return std::nullopt;

    double smallest = c[corner].moduleSize;
    double largest = smallest;
    for (size_t i : {a, b}) {
        smallest = std::min(smallest, c[i].moduleSize);
        largest = std::max(largest, c[i].moduleSize);
    }
    if (largest > kMaxSizeRatio * smallest) return std::nullopt;
    const double modules = (lengthA + lengthB) / (c[corner].moduleSize + (c[a].moduleSize + c[b].moduleSize) / 2);
    if (modules < kMinLegModules || modules > kMaxLegModules) return std::nullopt;

    TVekQRFinderTriplet t;
    // In picture coordinates (y down) the top-right finder is clockwise of
    // the bottom-left one as seen from the top-left.
    const bool clockwise = cross(legA, legB) > 0;
    t.indices = clockwise ? std::array<size_t, 3>{corner, a, b} : std::array<size_t, 3>{corner, b, a};
    for (size_t i = 0; i < 3; ++i) t.finders[i] = c[t.indices[i]];
    t.score = std::abs(cosine) + (1 - legRatio) + (largest / smallest - 1);
    return t;
}

}  // namespace

std::vector<TVekQRFinderTriplet> TVekQRTripletPicker::pick(const std::vector<TVekQRFinderCandidate>& all,
                                                           size_t maxTriplets) {
    // A finder is crossed by as many scan rows as its centre is high (three
    // modules); a hit on one or two rows of a large module is a data pattern.
    std::vector<size_t> order;
    for (size_t i = 0; i < all.size(); ++i)
        if (2 * all[i].count >= all[i].moduleSize) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return all[a].count > all[b].count; });
    if (order.size() > maxFinders) order.resize(maxFinders);
    std::vector<TVekQRFinderCandidate> c;
    for (size_t i : order) c.push_back(all[i]);

    std::vector<TVekQRFinderTriplet> triplets;
    for (size_t i = 0; i < c.size(); ++i) {
        for (size_t j = i + 1; j < c.size(); ++j) {
            for (size_t k = j + 1; k < c.size(); ++k) {
                // The right angle is opposite the longest side.
                const double dij = distance(c[i].centre, c[j].centre);
                const double dik = distance(c[i].centre, c[k].centre);
                const double djk = distance(c[j].centre, c[k].centre);
                std::optional<TVekQRFinderTriplet> t;
                if (djk >= dij && djk >= dik) {
                    t = judge(c, i, j, k);
                } else if (dik >= dij) {
                    t = judge(c, j, i, k);
                } else {
                    t = judge(c, k, i, j);
                }
                if (!t) continue;
                for (auto& index : t->indices) index = order[index];
                triplets.push_back(*t);
            }
        }
    }
    std::stable_sort(triplets.begin(), triplets.end(),
                     [](const auto& a, const auto& b) { return a.score < b.score; });
    if (triplets.size() > maxTriplets) triplets.resize(maxTriplets);
    return triplets;
}

}  // namespace orvel
