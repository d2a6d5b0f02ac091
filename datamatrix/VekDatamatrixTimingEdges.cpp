#include "datamatrix/VekDatamatrixTimingEdges.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvel {

namespace {

// Thickness samples taken along each side of the L.
constexpr int32_t THICKNESS_SAMPLES = 24;
// How far across the predicted edge (modules) a timing edge is looked for,
// and how far past the parallelogram's corner.
constexpr double SEARCH_MODULES = 1.2;
constexpr double EDGE_OVERRUN = 0.25;
// Within the quiet zone: half its least width, leaving the other half for
// the edge to drift from its prediction.
constexpr double QUIET_ZONE_REACH = 0.5;
constexpr int32_t MAX_EDGE_SAMPLES = 1500;
constexpr double SAMPLES_PER_MODULE = 4;
constexpr int32_t MAX_RUN_SAMPLES = 4000;
constexpr double RUN_SAMPLES_PER_MODULE = 12;
constexpr int32_t MAX_BINS = 64;
constexpr double MIN_FIT_SPAN = 2.5;
constexpr size_t MIN_PEAKS = 3;
constexpr double FINE_STEP = 0.5;
// An L side covers at least eight modules (the short side of the smallest
// rectangle), but where dark data modules line the L its measured thickness
// is two or three modules; an L thicker than a third of its short side is a
// dark blot, not a symbol.
constexpr double MIN_SIDE_MODULES = 3.0;
// The timing rows are read this far (in modules measured on the L) inside
// the symbol: within the outer row whether the L measured one module or two.
constexpr double TIMING_ROW_DEPTH = 0.35;
// Steps (in modules measured on the L) between the lines that look again for
// timing rows the L's ends missed.
constexpr double TIMING_ROW_SHIFT = 0.25;
constexpr double RUN_STEP = 0.5;
constexpr size_t MAX_TIMING_RUNS = 160;
// Runs between the first and the last along both timing rows, and the share
// of them within a factor of the median that makes a steady clock.
constexpr size_t MIN_TIMING_RUNS = 6;
constexpr double STEADY_SHARE = 0.7;
// A timing module is believed when it is not much smaller than the L's
// thickness: a third of it is clutter, not a finer clock.
constexpr double MIN_TIMING_SHARE = 0.4;
constexpr double MAX_TIMING_SHARE = 0.85;

bool darkAt(const TVekBitMatrix& picture, TVekPointF p) {
    // Truncation is the floor for the points inside the picture; the
    // comparison also refuses NaN.
    if (!(p.x >= 0 && p.y >= 0 && p.x < picture.width() && p.y < picture.height())) return false;
    return picture.get(static_cast<int32_t>(p.x), static_cast<int32_t>(p.y));
}

// A straight line through a perspective transform stays straight, and its
// points are its ends weighted by linear functions: three points mapped once
// place all the others without mapping each.
class TProjectiveLine {
public:
    TProjectiveLine(const TVekPerspectiveTransform& transform, TVekPointF from, TVekPointF to)
        : transform_(transform), from_(from), to_(to), start_(transform.map(from)), end_(transform.map(to)) {
        const TVekPointF middle = transform.map(0.5 * (from + to));
        const double before = length(middle - start_);
        const double after = length(end_ - middle);
        isExact_ = after > 1e-9 && std::isfinite(before / after);
        ratio_ = isExact_ ? before / after : 1;
    }

    // The point a fraction t along the line in the transform's own coordinates.
    TVekPointF at(double t) const {
        if (!isExact_) return transform_.map(from_ + t * (to_ - from_));
        const double a = 1 - t;
        const double b = t * ratio_;
        return (1.0 / (a + b)) * (a * start_ + b * end_);
    }

private:
    const TVekPerspectiveTransform& transform_;
    TVekPointF from_, to_, start_, end_;
    double ratio_ = 1;
    bool isExact_ = false;
};

bool isConvex(const std::array<TVekPointF, 4>& q) {
    double sign = 0;
    for (size_t i = 0; i < 4; ++i) {
        const double c = cross(q[(i + 1) % 4] - q[i], q[(i + 2) % 4] - q[(i + 1) % 4]);
        if (std::abs(c) < 1e-6 || (sign != 0 && (c > 0) != (sign > 0))) return false;
        sign = c;
    }
    return true;
}

}  // namespace

