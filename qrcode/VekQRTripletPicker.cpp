#include "qrcode/VekQRTripletPicker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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
    // The best maxTriplets in the order a stable sort gives (equal scores in
    // the order found), without sorting the thousands behind them.
    std::vector<size_t> order(triplets.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    const size_t kept = std::min(maxTriplets, triplets.size());
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(kept), order.end(),
                      [&](size_t a, size_t b) {
                          return triplets[a].score < triplets[b].score ||
                                 (triplets[a].score == triplets[b].score && a < b);
                      });
    std::vector<TVekQRFinderTriplet> best;
    best.reserve(kept);
    for (size_t i = 0; i < kept; ++i) best.push_back(triplets[order[i]]);
    return best;
}

// The candidates filed in square cells about as wide as the typical spacing
// of finders, so that each one's nearest neighbours are found by looking at
// the cells around it, ring by ring, not at every candidate.
class TNeighbourFile {
public:
    explicit TNeighbourFile(const std::vector<TVekQRFinderCandidate>& c) : c_(c) {
        TVekPointF low = c.front().centre, high = low;
        for (const auto& f : c) {
            low = {std::min(low.x, f.centre.x), std::min(low.y, f.centre.y)};
            high = {std::max(high.x, f.centre.x), std::max(high.y, f.centre.y)};
        }
        origin_ = low;
        // About two candidates a cell when they are spread evenly.
        const double area = std::max(1.0, (high.x - low.x + 1) * (high.y - low.y + 1));
        cell_ = std::max(1.0, std::sqrt(2 * area / static_cast<double>(c.size())));
        columns_ = static_cast<int32_t>((high.x - low.x) / cell_) + 1;
        rows_ = static_cast<int32_t>((high.y - low.y) / cell_) + 1;
        first_.assign(static_cast<size_t>(columns_) * rows_ + 1, 0);
        for (const auto& f : c) ++first_[cellOf(f.centre) + 1];
        for (size_t i = 1; i < first_.size(); ++i) first_[i] += first_[i - 1];
        members_.resize(c.size());
        std::vector<uint32_t> next(first_.begin(), first_.end() - 1);
        for (size_t i = 0; i < c.size(); ++i) members_[next[cellOf(c[i].centre)]++] = static_cast<uint32_t>(i);
    }

    // The `count` nearest candidates to candidate i (squared distance, index)
    // among those `accepts` lets through, nearest first, looked for up to
    // about `reach` pixels away.
    template <typename Accepts>
    void nearest(size_t i, size_t count, double reach, Accepts accepts,
                 std::vector<std::pair<double, size_t>>& near) const {
        near.clear();
        const TVekPointF p = c_[i].centre;
        const int32_t cx = column(p.x), cy = row(p.y);
        const int32_t rings = static_cast<int32_t>(std::min<double>(std::max(columns_, rows_), reach / cell_ + 1));
        for (int32_t ring = 0; ring <= rings; ++ring) {
            // Everything within `ring` cells of p's cell has been seen: a
            // candidate nearer than ring cells is in.
            for (int32_t y = cy - ring; y <= cy + ring; ++y) {
                if (y < 0 || y >= rows_) continue;
                const bool edgeRow = y == cy - ring || y == cy + ring;
                for (int32_t x = cx - ring; x <= cx + ring; x += edgeRow ? 1 : 2 * std::max(ring, 1)) {
                    if (x < 0 || x >= columns_) continue;
                    const size_t cell = static_cast<size_t>(y) * columns_ + x;
                    for (uint32_t k = first_[cell]; k < first_[cell + 1]; ++k) {
                        const size_t j = members_[k];
                        if (j == i || !accepts(j)) continue;
                        const TVekPointF leg = c_[j].centre - p;
                        near.emplace_back(dot(leg, leg), j);
                    }
                }
            }
            const double seen = ring * cell_;
            if (near.size() >= count &&
                std::count_if(near.begin(), near.end(), [&](const auto& n) { return n.first <= seen * seen; }) >=
                    static_cast<std::ptrdiff_t>(count))
                break;
        }
        const size_t kept = std::min(near.size(), count);
        std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(kept), near.end());
        near.resize(kept);
    }

private:
    int32_t column(double x) const { return cell(x - origin_.x, columns_); }
    int32_t row(double y) const { return cell(y - origin_.y, rows_); }
    int32_t cell(double offset, int32_t count) const {
        const double c = offset / cell_;
        if (!(c > 0)) return 0;
        return static_cast<int32_t>(std::min(c, count - 1.0));
    }
    size_t cellOf(const TVekPointF& p) const { return static_cast<size_t>(row(p.y)) * columns_ + column(p.x); }

    const std::vector<TVekQRFinderCandidate>& c_;
    TVekPointF origin_;
    double cell_ = 1;
    int32_t columns_ = 1, rows_ = 1;
    std::vector<uint32_t> first_;    // per cell, where its members start
    std::vector<uint32_t> members_;  // candidate indices, cell by cell
};

// Each finder as the right-angle corner with its nearest partners of a
// similar module size, its best few: on a sheet of many symbols each symbol
// gets its own triplet, at a cost linear in the finders.
std::vector<TVekQRFinderTriplet> bestOfNeighbours(const std::vector<TVekQRFinderCandidate>& c) {
    std::vector<TVekQRFinderTriplet> triplets, mine;
    if (c.size() < 3) return triplets;
    const TNeighbourFile file(c);
    std::vector<std::pair<double, size_t>> near;
    for (size_t i = 0; i < c.size(); ++i) {
        const auto similar = [&](size_t j) {
            const double larger = std::max(c[i].moduleSize, c[j].moduleSize);
            const double smaller = std::min(c[i].moduleSize, c[j].moduleSize);
            return larger <= kMaxSizeRatio * smaller;
        };
        // Legs longer than a version 40 symbol's, in the largest module size
        // a partner may have, make no triplet.
        file.nearest(i, kPartners, kMaxLegModules * kMaxSizeRatio * c[i].moduleSize, similar, near);
        const size_t partners = near.size();
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

bool TVekQRTripletPicker::inSomeTriplet(const std::vector<TVekQRFinderCandidate>& c, size_t i) {
    for (size_t j = 0; j < c.size(); ++j) {
        for (size_t k = j + 1; k < c.size(); ++k) {
            if (j == i || k == i) continue;
            std::array<size_t, 3> corners{i, j, k};
            std::sort(corners.begin(), corners.end());
            if (judgeTriangle(c, corners[0], corners[1], corners[2])) return true;
        }
    }
    return false;
}

}  // namespace orvel
