#include "datamatrix/VekDatamatrixBentGrid.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "datamatrix/VekDatamatrixSymbolSizes.h"

namespace orvel {

namespace {

using TLine = TVekDatamatrixBentGrid::TLine;
using TField = TVekDatamatrixBentGrid::TField;

constexpr double MISSING = std::numeric_limits<double>::quiet_NaN();
// Edges are looked for in steps of a tenth of a module, up to this far
// (modules) either side of where the map so far puts them: the outer edges
// are fitted straight lines, off by about a module where the symbol bends.
constexpr double STEP = 0.1;
constexpr double EDGE_REACH = 1.2;
// Dash changes of one kind lie two modules apart: a window of less than one
// module either side holds one of them.
constexpr double DASH_REACH = 0.9;
constexpr int32_t MAX_SCAN = 2 * 12 + 1;
// Where an edge is looked for across a module (modules from its centre).
constexpr double LATERAL = 0.25;
// Measurements smoothed over this many neighbours (a median: a dark data
// module beside an edge moves one measurement, not the line).
constexpr size_t MEDIAN_WINDOW = 5;
// Dash changes of one kind two modules apart move by less than this
// (modules) against the map so far at all but a few places along a line of
// a true symbol, and most of them are found.
constexpr double MAX_DASH_DRIFT = 0.6;
constexpr double MAX_JUMP_SHARE = 0.05;
constexpr double MIN_STEADY_SHARE = 0.6;
// The share of a line's places that must show its edge.
constexpr double MIN_FOUND_SHARE = 0.4;

// The value a fraction along a line of samples, held at the ends.
double valueAt(const TLine& line, double position) {
    const auto& v = line.values;
    const double k = std::clamp(position - line.offset, 0.0, static_cast<double>(v.size() - 1));
    const auto below = static_cast<size_t>(k);
    if (below + 1 >= v.size()) return v.back();
    const double f = k - static_cast<double>(below);
    return (1 - f) * v[below] + f * v[below + 1];
}

// Whether the dash changes found along a line keep step with the modules.
// Changes of one kind (light to dark, or dark to light: ink spread moves the
// two kinds apart) move only a little from one to the next; counted against
// the wrong number of modules they drift by a whole module over the line
// and jump back by two each time.
bool isSteady(const TLine& line) {
    size_t pairs = 0, jumps = 0;
    for (size_t k = 0; k + 2 < line.values.size(); ++k) {
        const double a = line.values[k], b = line.values[k + 2];
        if (std::isnan(a) || std::isnan(b)) continue;
        ++pairs;
        jumps += std::abs(a - b) > MAX_DASH_DRIFT;
    }
    return static_cast<double>(pairs) >= MIN_STEADY_SHARE * static_cast<double>(line.values.size() - 3) &&
           static_cast<double>(jumps) <= MAX_JUMP_SHARE * static_cast<double>(pairs);
}

// Replaces each found value by the median of its found neighbours and fills
// the places without one from the found ones either side. False when too
// few were found.
bool smoothAndFill(TLine& line, size_t places) {
    std::vector<size_t> found;
    for (size_t k = 0; k < line.values.size(); ++k) {
        if (!std::isnan(line.values[k])) found.push_back(k);
    }
    if (found.empty() || static_cast<double>(found.size()) < MIN_FOUND_SHARE * static_cast<double>(places))
        return false;
    std::vector<double> smoothed(found.size());
    std::array<double, MEDIAN_WINDOW> window{};
    for (size_t i = 0; i < found.size(); ++i) {
        const size_t from = i >= MEDIAN_WINDOW / 2 ? i - MEDIAN_WINDOW / 2 : 0;
        const size_t to = std::min(found.size(), i + MEDIAN_WINDOW / 2 + 1);
        size_t n = 0;
        for (size_t j = from; j < to; ++j) window[n++] = line.values[found[j]];
        std::nth_element(window.begin(), window.begin() + static_cast<ptrdiff_t>(n / 2), window.begin() + static_cast<ptrdiff_t>(n));
        smoothed[i] = window[n / 2];
    }
    size_t next = 0;
    for (size_t k = 0; k < line.values.size(); ++k) {
        while (next < found.size() && found[next] < k) ++next;
        if (next < found.size() && found[next] == k) {
            line.values[k] = smoothed[next];
        } else if (next == 0) {
            line.values[k] = smoothed.front();
        } else if (next == found.size()) {
            line.values[k] = smoothed.back();
        } else {
            const double a = static_cast<double>(found[next - 1]);
            const double b = static_cast<double>(found[next]);
            const double f = (static_cast<double>(k) - a) / (b - a);
            line.values[k] = (1 - f) * smoothed[next - 1] + f * smoothed[next];
        }
    }
    return true;
}

void insertSorted(std::vector<TLine>& lines, TLine line) {
    const auto at = std::find_if(lines.begin(), lines.end(), [&](const TLine& l) { return l.at > line.at; });
    lines.insert(at, std::move(line));
}

struct TLayout {
    int32_t rows, cols;
    int32_t regionRows, regionCols;  // with their finder and clock modules
    int32_t up, across;
};

// The inner lines between `count` regions k regions in from either side:
// none, one, or two.
std::vector<int32_t> fromOutside(int32_t k, int32_t count) {
    std::vector<int32_t> lines;
    if (k < count - k) lines = {k, count - k};
    if (k == count - k) lines = {k};
    return lines;
}

// Measures the lines of one symbol through the corners' map and the
// displacements found so far.
class TMeasurer {
public:
    TMeasurer(const TVekBitMatrix& picture, const TVekPerspectiveTransform& map, const TLayout& layout)
        : picture_(picture), map_(map), layout_(layout) {}