// The L is one module thick; where a data module next to it is dark the run
// is longer, so a low quantile of the runs is the module. None when three
// quarters of the runs on each side reach a quarter of the shorter side:
// the corner of a solid blob or bar, not an L. (The short side of a symbol
// holds at least eight modules, fewer when it is foreshortened and its ends
// are eaten, so its own side may look that thick where data modules line
// it; the long side of a rectangle, lined by a data row, does not.)
std::optional<double> TVekDatamatrixTimingEdges::moduleSize(const TVekBitMatrix& picture, const TVekDatamatrixL& l) {
    std::vector<double> runs;
    runs.reserve(2 * THICKNESS_SAMPLES);
    const TVekPointF inside = (1.0 / 3.0) * (l.corner + l.firstEnd + l.secondEnd);
    const double limit = 0.25 * std::min(distance(l.corner, l.firstEnd), distance(l.corner, l.secondEnd));
    bool solid = true;
    for (const auto& [side, end] : {std::pair{l.firstSide, l.firstEnd}, std::pair{l.secondSide, l.secondEnd}}) {
        const TVekPointF inward = side.normalTowards(inside);
        int32_t found = 0, deep = 0;
        for (int32_t i = 1; i <= THICKNESS_SAMPLES; ++i) {
            const double t = 0.1 + 0.8 * i / (THICKNESS_SAMPLES + 1);
            const TVekPointF base = l.corner + t * (end - l.corner);
            double run = 0;
            while (run < limit && darkAt(picture, base + (run + 0.25) * inward)) run += 0.5;
            if (run > 0) runs.push_back(run);
            found += run > 0;
            deep += run >= limit;
        }
        solid = solid && found > 0 && 4 * deep >= 3 * found;
    }
    if (solid) return std::nullopt;
    if (runs.empty()) return 1.0;
    std::sort(runs.begin(), runs.end());
    return std::max(1.0, runs[runs.size() / 4]);
}

// Half the length of each dark run with its light neighbour along a line
// (pixels), without the first run, which joins the L, nor the last, which
// may run out of the symbol. A dark and a light module together are two
// modules however the threshold shifts the edge between them.
void TVekDatamatrixTimingEdges::innerPairs(const TVekBitMatrix& picture, TVekPointF from, TVekPointF to,
                                           std::vector<double>& pairs) {
    const double len = distance(from, to);
    const int32_t samples = std::min(static_cast<int32_t>(len / RUN_STEP), MAX_EDGE_SAMPLES);
    if (samples < 4) return;
    const double step = len / samples;
    bool colour = darkAt(picture, from);
    int32_t length = 1;
    int32_t previous = 0;  // the run before, none for the first
    size_t added = 0;
    for (int32_t i = 1; i <= samples && added < MAX_TIMING_RUNS; ++i) {
        const bool dark = darkAt(picture, from + (static_cast<double>(i) / samples) * (to - from));
        if (dark == colour) {
            ++length;
            continue;
        }
        if (previous > 0) {
            pairs.push_back(0.5 * step * (previous + length));
            ++added;
        }
        previous = i == length ? 0 : length;  // the first run is the L's
        colour = dark;
        length = 1;
    }
}

// The median run when the runs are steady and fit a module the L's thickness
// allows; none otherwise. `alternating` is set when there are runs enough
// to tell.
std::optional<double> TVekDatamatrixTimingEdges::steadyRun(std::vector<double>& runs, double fromL,
                                                           bool& alternating) {
    if (runs.size() < MIN_TIMING_RUNS) return std::nullopt;
    alternating = true;
    std::nth_element(runs.begin(), runs.begin() + static_cast<ptrdiff_t>(runs.size() / 2), runs.end());
    const double median = runs[runs.size() / 2];
    const auto steady = std::count_if(runs.begin(), runs.end(), [&](double r) {
        return r > 0.7 * median && r < 1.4 * median;
    });
    if (steady < STEADY_SHARE * static_cast<double>(runs.size())) return std::nullopt;
    if (median < MIN_TIMING_SHARE * fromL || median > MAX_TIMING_SHARE * fromL) return std::nullopt;
    return median;
}

// The dashed timing rows alternate one dark and one light module, so their
// runs give the module where data modules lining the L make it look two or
// three modules thick. Returns `fromL` when the rows do not look dashed at
// a finer module. None when no line crosses even a few dark runs: a
// symbol's timing rows do, and so do its data rows where perspective bends
// the rows away from the lines, but the L of clutter (the corner of a
// stroke or a box) mostly has light or solid ground opposite; it is refused
// before its timing edges are followed.
std::optional<double> TVekDatamatrixTimingEdges::timingModule(const TVekBitMatrix& picture,
                                                              const TVekDatamatrixL& l, double fromL) {
    bool alternating = false;
    std::vector<double> runs;
    runs.reserve(2 * MAX_TIMING_RUNS);
    auto runsAt = [&](double depth) {
        auto inwards = [&](TVekPointF end) {
            const double len = distance(end, l.corner);
            return len > 0 ? end + (depth / len) * (l.corner - end) : end;
        };
        runs.clear();
        const TVekPointF top = inwards(l.firstEnd);
        innerPairs(picture, top, top + (l.secondEnd - l.corner), runs);
        const TVekPointF right = inwards(l.secondEnd);
        innerPairs(picture, right, right + (l.firstEnd - l.corner), runs);
        return steadyRun(runs, fromL, alternating);
    };
    const double depth = TIMING_ROW_DEPTH * fromL;
    if (const auto module = runsAt(depth)) return *module;
    // Blur eats the ends of a thin symbol's L by up to a module, which puts a
    // line drawn from them in a data row: nearer and further lines, nearest
    // first, find the timing row the L's ends missed.
    for (const double shift : {-1.0, 1.0, -2.0, 2.0, -3.0}) {
        if (const auto module = runsAt(depth + shift * TIMING_ROW_SHIFT * fromL)) return *module;
    }
    if (!alternating) return std::nullopt;
    return fromL;
}

