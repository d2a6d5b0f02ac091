// The clock-track measurement of TVekDatamatrixReader: scan lines across the
// two open sides of a data region, the peak of their colour changes (the scan
// line that runs along the alternating clock modules) and the module count of
// a clock line.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "datamatrix/VekDatamatrixReader.h"
#include "oned/VekLineWalker.h"

namespace orvel {

namespace {

// The perpendicular to `line` through `point`, on the +90 degree side. Only
// its direction matters (it is intersected as an infinite line), so it is
// built exactly instead of with truncated end coordinates.
TVekLine perpendicularThrough(const TVekLine& line, const TVekPoint& point) {
    const double dx = line.x2 - line.x1;
    const double dy = line.y2 - line.y1;
    return TVekLine(point.x, point.y, point.x - dy, point.y + dx);
}

int32_t scaledCount(int32_t transitions, double sideLength, double lineLength) {
    if (lineLength == 0) return vekRoundInt(transitions * sideLength);
    return vekRoundInt(transitions * sideLength / lineLength);
}

}  // namespace

bool TVekDatamatrixReader::isWalkable(const TVekLine& line) const {
    if (!std::isfinite(line.x1) || !std::isfinite(line.y1) || !std::isfinite(line.x2) || !std::isfinite(line.y2)) {
        return false;
    }
    // Nearly parallel lines meet far outside the picture; such a line would
    // be walked pixel by pixel through nothing but white.
    const double bound = image == nullptr ? 0 : 2.0 * (static_cast<double>(image->width) + image->height) + 64;
    return line.getLength() <= bound;
}

bool TVekDatamatrixReader::isDark(const TVekPoint& point) const {
    if (image == nullptr) return false;
    if (point.x < 0 || point.y < 0 || point.x >= image->width || point.y >= image->height) return false;
    return image->getPixelAt(point) == BLACK;
}

int32_t TVekDatamatrixReader::buildProfiles(const TVekLine& side1, const TVekLine& side2, const TVekLine& diagonal,
                                            TProfile& profile1, TProfile& profile2) const {
    const double length1 = side1.getLength();
    const double wanted = std::ceil(1.1 * length1);
    const int32_t n = std::isfinite(wanted) && wanted > 0 ? static_cast<int32_t>(std::min(wanted, 1.0e6)) : 0;
    for (TProfile* profile : {&profile1, &profile2}) {
        profile->scaled.assign(n, 0);
        profile->raw.assign(n, 0);
        profile->lines.assign(n, std::nullopt);
    }

    // Colour changes along a scan line; the first six steps lie on the L
    // itself and count none.
    const auto transitions = [this](const TVekLine& scanLine, int32_t step) {
        if (step < 6 || !isWalkable(scanLine)) return 0;
        bool dark = isDark(scanLine.getStart());
        int32_t count = 0;
        TVekLineWalker walker(scanLine);
        while (const std::optional<TVekPoint> sample = walker.nextPoint()) {
            if (isDark(*sample) != dark) {
                dark = !dark;
                ++count;
            }
        }
        return count;
    };

    // Both walks run 20 percent past the sides' ends.
    TVekLineWalker walker1(side1, 1.2);
    TVekLineWalker walker2(side2, 1.2);
    int32_t k = 0;
    while (k < n) {
        const std::optional<TVekPoint> a = walker1.nextPoint();
        const std::optional<TVekPoint> b = walker2.nextPoint();
        if (!a || !b) break;
        const TVekLine scan1(*a, diagonal.intersect(perpendicularThrough(side1, *a)));
        const TVekLine scan2(*b, diagonal.intersect(perpendicularThrough(side2, *b)));
        const int32_t t1 = transitions(scan1, k);
        const int32_t t2 = transitions(scan2, k);
        profile1.scaled[k] = scaledCount(t1, length1, scan1.getLength());
        profile1.raw[k] = t1;
        profile1.lines[k] = scan1;
        profile2.scaled[k] = scaledCount(t2, length1, scan2.getLength());
        profile2.raw[k] = t2;
        profile2.lines[k] = scan2;
        ++k;
    }
    return k;
}

bool TVekDatamatrixReader::findClockPeak(const TVectorInteger& scaled, const TVectorInteger& raw, TPeak& peak,
                                         int32_t last, int32_t first) {
    first = std::max(first, 0);
    last = std::max(last, 0);
    // The peak starts at the (clamped) first step, so it always indexes the
    // profile.
    peak.peak = first;
    if (last < first + 1) return false;
    const int32_t size = static_cast<int32_t>(std::min(scaled.size(), raw.size()));
    if (first >= size) return false;

    int32_t best = scaled[first];
    bool dropping = false;
    for (int32_t pos = first + 1; pos <= last; ++pos) {
        if (pos < 1 || pos >= size) continue;
        if (!isSmoothAt(scaled, pos, last)) continue;
        const int32_t value = scaled[pos];
        if (value < best) {
            peak.drop = pos;
            dropping = true;
        }
        if (value > best) {
            dropping = false;
            peak.peak = pos;
        }
        if (value == best && !dropping) peak.peak = pos;
        if (dropping && scaled[peak.drop] <= 0.15 * scaled[peak.peak] && raw[peak.peak] > 6) return true;
        // Compared with the previous smooth value, not with the largest one.
        best = value;
    }
    return false;
}

bool TVekDatamatrixReader::isSmoothAt(const TVectorInteger& scaled, int32_t index, int32_t last) {
    const int32_t size = static_cast<int32_t>(scaled.size());
    if (index == last || index >= size - 1) return true;
    if (index < 0) return false;
    const int32_t tolerance = std::max(2, static_cast<int32_t>(std::ceil(0.1 * scaled[index])));
    if (index > 0 && std::abs(scaled[index] - scaled[index - 1]) <= tolerance) return true;
    return std::abs(scaled[index] - scaled[index + 1]) <= tolerance;
}

TVekLine TVekDatamatrixReader::clockMidLine(const TVekLine& side, const TVekLine& peakLine, bool firstTry,
                                            const TProfile& profile, int32_t dropIndex, int32_t peakIndex,
                                            const TVekLine& limit) {
    (void)side;
    const int32_t size = static_cast<int32_t>(profile.lines.size());
    const int32_t peakRaw = peakIndex >= 0 && peakIndex < size ? profile.raw[peakIndex] : 0;
    const int32_t half = peakRaw > 0 ? vekRoundInt(peakLine.getLength() / (2.0 * peakRaw)) : 0;
    int32_t back = half;
    if (firstTry && dropIndex - half == peakIndex) ++back;
    const int32_t index = dropIndex - back;

    // About half a module back from the drop lies the centre of the clock
    // modules; a step outside the profile keeps the peak line.
    const TVekLine* chosen = &peakLine;
    if (index >= 0 && index < size && profile.lines[index] &&
        (firstTry || profile.raw[index] >= peakRaw - 1)) {
        chosen = &*profile.lines[index];
    }
    return TVekLine(chosen->getStart(), chosen->intersect(limit));
}

TVekLine TVekDatamatrixReader::boundedLine(const TVekLine& side, const TVekLine& a, const TVekLine& b) {
    return TVekLine(side.intersect(a), b.intersect(a));
}

int32_t TVekDatamatrixReader::countModules(const TVekLine& line) const {
    if (!isWalkable(line)) return -1;
    TVectorDouble distances;
    TVekLineWalker walker(line);
    std::optional<TVekPoint> previousEdge;
    std::optional<TVekPoint> sample = walker.nextPoint();
    bool previousDark = sample && isDark(*sample);
    while ((sample = walker.nextPoint())) {
        const bool dark = isDark(*sample);
        if (previousDark && !dark) {
            if (previousEdge) distances.push_back(previousEdge->distanceTo(*sample));
            previousEdge = *sample;
        }
        previousDark = dark;
    }
    if (distances.empty()) return -1;

    std::sort(distances.begin(), distances.end());
    distances = filterDistances(distances, 0);
    int32_t modules = estimateModuleCount(distances, line);
    while (static_cast<int32_t>(distances.size()) > modules) {
        const double mean = meanDistance(distances);
        while (!distances.empty() && static_cast<int32_t>(distances.size()) > modules) {
            if (distances.back() - mean >= mean - distances.front()) {
                distances.pop_back();
            } else {
                distances.erase(distances.begin());
            }
        }
        // Nothing left to measure the period with: no count.
        if (distances.empty()) return -1;
        modules = estimateModuleCount(distances, line);
    }
    return modules;
}

int32_t TVekDatamatrixReader::countRegionModules(const TVekLine& a, const TVekLine& b) const {
    const int32_t countA = countModules(a);
    const int32_t countB = countModules(b);
    return countA == countB ? countA : -1;
}

double TVekDatamatrixReader::meanDistance(const TVectorDouble& list) {
    if (list.empty()) return 0;
    double sum = 0;
    for (const double distance : list) sum += distance;
    return sum / static_cast<double>(list.size());
}

int32_t TVekDatamatrixReader::estimateModuleCount(const TVectorDouble& list, const TVekLine& line) {
    const double mean = meanDistance(list);
    if (mean <= 0) return -1;
    // The mean distance is the two-module period; the L and half a clock
    // module make up the other 1.5 modules of the line.
    const double v = line.getLength() * 2 / mean - 1.5;
    if (!(std::fabs(v) < 1.0e6)) return -1;
    int32_t r = vekRoundInt(v);
    if (r % 2 != 0) r = v < r ? r - 1 : r + 1;
    return r;
}

TVectorDouble TVekDatamatrixReader::filterDistances(const TVectorDouble& list, int32_t depth) {
    if (list.empty() || depth == 10) return list;
    const double first = list.front();
    const double last = list.back();
    const double middle = std::sqrt(first * last);
    if (first >= 0.75 * middle && last <= 1.25 * middle) return list;

    const auto firstRunEnd = std::find_if(list.begin(), list.end(), [first](double d) { return d != first; });
    const auto lastRunStart =
        std::find_if(list.rbegin(), list.rend(), [last](double d) { return d != last; }).base();
    const TVectorDouble withoutFirst = filterDistances(TVectorDouble(firstRunEnd, list.end()), depth + 1);
    const TVectorDouble withoutLast = filterDistances(TVectorDouble(list.begin(), lastRunStart), depth + 1);
    return withoutFirst.size() > withoutLast.size() ? withoutFirst : withoutLast;
}

}  // namespace orvel