    // The outer edges: the solid left and bottom ones, and the dark modules
    // of the top row (even columns) and of the right column (odd rows).
    // Twice: the dashes are found where the first measures put them.
    bool measureOuterEdges() {
        const double cols = layout_.cols, rows = layout_.rows;
        const auto all = [](int32_t) { return true; };
        for (int32_t pass = 0; pass < 2; ++pass) {
            auto left = columnEdge(0, true, true, all);
            auto right = columnEdge(cols, false, true, [](int32_t r) { return r % 2 == 1; });
            auto top = rowEdge(0, true, true, [](int32_t c) { return c % 2 == 0; });
            auto bottom = rowEdge(rows, false, true, all);
            if (!left || !right || !top || !bottom) return false;
            x.crossing = {std::move(*left), std::move(*right)};
            y.crossing = {std::move(*top), std::move(*bottom)};
            // A wrong size or no symbol at all: the outer dashes do not keep
            // step with the modules (checked before the costlier work).
            if (pass == 0 && (!rowDashes(0.5, true) || !columnDashes(cols - 0.5, true))) return false;
        }
        return true;
    }

    // Each inner solid line against the light modules of the dashed line
    // beside it: a solid column has the dashed column on its left, a solid
    // row the dashed row below it. From the outside in, each round of lines
    // looked for where the lines found before put it. A line not found is
    // left to the others.
    void measureInnerEdges() {
        const int32_t height = layout_.regionRows, width = layout_.regionCols;
        const int32_t rounds = std::max(layout_.across, layout_.up) / 2;
        for (int32_t k = 1; k <= rounds; ++k) {
            std::vector<TLine> columns, rowLines;
            for (const int32_t p : fromOutside(k, layout_.across)) {
                auto line = columnEdge(p * width, true, false, [&](int32_t r) {
                    return r % height % 2 == 0 && r % height + 1 < height;
                });
                if (line) columns.push_back(std::move(*line));
            }
            for (const int32_t q : fromOutside(k, layout_.up)) {
                auto line = rowEdge(q * height, false, false, [&](int32_t c) { return c % width % 2 == 1; });
                if (line) rowLines.push_back(std::move(*line));
            }
            for (auto& line : columns) insertSorted(x.crossing, std::move(line));
            for (auto& line : rowLines) insertSorted(y.crossing, std::move(line));
        }
    }

    // The dash changes along every dashed row and column.
    void measureDashes() {
        std::vector<TLine> rowLines, columns;
        for (int32_t q = 0; q < layout_.up; ++q) {
            if (auto line = rowDashes(q * layout_.regionRows + 0.5)) rowLines.push_back(std::move(*line));
        }
        for (int32_t p = 1; p <= layout_.across; ++p) {
            if (auto line = columnDashes(p * layout_.regionCols - 0.5)) columns.push_back(std::move(*line));
        }
        x.along = std::move(rowLines);
        y.along = std::move(columns);
    }

    TVekBitMatrix modules() const {
        TVekBitMatrix result(layout_.cols, layout_.rows);
        for (int32_t r = 0; r < layout_.rows; ++r) {
            for (int32_t c = 0; c < layout_.cols; ++c) result.set(c, r, darkAt(displaced(c + 0.5, r + 0.5)));
        }
        return result;
    }

private:
    // Module coordinates moved by the displacements found so far, in the
    // corners' map.
    TVekPointF displaced(double mx, double my) const { return {mx + x.value(mx, my), my + y.value(my, mx)}; }

