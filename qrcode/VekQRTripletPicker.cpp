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
// Angles between about 37 and 143 degrees pass: a symbol photographed at a
// steep slant widens or narrows the corner at its top-left finder to 140 degrees.
constexpr double kMaxCosine = 0.8;
constexpr double kMinLegRatio = 0.5;
constexpr double kMaxSizeRatio = 2.0;
// The nearest finders a corner is combined with, and the triplets it keeps.
constexpr size_t kPartners = 16;
constexpr size_t kTripletsPerCorner = 8;

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

namespace {

// The triplet of three finders, with the right angle where the longest side
// says (of a triangle with its corners in list order a < b < d).
std::optional<TVekQRFinderTriplet> judgeTriangle(const std::vector<TVekQRFinderCandidate>& c, size_t a, size_t b,
                                                 size_t d) {
    const double dab = distance(c[a].centre, c[b].centre);
    const double dad = distance(c[a].centre, c[d].centre);
    const double dbd = distance(c[b].centre, c[d].centre);
    if (dbd >= dab && dbd >= dad) return judge(c, a, b, d);
    if (dad >= dab) return judge(c, b, a, d);
    return judge(c, d, a, b);
}

bool byScore(const TVekQRFinderTriplet& x, const TVekQRFinderTriplet& y) { return x.score < y.score; }

// Every combination of the most often confirmed finders, the best first.
std::vector<TVekQRFinderTriplet> bestOfMostConfirmed(const std::vector<TVekQRFinderCandidate>& c, size_t maxTriplets) {
    const size_t n = std::min(c.size(), TVekQRTripletPicker::maxFinders);
    std::vector<TVekQRFinderTriplet> triplets;
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            for (size_t k = j + 1; k < n; ++k)
                if (const auto t = judgeTriangle(c, i, j, k)) triplets.push_back(*t);
    std::stable_sort(triplets.begin(), triplets.end(), byScore);
    if (triplets.size() > maxTriplets) triplets.resize(maxTriplets);
    return triplets;
}

// Each finder as the right-angle corner with its nearest partners of a
// similar module size, its best few: on a sheet of many symbols each symbol
// gets its own triplet, at a cost linear in the finders.
std::vector<TVekQRFinderTriplet> bestOfNeighbours(const std::vector<TVekQRFinderCandidate>& c) {
    std::vector<TVekQRFinderTriplet> triplets, mine;
    std::vector<std::pair<double, size_t>> near;
    for (size_t i = 0; i < c.size(); ++i) {
        near.clear();
        for (size_t j = 0; j < c.size(); ++j) {
            const double larger = std::max(c[i].moduleSize, c[j].moduleSize);
            const double smaller = std::min(c[i].moduleSize, c[j].moduleSize);
            if (j == i || larger > kMaxSizeRatio * smaller) continue;
            const TVekPointF leg = c[j].centre - c[i].centre;
            near.emplace_back(dot(leg, leg), j);
        }
        const size_t partners = std::min(near.size(), kPartners);
        std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(partners), near.end());
        mine.clear();
        for (size_t p = 0; p < partners; ++p) {
            for (size_t q = p + 1; q < partners; ++q) {
                std::array<size_t, 3> corners{i, near[p].second, near[q].second};
                std::sort(corners.begin(), corners.end());
                const auto t = judgeTriangle(c, corners[0], corners[1], corners[2]);
                if (t && t->indices[0] == i) mine.push_back(*t);
            }
        }
        std::stable_sort(mine.begin(), mine.end(), byScore);
        if (mine.size() > kTripletsPerCorner) mine.resize(kTripletsPerCorner);
        triplets.insert(triplets.end(), mine.begin(), mine.end());
    }
    std::stable_sort(triplets.begin(), triplets.end(), byScore);
    return triplets;
}


}  // namespace

namespace {

// The candidates that may be finders, most often confirmed first: a finder
// is crossed by as many scan rows as its centre is high (three modules); a
// hit on one or two rows of a large module is a data pattern.
std::vector<size_t> plausibleFinders(const std::vector<TVekQRFinderCandidate>& all) {
    std::vector<size_t> order;
    for (size_t i = 0; i < all.size(); ++i)
        if (2 * all[i].count >= all[i].moduleSize) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return all[a].count > all[b].count; });
    return order;
}

std::vector<TVekQRFinderTriplet> inCandidateIndices(std::vector<TVekQRFinderTriplet> triplets,
                                                    const std::vector<size_t>& order) {
    for (auto& t : triplets)
        for (auto& index : t.indices) index = order[index];
    return triplets;
}

}  // namespace

std::vector<TVekQRFinderTriplet> TVekQRTripletPicker::pick(const std::vector<TVekQRFinderCandidate>& all,
                                                           size_t maxTriplets) {
    const std::vector<size_t> order = plausibleFinders(all);
    std::vector<TVekQRFinderCandidate> c;
    for (size_t i : order) c.push_back(all[i]);
    return inCandidateIndices(bestOfMostConfirmed(c, maxTriplets), order);
}

std::vector<TVekQRFinderTriplet> TVekQRTripletPicker::pickNeighbours(const std::vector<TVekQRFinderCandidate>& all) {
    const std::vector<size_t> order = plausibleFinders(all);
    std::vector<TVekQRFinderCandidate> c;
    for (size_t i : order) c.push_back(all[i]);
    return inCandidateIndices(bestOfNeighbours(c), order);
}

}  // namespace orvel
