#include "oned/VekBarcode1DFinder.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <deque>

#include "foundation/VekROrvelConfiguration.h"
#include "foundation/VekUtil.h"

namespace orvel {

namespace {

double lengthOf(const TVekImageObject& region) { return region.axisLength; }

// The axis line of a region in the list; the vectorizer gives every region one.
const TVekLine& axisOf(const TVekImageObject& region) { return *region.axisLine; }

}  // namespace

TVekBarcode1DFinder::TVekBarcode1DFinder() : TVekBarcode1DFinder(orvelConfiguration) {}

TVekBarcode1DFinder::TVekBarcode1DFinder(const TVekROrvelConfiguration& settings)
    : debug(settings.debug),
      minBarLength(settings.minBarLength),
      maxBarLength(settings.maxBarLength),
      removeCloseBars(settings.removeCloseBars),
      maxAngleDifference(settings.maxAngleDifference) {}

void TVekBarcode1DFinder::diagnostic(const std::string& text) const {
    if (debug) debugWrite(text);
}

bool TVekBarcode1DFinder::isSameAngle(double a1, double a2, double tolerance) {
    auto turned = [](double angle) {
        double result = angle + 180;
        if (result > 360) result -= 360;
        return result;
    };
    return std::fabs(a1 - a2) < tolerance || std::fabs(turned(a1) - a2) < tolerance ||
           std::fabs(a1 - turned(a2)) < tolerance;
}

std::vector<TVekBarcode1DObject> TVekBarcode1DFinder::findCandidates(TVekVectorizedImage& vectorized,
                                                                     const TVekImage& picture, bool anyDistance) {
    image = &picture;
    std::vector<TVekBarcode1DObject> result;
    TVekBarList& regions = vectorized.getObjects();
    // Regions without an axis line cannot be compared with anything.
    std::erase_if(regions, [](const auto& region) { return !region || !region->axisLine; });
    const auto addGroup = [&](TVekBarList group) {
        TVekBarList sorted = sortBars(std::move(group));
        computeGaps(sorted);
        if (static_cast<int32_t>(sorted.size()) > minBars) {
            for (TVekBarList& bars : splitByGaps(sorted)) result.emplace_back(std::move(bars));
        }
    };
    if (debug) {
        // The pass per group over every region, which tells the debug log why
        // each region was left out.
        while (!regions.empty()) {
            TVekBarList group = collectAlignedBars(regions, anyDistance);
            if (!group.empty()) addGroup(std::move(group));
        }
        return result;
    }
    // The same groups, in the same order, with each group looking only at
    // the regions whose centre lies in the bands a region must be aligned in.
    const TVekBarGrid grid(regions);
    for (size_t front = 0;; ++front) {
        while (front < regions.size() && (!regions[front] || !canSeed(*regions[front]))) regions[front++].reset();
        if (front == regions.size()) break;
        addGroup(collectAlignedBars(regions, front, grid, anyDistance));
    }
    regions.clear();
    return result;
}

bool TVekBarcode1DFinder::canSeed(const TVekImageObject& region) const {
    const double length = lengthOf(region);
    return minBarLength <= length && length <= maxBarLength;
}

bool TVekBarcode1DFinder::fitsSeed(const TVekImageObject& candidate, const TVekImageObject& seed) const {
    if (!isSameAngle(axisOf(candidate).angle, axisOf(seed).angle, maxAngleDifference)) return false;
    const double reference = lengthOf(seed), length = lengthOf(candidate);
    double ratio = length != 0 ? reference / length : 0;
    if (ratio != 0 && ratio < 1) ratio = 1 / ratio;
    return length != 0 && ratio < 5.0 && minBarLength < length && length < maxBarLength;
}

bool TVekBarcode1DFinder::isNearGroup(const TVekImageObject& candidate, const TVekBarList& group) const {
    const TVekLine& line = axisOf(candidate);
    const double reference = lengthOf(*group.front());
    for (const auto& member : group) {
        const TVekLine& axis = axisOf(*member);
        if (line.distanceTo(axis.x1, axis.y1) < reference) return true;
    }
    return false;
}

void TVekBarcode1DFinder::collectAlignable(const TVekBarList& regions, const TVekBarGrid& grid, const TVekImageObject& bar,
                                           const TVekImageObject& seed, std::vector<size_t>& positions) const {
    grid.collectAlong(axisOf(bar).getBisector(), 0.4 * std::fabs(lengthOf(bar)), positions);
    std::erase_if(positions, [&](size_t q) { return !regions[q] || !fitsSeed(*regions[q], seed); });
}

TVekBarList TVekBarcode1DFinder::collectAlignedBars(TVekBarList& regions, size_t front, const TVekBarGrid& grid,
                                                    bool anyDistance) {
    TVekBarList group;
    group.push_back(std::move(regions[front]));
    const TVekImageObject& seed = *group.front();
    const TVekImageObject* lastAccepted = &seed;
    // A region joins when it is aligned with the seed or the last region
    // taken: only those in one of the two bands are visited, in list order,
    // pass after pass until a pass takes none, as a pass over all would.
    std::vector<size_t> seedBand, lastBand;
    collectAlignable(regions, grid, seed, seed, seedBand);
    bool accepted = true;
    while (accepted) {
        accepted = false;
        if (lastAccepted != &seed) collectAlignable(regions, grid, *lastAccepted, seed, lastBand);
        else lastBand.clear();
        size_t nextSeed = 0, nextLast = 0;
        while (nextSeed < seedBand.size() || nextLast < lastBand.size()) {
            const bool fromSeed = nextLast == lastBand.size() ||
                                  (nextSeed < seedBand.size() && seedBand[nextSeed] <= lastBand[nextLast]);
            const size_t q = fromSeed ? seedBand[nextSeed] : lastBand[nextLast];
            if (fromSeed) ++nextSeed;
            if (!fromSeed || (nextLast < lastBand.size() && lastBand[nextLast] == q)) ++nextLast;
            if (!regions[q]) continue;
            const TVekImageObject& candidate = *regions[q];
            if (!anyDistance && !isNearGroup(candidate, group)) continue;
            if (!lastAccepted->isAlignedWith(candidate) && !seed.isAlignedWith(candidate)) continue;
            group.push_back(std::move(regions[q]));
            lastAccepted = group.back().get();
            accepted = true;
            // The new last region's band, from here on in list order.
            collectAlignable(regions, grid, *lastAccepted, seed, lastBand);
            std::erase_if(lastBand, [q](size_t p) { return p <= q; });
            nextLast = 0;
        }
    }
    return group;
}

TVekBarList TVekBarcode1DFinder::collectAlignedBars(TVekBarList& regions, bool anyDistance) {
    // Regions that cannot seed a group (wrong length) are dropped at once.
    auto seedAt = std::find_if(regions.begin(), regions.end(), [this](const auto& region) {
        const double length = lengthOf(*region);
        return minBarLength <= length && length <= maxBarLength;
    });
    regions.erase(regions.begin(), seedAt);
    if (regions.empty()) return {};

    TVekBarList group;
    group.push_back(std::move(regions.front()));  // the emptied slot is removed after the pass
    const TVekImageObject& seed = *group.front();
    const double reference = lengthOf(seed);
    const TVekImageObject* lastAccepted = &seed;

    size_t from = 1;
    bool accepted = true;
    while (accepted) {
        accepted = false;
        for (size_t q = from; q < regions.size(); ++q) {
            if (!regions[q]) continue;
            const TVekImageObject& candidate = *regions[q];
            const TVekLine& line = axisOf(candidate);
            bool near = anyDistance;
            for (size_t m = 0; !near && m < group.size(); ++m) {
                const TVekLine& member = axisOf(*group[m]);
                near = line.distanceTo(member.x1, member.y1) < reference;
            }
            if (!near) continue;
            if (!isSameAngle(line.angle, axisOf(seed).angle, maxAngleDifference)) {
                if (debug)
                    diagnostic("Not same angle " + floatToStr(line.angle) + "  <> " + floatToStr(axisOf(seed).angle) +
                               " length " + floatToStr(reference));
                continue;
            }
            const double length = lengthOf(candidate);
            double ratio = length != 0 ? reference / length : 0;
            if (ratio != 0 && ratio < 1) ratio = 1 / ratio;
            const bool lengthFits = length != 0 && ratio < 5.0 && minBarLength < length && length < maxBarLength;
            if (!lengthFits) {
                if (debug) diagnostic("Not long enough " + floatToStr(length));
                continue;
            }
            if (!lastAccepted->isAlignedWith(candidate) && !seed.isAlignedWith(candidate)) {
                diagnostic("Not aligned");
                continue;
            }
            group.push_back(std::move(regions[q]));
            lastAccepted = group.back().get();
            accepted = true;
        }
        std::erase(regions, nullptr);
        from = 0;
    }
    return group;
}

TVekBarList TVekBarcode1DFinder::sortBars(TVekBarList group) {
    if (group.empty()) return group;
    const TVekLine bisector = axisOf(*group.front()).getBisector();
    const int32_t t = std::abs(vekRoundInt(bisector.angle) % 360);
    const bool vertical = t < 25 || t > 335 || (155 < t && t < 205);
    const TVekLine referenceAxis = vertical ? TVekLine(0, 0, 0, 100) : TVekLine(0, 0, 100, 0);
    const TVekPoint anchor = referenceAxis.intersect(bisector);

    struct TPlacedBar {
        double distance;
        std::unique_ptr<TVekImageObject> bar;
    };
    std::vector<TPlacedBar> placed;
    placed.reserve(group.size());
    for (auto& bar : group) {
        const double distance = axisOf(*bar).distanceToPoint(anchor);
        placed.push_back({distance, std::move(bar)});
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const TPlacedBar& a, const TPlacedBar& b) { return a.distance < b.distance; });