    bool darkAt(TVekPointF module) const { return darkAtPixel(map_.map(module)); }

    bool darkAtPixel(TVekPointF p) const {
        if (!(std::isfinite(p.x) && std::isfinite(p.y))) return false;
        if (p.x < -1 || p.y < -1 || p.x > picture_.width() + 1 || p.y > picture_.height() + 1) return false;
        return picture_.getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y)));
    }

    // How far along `direction` (modules) from `from` light turns dark,
    // nearest to `from`: two samples light before, two dark after. Over a
    // couple of modules the map is as good as straight: the samples lie
    // evenly between the scan's two mapped ends.
    double lightToDark(TVekPointF from, TVekPointF direction, double reach) const {
        const int32_t half = std::min(static_cast<int32_t>(std::lrint(reach / STEP)), MAX_SCAN / 2);
        const int32_t n = 2 * half + 1;
        const TVekPointF first = map_.map(from + (-half * STEP) * direction);
        const TVekPointF last = map_.map(from + (half * STEP) * direction);
        const TVekPointF step = (1.0 / (n - 1)) * (last - first);
        std::array<bool, MAX_SCAN> dark{};
        for (int32_t i = 0; i < n; ++i) dark[static_cast<size_t>(i)] = darkAtPixel(first + static_cast<double>(i) * step);
        double best = MISSING;
        for (int32_t i = 1; i < n; ++i) {
            const auto at = [&](int32_t k) { return dark[static_cast<size_t>(std::clamp(k, 0, n - 1))]; };
            if (at(i - 1) || !at(i) || at(i - 2) || !at(i + 1)) continue;
            const double t = (i - half - 0.5) * STEP;
            if (std::isnan(best) || std::abs(t) < std::abs(best)) best = t;
        }
        return best;
    }

    // lightToDark at three places across a module, so that one place on a
    // dash's side still finds the edge. Next to an outer dash, light data
    // lies behind the edge and shows the next module's edge further in: the
    // outermost edge counts. Next to an inner light dash, data lies on the
    // light side and shows a dark dash's edge further out: the innermost
    // counts.
    double edgeAcross(TVekPointF from, TVekPointF direction, double reach, bool outermost) const {
        const TVekPointF lateral{-direction.y, direction.x};
        double best = MISSING;
        for (const double s : {-LATERAL, 0.0, LATERAL}) {
            const double t = lightToDark(from + s * lateral, direction, reach);
            if (std::isnan(best) || (outermost ? t < best : t > best)) best = t;
        }
        return best;
    }

    // The edge of a vertical line at column position `at` in the rows
    // `used`, light on its left (or right).
    std::optional<TLine> columnEdge(double at, bool lightLeft, bool outer,
                                    const std::function<bool(int32_t)>& used) const {
        TLine line{at, 0.5, std::vector<double>(static_cast<size_t>(layout_.rows), MISSING)};
        const TVekPointF direction{lightLeft ? 1.0 : -1.0, 0};
        size_t places = 0;
        for (int32_t r = 0; r < layout_.rows; ++r) {
            if (!used(r)) continue;
            ++places;
            const double my = r + 0.5;
            const double t = edgeAcross(displaced(at, my), direction, EDGE_REACH, outer);
            if (!std::isnan(t)) line.values[static_cast<size_t>(r)] = x.value(at, my) + t * direction.x;
        }
        if (!smoothAndFill(line, places)) return std::nullopt;
        return line;
    }

    std::optional<TLine> rowEdge(double at, bool lightAbove, bool outer, const std::function<bool(int32_t)>& used) const {
        TLine line{at, 0.5, std::vector<double>(static_cast<size_t>(layout_.cols), MISSING)};
        const TVekPointF direction{0, lightAbove ? 1.0 : -1.0};
        size_t places = 0;
        for (int32_t c = 0; c < layout_.cols; ++c) {
            if (!used(c)) continue;
            ++places;
            const double mx = c + 0.5;
            const double t = edgeAcross(displaced(mx, at), direction, EDGE_REACH, outer);
            if (!std::isnan(t)) line.values[static_cast<size_t>(c)] = y.value(at, mx) + t * direction.y;
        }
        if (!smoothAndFill(line, places)) return std::nullopt;
        return line;
    }

    // The changes between the dashes of a dashed row whose centre lies at
    // `at`: dark modules at even columns.
    std::optional<TLine> rowDashes(double at, bool steadyOnly = false) const {
        TLine line{at, 0, std::vector<double>(static_cast<size_t>(layout_.cols) + 1, MISSING)};
        for (int32_t c = 1; c < layout_.cols; ++c) {
            const bool leftDark = (c - 1) % 2 == 0;
            const TVekPointF direction{leftDark ? -1.0 : 1.0, 0};
            const double t = lightToDark(displaced(c, at), direction, DASH_REACH);
            if (!std::isnan(t)) line.values[static_cast<size_t>(c)] = x.value(c, at) + t * direction.x;
        }
        if ((steadyOnly && !isSteady(line)) || !smoothAndFill(line, static_cast<size_t>(layout_.cols - 1)))
            return std::nullopt;
        return line;
    }

    // A dashed column: dark modules at odd rows.
    std::optional<TLine> columnDashes(double at, bool steadyOnly = false) const {
        TLine line{at, 0, std::vector<double>(static_cast<size_t>(layout_.rows) + 1, MISSING)};
        for (int32_t r = 1; r < layout_.rows; ++r) {
            const bool aboveDark = (r - 1) % 2 == 1;
            const TVekPointF direction{0, aboveDark ? -1.0 : 1.0};
            const double t = lightToDark(displaced(at, r), direction, DASH_REACH);
            if (!std::isnan(t)) line.values[static_cast<size_t>(r)] = y.value(r, at) + t * direction.y;
        }
        if ((steadyOnly && !isSteady(line)) || !smoothAndFill(line, static_cast<size_t>(layout_.rows - 1)))
            return std::nullopt;
        return line;
    }

    // The displacements found so far, in modules: across and along x, and y.
    TField x, y;
    const TVekBitMatrix& picture_;
    const TVekPerspectiveTransform& map_;
    TLayout layout_;
};

}  // namespace