// Follows the edge from its corner `from` (on the edge) towards `towards`,
// stretch by stretch: in each stretch of about two modules one module is a
// dark timing module, so the outermost dark pixel found across the predicted
// line lies on the edge, and the line fitted through the corner and those
// pixels predicts the next stretch. Perspective bends the edge away from the
// first guess; following it keeps the search window small.
std::optional<TVekDatamatrixEdgeLine> TVekDatamatrixTimingEdges::timingEdge(const TVekBitMatrix& picture,
                                                                           TVekPointF from, TVekPointF towards,
                                                                           TVekPointF inside, double module,
                                                                           TVekDatamatrixEdgeSearch search) {
    const double len = distance(from, towards);
    if (len < 4) return std::nullopt;
    const TVekPointF along = (1.0 / len) * (towards - from);
    TVekDatamatrixEdgeLine line{from, along};
    const double reach = SEARCH_MODULES * module;
    const double outReach = search == TVekDatamatrixEdgeSearch::wide ? reach : QUIET_ZONE_REACH * module;
    // Large modules are crossed in coarse steps, then the edge is found in
    // fine ones: dark specks thinner than a quarter module are noise anyway.
    const double coarse = std::max(FINE_STEP, FINE_STEP * std::floor(module / (4 * FINE_STEP)));
    const double total = len * (1 + EDGE_OVERRUN);
    // About a pixel apart, and no closer than a quarter of a module.
    const double spacing = std::max(1.0, module / SAMPLES_PER_MODULE);
    const int32_t samples = std::clamp(static_cast<int32_t>(total / spacing), 8, MAX_EDGE_SAMPLES);
    const int32_t binCount = std::clamp(static_cast<int32_t>(total / (2.2 * module)), 2, MAX_BINS);
    std::vector<TVekPointF> peaks;
    std::vector<TVekPointF> points;
    points.reserve(static_cast<size_t>(samples));
    int32_t i = 0;
    for (int32_t bin = 0; bin < binCount; ++bin) {
        const TVekPointF outward = -1.0 * line.normalTowards(inside);
        double best = -1e9;
        TVekPointF bestPoint;
        for (; i <= samples && i * binCount <= (bin + 1) * samples; ++i) {
            const TVekPointF base = line.project(from + (total * i / samples) * along);
            // Within the quiet zone, dark that reaches the window's outer end
            // runs on outside it: the line around the symbol, not a module.
            bool pastOuterRun = search == TVekDatamatrixEdgeSearch::wide;
            for (double s = outReach; s >= -reach; s -= coarse) {
                if (!darkAt(picture, base + s * outward)) {
                    pastOuterRun = true;
                    continue;
                }
                if (!pastOuterRun) continue;
                // The outermost dark sample between this one and the light one before.
                for (double fine = std::min(outReach, s + coarse - FINE_STEP); fine > s; fine -= FINE_STEP) {
                    if (darkAt(picture, base + fine * outward)) {
                        s = fine;
                        break;
                    }
                }
                points.push_back(base + s * outward);
                if (s > best) {
                    best = s;
                    bestPoint = points.back();
                }
                break;
            }
        }
        if (best <= -reach) continue;  // nothing here: past the edge's end
        peaks.push_back(bestPoint);
        // Peaks close together would swing the line: the first guess holds
        // until they spread over a few modules.
        if (peaks.size() < MIN_PEAKS || distance(peaks.front(), peaks.back()) < MIN_FIT_SPAN * module) continue;
        auto refit = TVekDatamatrixEdgeLine::fit(peaks);
        if (!refit) continue;
        if (dot(refit->direction, along) < 0) refit->direction = -1.0 * refit->direction;
        line = *refit;
    }
    if (peaks.size() < MIN_PEAKS) return std::nullopt;
    // Every point on the outer side of the dark modules joins the last fit.
    std::vector<TVekPointF> near;
    near.reserve(points.size());
    for (const TVekPointF& p : points) {
        if (std::abs(line.distanceAway(p, inside)) < 0.3 * module) near.push_back(p);
    }
    const auto fitted = TVekDatamatrixEdgeLine::fit(near);
    if (!fitted) return std::nullopt;
    return fitted->movedAway(0.5, inside);
}