    const TVekImageObject& first = *placed.front().bar;
    double minimumDistance =
        lengthOf(first) != 0 ? minBarDistanceFactor * (first.pixelCount / lengthOf(first)) : 0;
    if (minimumDistance < 1.5) minimumDistance = 1.5;

    if (removeCloseBars && placed.size() >= 2) {
        for (size_t k = placed.size() - 1; k >= 1; --k) {
            const double gap = placed[k].distance - placed[k - 1].distance;
            if (gap < minimumDistance) {
                if (lengthOf(*placed[k - 1].bar) >= lengthOf(*placed[k].bar)) {
                    placed.erase(placed.begin() + static_cast<std::ptrdiff_t>(k));
                } else {
                    if (debug)
                        diagnostic("Removing bar, distance too small " + floatToStr(gap) + " < " +
                                   floatToStr(minimumDistance));
                    placed.erase(placed.begin() + static_cast<std::ptrdiff_t>(k - 1));
                }
            }
        }
    }

    TVekBarList sorted;
    sorted.reserve(placed.size());
    for (auto& entry : placed) sorted.push_back(std::move(entry.bar));
    return sorted;
}

void TVekBarcode1DFinder::computeGaps(TVekBarList& sorted) {
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        TVekLine& next = *sorted[i + 1]->axisLine;
        next.distanceToNext = 0;
        TVekLine& line = *sorted[i]->axisLine;
        line.distanceToNext = line.distanceTo(next.x1, next.y1);
    }
}