double TVekDatamatrixBentGrid::TField::base(double u, double v) const {
    if (crossing.empty()) return 0;
    if (u <= crossing.front().at) return valueAt(crossing.front(), v);
    for (size_t j = 0; j + 1 < crossing.size(); ++j) {
        const TLine& a = crossing[j];
        const TLine& b = crossing[j + 1];
        if (u > b.at) continue;
        const double f = (u - a.at) / (b.at - a.at);
        return (1 - f) * valueAt(a, v) + f * valueAt(b, v);
    }
    return valueAt(crossing.back(), v);
}

double TVekDatamatrixBentGrid::TField::value(double u, double v) const {
    const double b = base(u, v);
    if (along.empty()) return b;
    const auto residual = [&](const TLine& line) { return valueAt(line, u) - base(u, line.at); };
    if (v <= along.front().at) return b + residual(along.front());
    for (size_t j = 0; j + 1 < along.size(); ++j) {
        const TLine& a = along[j];
        const TLine& c = along[j + 1];
        if (v > c.at) continue;
        const double f = (v - a.at) / (c.at - a.at);
        return b + (1 - f) * residual(a) + f * residual(c);
    }
    return b + residual(along.back());
}

std::optional<TVekBitMatrix> TVekDatamatrixBentGrid::sample(const TVekBitMatrix& picture,
                                                            const std::array<TVekPointF, 4>& corners,
                                                            int32_t sizeIndex) {
    if (sizeIndex < 0 || sizeIndex >= DM_ALL_SYMBOL_SIZE_COUNT) return std::nullopt;
    const auto& size = symbolSizeRow(sizeIndex);
    const TLayout layout{size[DM_SYMBOL_ROWS], size[DM_SYMBOL_COLS], size[DM_REGION_ROWS] + 2,
                         size[DM_REGION_COLS] + 2, size[DM_SYMBOL_ROWS] / (size[DM_REGION_ROWS] + 2),
                         size[DM_SYMBOL_COLS] / (size[DM_REGION_COLS] + 2)};
    if (layout.up * layout.across < 2) return std::nullopt;
    const double cols = layout.cols, rows = layout.rows;
    const std::array<TVekPointF, 4> grid = {TVekPointF{0, 0}, TVekPointF{cols, 0}, TVekPointF{cols, rows},
                                            TVekPointF{0, rows}};
    const auto map = TVekPerspectiveTransform::quadToQuad(grid, corners);
    if (!map) return std::nullopt;
    TMeasurer measurer(picture, *map, layout);
    if (!measurer.measureOuterEdges()) return std::nullopt;
    measurer.measureInnerEdges();
    measurer.measureDashes();
    return measurer.modules();
}

}  // namespace orvel
