#include "pdf417/VekPDF417PatternScanner.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

constexpr int32_t MAX_HITS = 20000;
constexpr int32_t MARGIN = 3;
constexpr size_t MAX_TRACKS = 400;
constexpr int32_t MIN_TRACK_HITS = 3;
constexpr int32_t MAX_COLUMNS = 30;
// Modules of a symbol without its data columns: start, two row
// indicators, stop.
constexpr int32_t FRAME_MODULES = 69;

int32_t pdf417Columns(double modules) {
    const double columns = std::nearbyint((modules - FRAME_MODULES) / 17);
    return columns >= 1 && columns <= MAX_COLUMNS ? static_cast<int32_t>(columns) : 0;
}

}  // namespace

const TVekPDF417PatternScanner::TGuardKind& TVekPDF417PatternScanner::pdf417Guards() {
    static const TGuardKind kind{TVekPDF417GuardFinder::find, FRAME_MODULES + 17 - 8,
                                 FRAME_MODULES + 17 * MAX_COLUMNS + 20, pdf417Columns, true, false};
    return kind;
}

void TVekPDF417PatternScanner::TTrack::fit() {
    const double n = static_cast<double>(hits.size());
    double ss = 0, st = 0, s2 = 0, t2 = 0, m = 0;
    for (const THit& hit : hits) {
        ss += hit.s;
        st += hit.t;
        s2 += hit.s * hit.s;
        t2 += hit.s * hit.t;
        m += hit.module;
    }
    module = m / n;
    const double denominator = n * s2 - ss * ss;
    slope = hits.size() < 2 || std::abs(denominator) < 1e-9 ? 0 : (n * t2 - ss * st) / denominator;
    offset = (st - slope * ss) / n;
}

std::vector<TVekPDF417Candidate> TVekPDF417PatternScanner::scan(const TVekGreyImage& grey, int32_t step,
                                                                bool columns) {
    hits_.clear();
    smallestModule_ = 1e9;
    step_ = std::max(1, step);
    columns_ = columns;
    refined_ = false;
    scanned_ = true;
    scanLines(grey, step_ / 2, 2 * step_);
    return candidates();
}

std::vector<TVekPDF417Candidate> TVekPDF417PatternScanner::refine(const TVekGreyImage& grey) {
    if (!scanned_) return {};
    if (refined_) return candidates();
    refined_ = true;
    scanLines(grey, step_ / 2 + step_, 2 * step_);
    // Tracks follow their lines in order: the hits of both looks merged.
    std::stable_sort(hits_.begin(), hits_.end(), [](const THit& a, const THit& b) { return a.s < b.s; });
    return candidates();
}

std::vector<TVekPointF> TVekPDF417PatternScanner::insidePoints(double depth) const {
    std::vector<TVekPointF> points;
    points.reserve(hits_.size());
    for (const THit& hit : hits_) {
        // Forward starts and backward stops face the symbol at greater t.
        const double into = hit.kind == 0 || hit.kind == 3 ? 1 : -1;
        const double t = hit.t + into * depth * hit.module;
        points.push_back(columns_ ? TVekPointF{hit.s, t} : TVekPointF{t, hit.s});
    }
    return points;
}

std::vector<double> TVekPDF417PatternScanner::modules() const {
    std::vector<double> modules;
    modules.reserve(hits_.size());
    for (const THit& hit : hits_) modules.push_back(hit.module);
    return modules;
}

void TVekPDF417PatternScanner::scanLines(const TVekGreyImage& grey, int32_t first, int32_t step) {
    const int32_t lines = columns_ ? grey.width() : grey.height();
    const int32_t length = columns_ ? grey.height() : grey.width();
    // Margins as light as the line's lightest on both ends: a symbol printed
    // up to the picture's edge still shows its outer bar edges.
    levels_.assign(static_cast<size_t>(length + 2 * MARGIN), 255.0f);
    float* line = levels_.data() + MARGIN;
    for (int32_t s = first; s < lines && static_cast<int32_t>(hits_.size()) < MAX_HITS; s += step) {
        uint8_t low = 255;
        uint8_t high = 0;
        if (columns_) {
            for (int32_t t = 0; t < length; ++t) {
                const uint8_t level = grey.get(s, t);
                low = std::min(low, level);
                high = std::max(high, level);
                line[t] = level;
            }
        } else {
            const uint8_t* row = grey.row(s);
            for (int32_t t = 0; t < length; ++t) {
                low = std::min(low, row[t]);
                high = std::max(high, row[t]);
                line[t] = row[t];
            }
        }
        std::fill(levels_.begin(), levels_.begin() + MARGIN, high);
        std::fill(levels_.end() - MARGIN, levels_.end(), high);
        scanLine(levels_.data(), length + 2 * MARGIN, s, low, high);
    }
}

std::vector<TVekPDF417Candidate> TVekPDF417PatternScanner::candidates() {
    for (TTracks& tracks : tracks_) tracks.clear();
    // Hits of the first look alone lie twice the step apart.
    const double step = refined_ ? step_ : 2 * step_;
    for (const THit& hit : hits_) addHit(tracks_[static_cast<size_t>(hit.kind)], hit, step);
    std::vector<TVekPDF417Candidate> found;
    pair(tracks_[0], tracks_[1], false, columns_, found);
    pair(tracks_[2], tracks_[3], true, columns_, found);
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.support > b.support; });
    if (found.size() > MAX_CANDIDATES) found.resize(MAX_CANDIDATES);
    return found;
}