int32_t TVekBarcode1DFinder::findSmallestGap(const TVekBarList& sorted) {
    int32_t best = -1;
    double smallest = 0;
    for (size_t i = 0; i < sorted.size(); ++i) {
        const TVekLine& line = axisOf(*sorted[i]);
        const double gap = line.distanceToNext;
        if (line.used || !(gap > 0 && gap < 999999)) continue;
        if (best == -1 || gap < smallest) {
            best = static_cast<int32_t>(i);
            smallest = gap;
        }
    }
    return best;
}

std::vector<TVekBarList> TVekBarcode1DFinder::splitByGaps(TVekBarList& sorted) {
    std::vector<std::deque<int32_t>> candidates;
    const int32_t n = static_cast<int32_t>(sorted.size());
    auto lineAt = [&sorted](int32_t p) -> TVekLine& { return *sorted[p]->axisLine; };
    for (int32_t seed = findSmallestGap(sorted); seed != -1; seed = findSmallestGap(sorted)) {
        const double limit = groupGapFactor * lineAt(seed).distanceToNext;
        std::deque<int32_t> members;
        for (int32_t p = seed - 1; p >= 0; --p) {
            if (lineAt(p).used || lineAt(p).distanceToNext > limit) break;
            lineAt(p).used = true;
            members.push_front(p);
        }
        for (int32_t p = seed; p < n; ++p) {
            if (lineAt(p).used) break;
            lineAt(p).used = true;
            members.push_back(p);
            if (lineAt(p).distanceToNext > limit) break;  // the bar before a wide gap ends the candidate
        }
        // Too few bars: they are set aside and freed with the rest.
        if (static_cast<int32_t>(members.size()) >= minBars) candidates.push_back(std::move(members));
    }
    std::vector<TVekBarList> output;
    output.reserve(candidates.size());
    for (const auto& members : candidates) {
        TVekBarList bars;
        for (int32_t p : members) bars.push_back(std::move(sorted[p]));
        output.push_back(std::move(bars));
    }
    sorted.clear();
    return output;
}

}  // namespace orvel
