#include "pdf417/VekPDF417GridReader.h"

#include <algorithm>
#include <cmath>

#include "pdf417/VekPDF417RowSnapper.h"

namespace orvel {

namespace {

constexpr int32_t MAX_ROWS = 90;
constexpr int32_t MAX_COLUMNS = 30;
constexpr int32_t CHARACTER = 17;
// Start pattern and left row indicator before the first data column.
constexpr double FIRST_DATA = 2 * CHARACTER;
// The right row indicator and stop pattern after the last data column.
constexpr double RIGHT_FRAME = 2 * CHARACTER + 1;
constexpr int32_t MIN_SWEEP_LINES = 24;
constexpr int32_t MIN_QUICK_SWEEP_LINES = 16;
constexpr int32_t MAX_SWEEP_LINES = 120;
constexpr double SWEEP_MARGIN = 0.25;  // of the edge length, beyond either end
// Modules of fewer pixels put every edge on a pixel border: characters are
// then also read by their nearest fit (TVekPDF417Tolerance).
constexpr double ALIASED_MODULE = 1.6;

// A count from a measurement, within bounds; a measurement that is not a
// number (a degenerate frame) gives the lower bound.
int32_t countOf(double value, int32_t low, int32_t high) {
    if (!(value >= low)) return low;
    return value >= high ? high : static_cast<int32_t>(value);
}

int32_t argMax(const int32_t* counts, size_t size) {
    const int32_t* top = std::max_element(counts, counts + size);
    return *top > 0 ? static_cast<int32_t>(top - counts) : -1;
}

int32_t weightOf(const TVekPDF417Character& character) { return character.fitted ? 1 : 2; }

}  // namespace

std::optional<TVekPDF417Grid> TVekPDF417GridReader::read(const TVekPDF417Candidate& candidate, bool thorough) {
    thorough_ = thorough;
    hasStop_ = candidate.hasStop;
    module_ = std::max(candidate.module, 0.5);
    aliased_ = module_ < ALIASED_MODULE;
    // About a sample per pixel, at least three per module.
    sampler_.setStep(std::clamp(1 / module_, 0.1, 0.34));
    TShapeVotes votes;
    int32_t columns = 0;
    for (const int32_t guess : candidate.columns) {
        if (candidate.hasStop && guess == 0) break;
        columns = shape(candidate, std::max(guess, 1), votes);
        if (columns > 0 || !candidate.hasStop) break;
    }
    if (columns <= 0 && candidate.hasStop) {
        // The stop edge may belong to something else: the start alone, as
        // for a compact symbol, still shows the left row indicators.
        hasStop_ = false;
        columns = shape(candidate, 1, votes);
    }
    if (columns <= 0) return std::nullopt;
    const int32_t rowGroup = argMax(votes.rowGroups.data(), votes.rowGroups.size());
    const int32_t rowRest = argMax(votes.rowRests.data(), votes.rowRests.size());
    const int32_t ecLevel = argMax(votes.ecLevels.data(), votes.ecLevels.size());
    if (rowGroup < 0 || rowRest < 0 || ecLevel < 0) return std::nullopt;
    TVekPDF417Grid grid;
    grid.rows = 3 * rowGroup + rowRest + 1;
    grid.columns = columns;
    grid.ecLevel = ecLevel;
    if (grid.rows < 3 || grid.rows > MAX_ROWS || grid.rows * columns <= grid.eccCount() ||
        grid.rows * columns > 928 + grid.eccCount()) {
        return std::nullopt;
    }

    const auto keepRows = [&grid](std::vector<TRowRead>& reads) {
        std::erase_if(reads, [&grid](const TRowRead& read) { return read.row >= grid.rows; });
    };
    keepRows(leftReads_);
    keepRows(rightReads_);
    TRowFit left = TRowFit::fit(leftReads_);
    TRowFit right = TRowFit::fit(rightReads_);
    if (!left.valid && !right.valid) return std::nullopt;
    if (!left.valid) left = right;
    if (!right.valid) right = left;

    std::vector<TCell> cells(static_cast<size_t>(grid.rows * columns));
    const double rowPixels = distance(sampler_.toPicture(0, left.vOf(0)), sampler_.toPicture(0, left.vOf(grid.rows))) / grid.rows;
    const int32_t lines = countOf(rowPixels / 1.5, 3, 8);
    for (int32_t row = 0; row < grid.rows; ++row) {
        // The row's middle first, then outwards; enough once every cell has
        // one clear reading (two when thorough) more than any rival.
        const int32_t lead = thorough_ ? 4 : 2;
        for (int32_t i = 0; i < lines; ++i) {
            const int32_t side = (i + 1) / 2;
            const double within = 0.5 + (i % 2 == 0 ? 1 : -1) * 0.35 * side / ((lines + 1) / 2);
            readRow(row, left.vOf(row + within), right.vOf(row + within), columns, cells);
            const auto first = cells.begin() + static_cast<std::ptrdiff_t>(row * columns);
            if (std::all_of(first, first + columns, [lead](const TCell& cell) { return cell.isSettled(lead); })) break;
        }
    }
    grid.codewords.resize(cells.size());
    std::transform(cells.begin(), cells.end(), grid.codewords.begin(), [](const TCell& cell) { return cell.best(); });
    grid.corners = {sampler_.toPicture(0, left.vOf(0)), sampler_.toPicture(width_, right.vOf(0)),
                    sampler_.toPicture(width_, right.vOf(grid.rows)), sampler_.toPicture(0, left.vOf(grid.rows))};
    return grid;
}

int32_t TVekPDF417GridReader::shape(const TVekPDF417Candidate& candidate, int32_t columns, TShapeVotes& votes) {
    votes = {};
    setFrame(candidate, columns);
    sweepIndicators(votes);
    const int32_t voted = argMax(votes.columns.data(), votes.columns.size()) + 1;
    if (voted <= 0 || voted == columns) return voted;
    // The frame was drawn for the wrong width: once more with the right one.
    votes = {};
    setFrame(candidate, voted);
    sweepIndicators(votes);
    return argMax(votes.columns.data(), votes.columns.size()) + 1 == voted ? voted : 0;
}

void TVekPDF417GridReader::setFrame(const TVekPDF417Candidate& candidate, int32_t columns) {
    TVekPerspectiveTransform::TQuad quad;
    if (hasStop_) {
        width_ = FIRST_DATA + CHARACTER * columns + RIGHT_FRAME;
        quad = {candidate.startFirst, candidate.stopFirst, candidate.stopLast, candidate.startLast};
    } else {
        // Compact: the data columns end in a single stop bar.
        width_ = FIRST_DATA + CHARACTER * columns + 1;
        const TVekPointF across = (width_ * module_) * candidate.across;
        quad = {candidate.startFirst, candidate.startFirst + across, candidate.startLast + across,
                candidate.startLast};
    }
    sampler_.setFrame(quad, width_);
}

void TVekPDF417GridReader::sweepIndicators(TShapeVotes& votes) {
    leftReads_.clear();
    rightReads_.clear();
    const double edgePixels = distance(sampler_.toPicture(0, 0), sampler_.toPicture(0, 1));
    // A line every two modules (four when quick): rows are three or more
    // modules high, and the votes and the row fits need a few dozen reads,
    // not every row.
    const double spacing = (thorough_ ? 2 : 4) * module_;
    const int32_t lines = countOf(edgePixels * (1 + 2 * SWEEP_MARGIN) / spacing,
                                  thorough_ ? MIN_SWEEP_LINES : MIN_QUICK_SWEEP_LINES, MAX_SWEEP_LINES);
    for (int32_t i = 0; i < lines; ++i) {
        const double v = -SWEEP_MARGIN + (1 + 2 * SWEEP_MARGIN) * (i + 0.5) / lines;
        readIndicator(CHARACTER, v, true, votes);
        if (hasStop_) readIndicator(width_ - RIGHT_FRAME, v, false, votes);
    }
}

void TVekPDF417GridReader::readIndicator(double expected, double v, bool left, TShapeVotes& votes) {
    sampler_.sampleLine(expected - 4, expected + CHARACTER + 4, v, v, edges_);
    const TVekPDF417Character indicator =
        TVekPDF417CharacterReader::readNear(edges_, expected, 2.5, TVekPDF417Tolerance{aliased_, -1});
    if (!indicator.valid()) return;
    const int32_t row = 3 * (indicator.value / 30) + indicator.cluster;
    const int32_t parameter = indicator.value % 30;
    (left ? leftReads_ : rightReads_).push_back({v, row});
    // Which shape number an indicator carries turns with the cluster, and
    // the right indicators are one step on from the left ones.
    const int32_t kind = (indicator.cluster + (left ? 0 : 2)) % 3;
    const int32_t weight = weightOf(indicator);
    switch (kind) {
        case 0: votes.rowGroups[static_cast<size_t>(parameter)] += weight; break;
        case 1:
            votes.rowRests[static_cast<size_t>(parameter % 3)] += weight;
            votes.ecLevels[static_cast<size_t>(parameter / 3)] += weight;
            break;
        default: votes.columns[static_cast<size_t>(parameter)] += weight; break;
    }
}

void TVekPDF417GridReader::readRow(int32_t row, double vLeft, double vRight, int32_t columns,
                                   std::vector<TCell>& cells) {
    // Modules of about a pixel: the whole row, up to its right edge, puts
    // its edges on whole modules.
    const double end = aliased_ ? width_ + 2 : FIRST_DATA + CHARACTER * columns + 2;
    sampler_.sampleLine(-2, end, vLeft, vRight, edges_);
    const bool snapped = aliased_ && TVekPDF417RowSnapper::snap(edges_, columns + (hasStop_ ? 3 : 2), snapped_);
    const int32_t cluster = row % 3;
    const TVekPDF417Tolerance tolerance{aliased_, cluster};
    double drift = 0;
    TVekPDF417Character previous = TVekPDF417CharacterReader::readNear(edges_, CHARACTER, 2.5, tolerance);
    if (previous.valid()) drift = previous.start - CHARACTER;
    for (int32_t column = 0; column < columns; ++column) {
        const double nominal = FIRST_DATA + CHARACTER * column;
        const TVekPDF417Character character =
            previous.valid() ? TVekPDF417CharacterReader::readNear(edges_, previous.end, 1.5, tolerance)
                             : TVekPDF417CharacterReader::readNear(edges_, nominal + drift, 3, tolerance);
        if (character.valid()) drift = character.start - nominal;
        previous = character;
        TVekPDF417Character chosen = character;
        if (snapped) {
            // Whole modules read plainly; a character that does not span
            // exactly 17 of them was snapped wrong.
            const TVekPDF417Character whole = TVekPDF417CharacterReader::readNear(snapped_, nominal, 0.5);
            if (whole.valid() && whole.cluster == cluster && whole.end - whole.start == CHARACTER) chosen = whole;
        }
        if (chosen.valid() && chosen.cluster == cluster) {
            cells[static_cast<size_t>(row * columns + column)].vote(chosen);
        }
    }
}

}  // namespace orvel