void TVekPDF417PatternScanner::scanLine(const float* levels, int32_t count, double s, float low, float high) {
    edges_.findWithin(levels, count, -MARGIN, 1, low, high);
    for (int direction = 0; direction < 2; ++direction) {
        guards_.clear();
        if (direction == 0) {
            kind_->find(edges_, guards_);
        } else {
            edges_.reverseInto(reversed_);
            kind_->find(reversed_, guards_);
        }
        for (const TVekPDF417Guard& guard : guards_) {
            const double t = direction == 0 ? guard.outerEdge : -guard.outerEdge;
            hits_.push_back({s, t, guard.module, 2 * direction + (guard.isStart ? 0 : 1)});
            smallestModule_ = std::min(smallestModule_, guard.module);
        }
    }
}

void TVekPDF417PatternScanner::addHit(TTracks& tracks, const THit& hit, double step) {
    TTrack* best = nullptr;
    double bestMiss = 0;
    for (TTrack& track : tracks) {
        const THit& last = track.hits.back();
        const double gap = hit.s - last.s;
        if (gap <= 0 || gap > 3.5 * step + 4 * last.module) continue;
        const double ratio = hit.module / last.module;
        if (ratio < 0.7 || ratio > 1.43) continue;
        // One hit gives no direction yet: allow a steep edge.
        double predicted = last.t;
        double reach = 2 * hit.module + 2 * gap + 1;
        if (track.hits.size() >= 2) {
            const THit& before = track.hits[track.hits.size() - 2];
            predicted = last.t + (last.t - before.t) / (last.s - before.s) * gap;
            reach = 2 * hit.module + 1;
        }
        const double miss = std::abs(hit.t - predicted);
        if (miss <= reach && (best == nullptr || miss < bestMiss)) {
            best = &track;
            bestMiss = miss;
        }
    }
    if (best != nullptr) {
        best->hits.push_back(hit);
    } else if (tracks.size() < MAX_TRACKS) {
        tracks.push_back(TTrack{{hit}});
    }
}

void TVekPDF417PatternScanner::pair(TTracks& starts, TTracks& stops, bool backwards, bool columns,
                                    std::vector<TVekPDF417Candidate>& found) {
    for (TTrack& track : stops) track.fit();
    for (TTrack& start : starts) {
        if (static_cast<int32_t>(start.hits.size()) < MIN_TRACK_HITS) continue;
        start.fit();
        const double s0 = start.hits.front().s;
        const double s1 = start.hits.back().s;
        // The stop edge crossed by most of the start's lines; of those about
        // as well supported, the nearest (symbols side by side).
        const TTrack* bestStop = nullptr;
        double bestDistance = 0;
        size_t bestSupport = 0;
        for (const TTrack& stop : stops) {
            if (stop.hits.size() < 2) continue;
            const double from = std::max(s0, stop.hits.front().s);
            const double to = std::min(s1, stop.hits.back().s);
            const double shorter = std::min(s1 - s0, stop.hits.back().s - stop.hits.front().s);
            if (to - from < shorter / 3) continue;
            const double ratio = stop.module / start.module;
            if (ratio < 0.6 || ratio > 1.67) continue;
            const double middle = 0.5 * (from + to);
            const double distance = (stop.at(middle) - start.at(middle)) * (backwards ? -1 : 1);
            const double modules = distance / (0.5 * (start.module + stop.module));
            if (modules < kind_->minModules || modules > kind_->maxModules) continue;
            if (kind_->everyPair) {
                found.push_back(candidate(start, &stop, backwards, columns));
                continue;
            }
            const auto support = static_cast<size_t>(
                std::count_if(stop.hits.begin(), stop.hits.end(), [&](const THit& h) { return h.s >= from && h.s <= to; }));
            const bool stronger = 2 * support > 3 * bestSupport;
            const bool similar = 3 * support >= 2 * bestSupport;
            if (bestStop == nullptr || stronger || (similar && distance < bestDistance)) {
                bestStop = &stop;
                bestDistance = distance;
                bestSupport = std::max(support, bestSupport);
            }
        }
        if (kind_->everyPair || (bestStop == nullptr && !kind_->leftAlone)) continue;
        found.push_back(candidate(start, bestStop, backwards, columns));
    }
}

TVekPDF417Candidate TVekPDF417PatternScanner::candidate(const TTrack& start, const TTrack* stop, bool backwards,
                                                        bool columns) const {
    const auto point = [columns](double s, double t) {
        return columns ? TVekPointF{s, t} : TVekPointF{t, s};
    };
    TVekPDF417Candidate c;
    const double s0 = start.hits.front().s;
    const double s1 = start.hits.back().s;
    c.startFirst = point(s0, start.at(s0));
    c.startLast = point(s1, start.at(s1));
    // Square to the edge in (s, t): (-slope, 1), into the symbol.
    const double norm = std::hypot(1.0, start.slope);
    const double sign = backwards ? -1 : 1;
    c.across = point(-start.slope * sign / norm, sign / norm);
    c.module = start.module / norm;
    c.support = static_cast<int32_t>(start.hits.size());
    if (stop != nullptr) {
        c.hasStop = true;
        const double p0 = stop->hits.front().s;
        const double p1 = stop->hits.back().s;
        c.stopFirst = point(p0, stop->at(p0));
        c.stopLast = point(p1, stop->at(p1));
        const double middle = 0.5 * (std::max(s0, p0) + std::min(s1, p1));
        const double span = std::abs(stop->at(middle) - start.at(middle));
        size_t count = 0;
        for (const double module : {0.5 * (start.module + stop->module), start.module, stop->module}) {
            const int32_t rounded = kind_->columnsOf(span / module);
            if (rounded == 0) continue;
            if (std::find(c.columns.begin(), c.columns.begin() + count, rounded) != c.columns.begin() + count) continue;
            c.columns[count++] = rounded;
        }
    }
    return c;
}

}  // namespace orvel