std::optional<double> TVekDatamatrixTimingEdges::module(const TVekBitMatrix& picture, const TVekDatamatrixL& l) {
    // A blob is refused before its timing rows are walked, the costly part.
    const auto fromL = moduleSize(picture, l);
    if (!fromL) return std::nullopt;
    const auto timing = timingModule(picture, l, *fromL);
    if (!timing) return std::nullopt;
    const double module = *timing;
    const double shortSide = std::min(distance(l.corner, l.firstEnd), distance(l.corner, l.secondEnd));
    if (module * MIN_SIDE_MODULES > shortSide) return std::nullopt;
    return module;
}

std::optional<TVekDatamatrixFrame> TVekDatamatrixTimingEdges::frame(const TVekBitMatrix& picture,
                                                                    const TVekDatamatrixL& l, double module,
                                                                    TVekDatamatrixEdgeSearch search) {
    const TVekPointF guess = l.firstEnd + (l.secondEnd - l.corner);
    const TVekPointF inside = 0.5 * (l.corner + guess);
    const auto top = timingEdge(picture, l.firstEnd, guess, inside, module, search);
    const auto right = timingEdge(picture, l.secondEnd, guess, inside, module, search);
    if (!top || !right) return std::nullopt;
    const auto topLeft = intersect(l.firstSide, *top);
    const auto topRight = intersect(*top, *right);
    const auto bottomRight = intersect(l.secondSide, *right);
    if (!topLeft || !topRight || !bottomRight) return std::nullopt;
    TVekDatamatrixFrame frame{{*topLeft, *topRight, *bottomRight, l.corner}, module};
    if (!isConvex(frame.corners)) return std::nullopt;
    // The fourth corner stays near the parallelogram's: perspective moves it,
    // clutter along an edge would move it much further.
    const double diagonal = distance(l.firstEnd, l.secondEnd);
    if (distance(*topRight, guess) > 0.35 * diagonal) return std::nullopt;
    return frame;
}

// Dark runs along a line in unit-square coordinates, with runs and gaps much
// shorter than a module smoothed away as noise.
std::vector<double> TVekDatamatrixTimingEdges::colourChanges(const TVekBitMatrix& picture,
                                                             const TVekPerspectiveTransform& unitToPicture,
                                                             TVekPointF from, TVekPointF to, double pixelLength,
                                                             double modulePixels) {
    // A dozen samples a module, at most four a pixel and at least one.
    const double perPixel = std::clamp(RUN_SAMPLES_PER_MODULE / std::max(1.0, modulePixels), 1.0, 4.0);
    const int32_t samples = std::clamp(static_cast<int32_t>(perPixel * pixelLength), 32, MAX_RUN_SAMPLES);
    const double perModule = samples * modulePixels / std::max(1.0, pixelLength);
    const int32_t shortest = std::max(1, static_cast<int32_t>(0.3 * perModule));
    std::vector<double> changes;
    bool state = false;    // the colour after smoothing; the line starts light
    bool current = false;  // the colour of the raw run being read
    int32_t length = 0;
    const TProjectiveLine line(unitToPicture, from, to);
    for (int32_t i = 0; i <= samples; ++i) {
        const bool dark = darkAt(picture, line.at(static_cast<double>(i) / samples));
        length = dark == current ? length + 1 : 1;
        current = dark;
        if (length == shortest && current != state) {
            state = current;
            // Between the last sample of the old colour and the first of the new.
            changes.push_back(std::max(0.0, (i - shortest + 0.5) / samples));
        }
    }
    return changes;
}

std::array<int32_t, 2> TVekDatamatrixTimingEdges::darkModules(const TVekBitMatrix& picture,
                                                              const TVekDatamatrixFrame& frame) {
    const auto& c = frame.corners;
    const TVekPerspectiveTransform unit = TVekPerspectiveTransform::squareToQuad(c);
    const double topLength = distance(c[0], c[1]);
    const double rightLength = distance(c[1], c[2]);
    const double down = std::min(0.25, 0.5 * frame.moduleSize / std::max(1.0, distance(c[0], c[3])));
    const double in = std::min(0.25, 0.5 * frame.moduleSize / std::max(1.0, distance(c[3], c[2])));
    const auto top = colourChanges(picture, unit, {0, down}, {1, down}, topLength, frame.moduleSize);
    const auto right = colourChanges(picture, unit, {1 - in, 0}, {1 - in, 1}, rightLength, frame.moduleSize);
    // Changes alternate from light to dark and back.
    return {static_cast<int32_t>(top.size() + 1) / 2, static_cast<int32_t>(right.size() + 1) / 2};
}

}  // namespace orvel
