#include "pdf417/VekMicroPDF417GridReader.h"

#include <algorithm>
#include <cmath>

#include "pdf417/VekMicroPDF417RapReader.h"

namespace orvel {

namespace {

using TLayout = TVekMicroPDF417Layout;

constexpr int32_t MIN_SWEEP_LINES = 24;
constexpr int32_t MAX_SWEEP_LINES = 160;
constexpr double SWEEP_MARGIN = 0.2;  // of the edge length, beyond either end
// How far beyond the edges (in edge lengths) a symbol's rows may reach.
constexpr double MAX_EXTENT = 3;
constexpr double RAP_REACH = 2.5;     // modules
constexpr double RAP_MARGIN = 5;      // modules sampled either side of a RAP
// Modules of fewer pixels put every edge on a pixel border: characters are
// then also read by their nearest fit (TVekPDF417Tolerance).
constexpr double ALIASED_MODULE = 1.6;
// A size read as well as this share of the best one's RAPs is read too.
constexpr double RUNNER_UP_SHARE = 0.75;
constexpr int32_t MIN_RAPS_IN_LINE = 4;
// RAPs in line with the best size before rows beyond the sweep are read.
constexpr int32_t MIN_SCORE_TO_EXTEND = 6;

int32_t countOf(double value, int32_t low, int32_t high) {
    if (!(value >= low)) return low;
    return value >= high ? high : static_cast<int32_t>(value);
}

}  // namespace

std::vector<TVekPDF417Grid> TVekMicroPDF417GridReader::read(const TVekPDF417Candidate& candidate, bool thorough) {
    thorough_ = thorough;
    module_ = std::max(candidate.module, 0.5);
    aliased_ = module_ < ALIASED_MODULE;
    // About a sample per pixel, at least three per module.
    sampler_.setStep(std::clamp(1 / module_, 0.1, 0.34));
    std::vector<TVekPDF417Grid> grids;
    for (const int32_t columns : candidate.columns) {
        if (columns <= 0) break;
        setFrame(candidate, columns);
        raps_.clear();
        sweepRaps(columns, -SWEEP_MARGIN, 1 + SWEEP_MARGIN, true);
        std::vector<TSize> found = sizes(columns);
        // The edges' scan lines may have met only part of a tilted symbol:
        // the rows the best size has beyond the lines swept are read too.
        if (!found.empty() && found[0].score >= MIN_SCORE_TO_EXTEND) {
            double low = -SWEEP_MARGIN;
            double high = 1 + SWEEP_MARGIN;
            for (const TSize& size : found) {
                if (size.score < RUNNER_UP_SHARE * found[0].score) break;
                for (const TRowFit* fit : {&size.left, &size.right}) {
                    for (const int32_t row : {0, size.variant->rows}) {
                        low = std::min(low, fit->vOf(row));
                        high = std::max(high, fit->vOf(row));
                    }
                }
            }
            low = std::max(low, -MAX_EXTENT);
            high = std::min(high, 1 + MAX_EXTENT);
            bool more = false;
            if (low < -SWEEP_MARGIN) more = sweepRaps(columns, low - 0.05, -SWEEP_MARGIN, false) || more;
            if (high > 1 + SWEEP_MARGIN) more = sweepRaps(columns, 1 + SWEEP_MARGIN, high + 0.05, false) || more;
            if (more) found = sizes(columns);
        }
        for (size_t i = 0; i < found.size(); ++i) {
            if (i > 0 && found[i].score < RUNNER_UP_SHARE * found[0].score) break;
            grids.push_back(readGrid(found[i]));
        }
        if (!grids.empty()) break;
    }
    return grids;
}

void TVekMicroPDF417GridReader::setFrame(const TVekPDF417Candidate& candidate, int32_t columns) {
    // The left and right edges as seen by their own scan lines may cover
    // different stretches of the symbol: both are taken over the stretch
    // either covers, so that the frame's top and bottom run across the
    // symbol and lines beyond them stay near the symbol's rows.
    TVekPointF along = (candidate.startLast - candidate.startFirst) + (candidate.stopLast - candidate.stopFirst);
    const double length = std::hypot(along.x, along.y);
    TVekPerspectiveTransform::TQuad quad{candidate.startFirst, candidate.stopFirst, candidate.stopLast,
                                         candidate.startLast};
    if (length > 1e-9) {
        along = (1 / length) * along;
        const auto at = [&along](TVekPointF p) { return p.x * along.x + p.y * along.y; };
        const double low = std::min(at(candidate.startFirst), at(candidate.stopFirst));
        const double high = std::max(at(candidate.startLast), at(candidate.stopLast));
        // The point of the line through p and q whose place along is `place`.
        const auto point = [&at](TVekPointF p, TVekPointF q, double place) {
            const double run = at(q) - at(p);
            return std::abs(run) < 1e-9 ? p : p + ((place - at(p)) / run) * (q - p);
        };
        if (high > low) {
            quad = {point(candidate.startFirst, candidate.startLast, low),
                    point(candidate.stopFirst, candidate.stopLast, low),
                    point(candidate.stopFirst, candidate.stopLast, high),
                    point(candidate.startFirst, candidate.startLast, high)};
        }
    }
    sampler_.setFrame(quad, TLayout::rowModules(columns));
}

bool TVekMicroPDF417GridReader::sweepRaps(int32_t columns, double from, double to, bool probe) {
    if (!(to > from)) return false;
    const size_t before = raps_.size();
    const double edgePixels = distance(sampler_.toPicture(0, 0), sampler_.toPicture(0, 1));
    // Rows are two or more modules high: a line every module (every one and
    // a half when quick) reads each row at least once.
    const double spacing = (thorough_ ? 1.0 : 1.5) * module_;
    const int32_t lines = countOf(edgePixels * (to - from) / spacing, MIN_SWEEP_LINES, MAX_SWEEP_LINES);
    const double centre = TLayout::centreStart(columns);
    const double right = TLayout::rightStart(columns);
    for (int32_t i = 0; i < lines; ++i) {
        // Edges that show no RAP on the first third of the lines (reaching
        // well into the frame) are no symbol's.
        if (probe && i == lines / 3 && raps_.size() == before) return false;
        const double v = from + (to - from) * (i + 0.5) / lines;
        // Each RAP with a few modules either side: the line in between
        // holds only codewords.
        const auto take = [&](double expected, TRapKind kind) {
            sampler_.sampleLine(expected - RAP_MARGIN, expected + TLayout::RAP_MODULES + RAP_MARGIN, v, v, edges_);
            const TVekMicroPDF417Rap rap = TVekMicroPDF417RapReader::readNear(edges_, expected, RAP_REACH);
            if (rap.valid() && rap.centre == (kind == CENTRE)) raps_.push_back({v, kind, rap.number});
        };
        take(0, LEFT);
        if (centre > 0) take(centre, CENTRE);
        take(right, RIGHT);
    }
    return raps_.size() > before;
}

std::vector<TVekMicroPDF417GridReader::TSize> TVekMicroPDF417GridReader::sizes(int32_t columns) const {
    std::vector<TSize> found;
    if (static_cast<int32_t>(raps_.size()) < MIN_RAPS_IN_LINE) return found;
    for (const TLayout::TVariant& variant : TLayout::variants()) {
        if (variant.columns != columns) continue;
        TSize size = fitSize(variant);
        if (size.score > 0) found.push_back(size);
    }
    std::stable_sort(found.begin(), found.end(), [](const TSize& a, const TSize& b) { return a.score > b.score; });
    return found;
}

TVekMicroPDF417GridReader::TSize TVekMicroPDF417GridReader::fitSize(const TLayout::TVariant& variant) const {
    TSize size;
    size.variant = &variant;
    std::vector<TRowRead> left;
    std::vector<TRowRead> right;
    for (const TRapRead& rap : raps_) {
        const int32_t first = rap.kind == LEFT ? variant.left : rap.kind == CENTRE ? variant.centre : variant.right;
        const int32_t row = TLayout::rowOf(variant, first, rap.number);
        if (row < 0) continue;
        if (rap.kind == LEFT) left.push_back({rap.v, row});
        if (rap.kind == RIGHT) right.push_back({rap.v, row});
    }
    // Three rows read at least on a side.
    size.left = TRowFit::fit(left);
    size.right = TRowFit::fit(right);
    size.left.valid = size.left.valid && size.left.inliers >= 3;
    size.right.valid = size.right.valid && size.right.inliers >= 3;
    if (!size.left.valid && !size.right.valid) return size;
    if (!size.left.valid) size.left = size.right;
    if (!size.right.valid) size.right = size.left;
    // The edges span part of the symbol at least, and not much more than it.
    for (const TRowFit* fit : {&size.left, &size.right}) {
        const double top = std::min(fit->vOf(0), fit->vOf(variant.rows));
        const double bottom = std::max(fit->vOf(0), fit->vOf(variant.rows));
        const double slack = 2.5 / std::abs(fit->slope) + 0.1;
        if (top > slack || bottom < 1 - slack) return size;
    }
    // The centre RAPs lie on rows between the two edges' fits.
    const double share =
        TLayout::centreStart(variant.columns) / static_cast<double>(TLayout::rowModules(variant.columns));
    int32_t centres = 0;
    for (const TRapRead& rap : raps_) {
        if (rap.kind != CENTRE) continue;
        const int32_t row = TLayout::rowOf(variant, variant.centre, rap.number);
        if (row < 0) continue;
        const double expected = (1 - share) * size.left.rowAt(rap.v) + share * size.right.rowAt(rap.v);
        if (std::abs(expected - (row + 0.5)) <= 0.8) ++centres;
    }
    size.score = size.left.inliers + size.right.inliers + centres;
    return size;
}

TVekPDF417Grid TVekMicroPDF417GridReader::readGrid(const TSize& size) {
    const TLayout::TVariant& variant = *size.variant;
    const int32_t columns = variant.columns;
    std::vector<TCell> cells(static_cast<size_t>(variant.rows * columns));
    const double rowPixels = distance(sampler_.toPicture(0, size.left.vOf(0)),
                                      sampler_.toPicture(0, size.left.vOf(variant.rows))) / variant.rows;
    const int32_t lines = countOf(rowPixels / 1.5, 3, 8);
    const int32_t lead = thorough_ ? 4 : 2;
    for (int32_t row = 0; row < variant.rows; ++row) {
        // The row's middle first, then outwards; enough once every cell has
        // one clear reading (two when thorough) more than any rival.
        for (int32_t i = 0; i < lines; ++i) {
            const int32_t side = (i + 1) / 2;
            const double within = 0.5 + (i % 2 == 0 ? 1 : -1) * 0.35 * side / ((lines + 1) / 2);
            readRow(size, row, size.left.vOf(row + within), size.right.vOf(row + within), cells);
            const auto first = cells.begin() + static_cast<std::ptrdiff_t>(row * columns);
            if (std::all_of(first, first + columns, [lead](const TCell& cell) { return cell.isSettled(lead); })) break;
        }
    }
    TVekPDF417Grid grid;
    grid.rows = variant.rows;
    grid.columns = columns;
    grid.microEccCount = variant.eccCount;
    grid.codewords.resize(cells.size());
    std::transform(cells.begin(), cells.end(), grid.codewords.begin(), [](const TCell& cell) { return cell.best(); });
    const double width = sampler_.width();
    grid.corners = {sampler_.toPicture(0, size.left.vOf(0)), sampler_.toPicture(width, size.right.vOf(0)),
                    sampler_.toPicture(width, size.right.vOf(variant.rows)),
                    sampler_.toPicture(0, size.left.vOf(variant.rows))};
    return grid;
}

void TVekMicroPDF417GridReader::readRow(const TSize& size, int32_t row, double vLeft, double vRight,
                                        std::vector<TCell>& cells) {
    const TLayout::TVariant& variant = *size.variant;
    const int32_t columns = variant.columns;
    sampler_.sampleLine(-3, TLayout::rightStart(columns) + 2, vLeft, vRight, edges_);
    const int32_t cluster = (variant.cluster + row) % 3;
    const TVekPDF417Tolerance tolerance{aliased_, cluster};
    // Each character where the one before it ended (where the left RAP or
    // the centre RAP ended, for the first of a side); where that failed,
    // where it should be, moved as far as the last reading was.
    double drift = 0;
    double next = -1;
    const TVekMicroPDF417Rap left = TVekMicroPDF417RapReader::readNear(edges_, 0, RAP_REACH);
    if (left.valid() && !left.centre) {
        drift = left.start;
        next = left.end;
    }
    for (int32_t column = 0; column < columns; ++column) {
        const double nominal = TLayout::columnStart(columns, column);
        if (columns >= 3 && nominal - TLayout::RAP_MODULES == TLayout::centreStart(columns)) {
            const double expected = next >= 0 ? next : nominal - TLayout::RAP_MODULES + drift;
            const TVekMicroPDF417Rap centre = TVekMicroPDF417RapReader::readNear(edges_, expected, 1.5);
            next = centre.valid() && centre.centre ? centre.end : -1;
        }
        const TVekPDF417Character character =
            next >= 0 ? TVekPDF417CharacterReader::readNear(edges_, next, 1.5, tolerance)
                      : TVekPDF417CharacterReader::readNear(edges_, nominal + drift, 3, tolerance);
        next = character.valid() ? character.end : -1;
        if (!character.valid()) continue;
        drift = character.start - nominal;
        if (character.cluster == cluster) cells[static_cast<size_t>(row * columns + column)].vote(character);
    }
}

}  // namespace orvel
