#include "qrcode/VekQRFinderScanner.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cmath>
#include <optional>

namespace orvel {

namespace {

// The five runs of a pattern seen along one line through a dark pixel, and
// where the line crosses the pattern's centre.
struct TCrossing {
    std::array<int32_t, 5> runs{};
    double centre = 0;  // along the line, from the start pixel's near edge
    // Pixels per module from the inner five modules: the outer ring may have
    // run into dark surroundings.
    double module() const { return (runs[1] + runs[2] + runs[3]) / 5.0; }
};

// Walks from (x, y) by (dx, dy) while the colour stays `dark`, at most
// `limit` pixels; returns how many pixels were of that colour and whether the
// walk stopped at the picture's edge.
int32_t runLength(const TVekBitMatrix& bits, int32_t& x, int32_t& y, int32_t dx, int32_t dy, bool dark, int32_t limit,
                  bool& atEdge) {
    int32_t n = 0;
    atEdge = false;
    while (n <= limit) {
        if (x < 0 || y < 0 || x >= bits.width() || y >= bits.height()) {
            atEdge = true;
            return n;
        }
        if (bits.get(x, y) != dark) return n;
        ++n;
        x += dx;
        y += dy;
    }
    return n;
}

// The centre run, the light ring and the outer ring on one side of (x, y).
// The outer ring may be cut by the picture's edge (a finder drawn up to the
// edge); the light ring may not.
std::optional<std::array<int32_t, 3>> halfCrossing(const TVekBitMatrix& bits, int32_t x, int32_t y, int32_t dx,
                                                   int32_t dy, int32_t limit) {
    bool atEdge = false;
    std::array<int32_t, 3> runs{};
    runs[0] = runLength(bits, x, y, dx, dy, true, limit, atEdge);
    if (atEdge || runs[0] > limit) return std::nullopt;
    runs[1] = runLength(bits, x, y, dx, dy, false, limit, atEdge);
    if (atEdge || runs[1] > limit) return std::nullopt;
    // The outer ring may run on into dark surroundings: long is enough.
    runs[2] = std::min(runLength(bits, x, y, dx, dy, true, limit, atEdge), limit);
    if (runs[2] == 0) return std::nullopt;
    return runs;
}

// The pattern along the line through the dark pixel (x, y) in direction
// (dx, dy), when it has the finder's proportions.
std::optional<TCrossing> crossing(const TVekBitMatrix& bits, int32_t x, int32_t y, int32_t dx, int32_t dy,
                                  int32_t limit) {
    if (x < 0 || y < 0 || x >= bits.width() || y >= bits.height() || !bits.get(x, y)) return std::nullopt;
    const auto forward = halfCrossing(bits, x, y, dx, dy, limit);
    if (!forward) return std::nullopt;
    const auto backward = halfCrossing(bits, x, y, -dx, -dy, limit);
    if (!backward) return std::nullopt;
    TCrossing c;
    c.runs = {(*backward)[2], (*backward)[1], (*backward)[0] + (*forward)[0] - 1, (*forward)[1], (*forward)[2]};
    if (!TVekQRFinderScanner::hasFinderProportions(c.runs)) return std::nullopt;
    // The middle of the centre run and of the light ring; the outer ring is
    // left out, it may be cut by the picture's edge.
    const double centreRun = ((*forward)[0] - (*backward)[0] + 1) / 2.0;
    const double lightRing = ((*forward)[0] + (*forward)[1] - (*backward)[0] - (*backward)[1] + 1) / 2.0;
    c.centre = (centreRun + lightRing) / 2.0;
    return c;
}

// Confirms a row hit centred at cx on row y; the candidate, or none.
std::optional<TVekQRFinderCandidate> confirm(const TVekBitMatrix& bits, double cx, int32_t y, double rowModule) {
    const auto limit = static_cast<int32_t>(14 * rowModule) + 2;
    auto x = static_cast<int32_t>(std::floor(cx));
    const auto vertical = crossing(bits, x, y, 0, 1, limit);
    if (!vertical) return std::nullopt;
    // A tilted symbol foreshortens one direction, never by this much.
    const double columnModule = vertical->module();
    if (2 * columnModule < rowModule || columnModule > 2 * rowModule) return std::nullopt;
    const double cy = y + vertical->centre;
    const auto iy = static_cast<int32_t>(std::floor(cy));

    const auto horizontal = crossing(bits, x, iy, 1, 0, limit);
    if (!horizontal) return std::nullopt;
    const double refinedX = x + horizontal->centre;
    x = static_cast<int32_t>(std::floor(refinedX));
    const auto column = crossing(bits, x, iy, 0, 1, limit);
    if (!column) return std::nullopt;
    const double refinedY = iy + column->centre;

    const auto diagonal = crossing(bits, x, static_cast<int32_t>(std::floor(refinedY)), 1, 1, limit);
    if (!diagonal) return std::nullopt;

    TVekQRFinderCandidate candidate;
    candidate.centre = {refinedX, refinedY};
    candidate.moduleSize = (horizontal->module() + column->module()) / 2;
    return candidate;
}

// The end of the run that starts at x: the first pixel of another colour, or
// the row's end. Long runs (margins, blank paper) are crossed eight pixels
// at a time.
int32_t runEnd(const uint8_t* row, int32_t x, int32_t width) {
    const uint8_t colour = row[x];
    ++x;
    if constexpr (std::endian::native == std::endian::little) {
        const uint64_t same = colour ? 0x0101010101010101ULL : 0;
        while (x + 8 <= width) {
            uint64_t word;
            std::memcpy(&word, row + x, sizeof word);
            if (const uint64_t differs = word ^ same) return x + std::countr_zero(differs) / 8;
            x += 8;
        }
    }
    while (x < width && row[x] == colour) ++x;
    return x;
}

// The candidates of one scan, filed by where their centres lie, so that a
// hit is compared with the candidates near it only, not with every one.
class TCandidateFile {
public:
    // Each hit stands for `rowsPerHit` scan rows.
    TCandidateFile(const TVekBitMatrix& bits, size_t capacity, int32_t rowsPerHit)
        : columns_(bits.width() / kCell + 1), rows_(bits.height() / kCell + 1), capacity_(capacity),
          rowsPerHit_(rowsPerHit),
          cells_(static_cast<size_t>(columns_) * rows_) {}

    // Adds the hit to the first candidate (in the order they were found) it
    // belongs to, or as a new one while there is room.
    void merge(const TVekQRFinderCandidate& hit) {
        // A hit joins a candidate within three of the larger module sizes,
        // which is at most twice its own.
        const double reach = 6 * hit.moduleSize + 1;
        size_t first = candidates_.size();
        forEachNear(hit.centre, reach, [&](uint32_t index) {
            const TVekQRFinderCandidate& c = candidates_[index];
            const double size = std::max(c.moduleSize, hit.moduleSize);
            if (index >= first || distance(c.centre, hit.centre) > 3 * size) return;
            if (c.moduleSize > 2 * hit.moduleSize || hit.moduleSize > 2 * c.moduleSize) return;
            first = index;
        });
        if (first < candidates_.size()) {
            TVekQRFinderCandidate& c = candidates_[first];
            const size_t before = cellOf(c.centre);
            const double n = c.count / rowsPerHit_;
            c.centre = (1.0 / (n + 1)) * (n * c.centre + hit.centre);
            c.moduleSize = (n * c.moduleSize + hit.moduleSize) / (n + 1);
            c.count += rowsPerHit_;
            const size_t after = cellOf(c.centre);
            if (after != before) {
                std::erase(cells_[before], static_cast<uint32_t>(first));
                cells_[after].push_back(static_cast<uint32_t>(first));
            }
            return;
        }
        if (candidates_.size() >= capacity_) return;
        cells_[cellOf(hit.centre)].push_back(static_cast<uint32_t>(candidates_.size()));
        candidates_.push_back(hit);
        candidates_.back().count = rowsPerHit_;
    }

    std::vector<TVekQRFinderCandidate> take() { return std::move(candidates_); }

private:
    static constexpr int32_t kCell = 16;

    int32_t cellIndex(double v, int32_t count) const {
        return std::clamp(static_cast<int32_t>(std::clamp(std::floor(v / kCell), -1.0, 1e7)), 0, count - 1);
    }
    size_t cellOf(const TVekPointF& p) const {
        return static_cast<size_t>(cellIndex(p.y, rows_)) * columns_ + cellIndex(p.x, columns_);
    }
    template <typename Visit>
    void forEachNear(const TVekPointF& p, double reach, Visit visit) const {
        const int32_t x0 = cellIndex(p.x - reach, columns_), x1 = cellIndex(p.x + reach, columns_);
        const int32_t y0 = cellIndex(p.y - reach, rows_), y1 = cellIndex(p.y + reach, rows_);
        for (int32_t y = y0; y <= y1; ++y)
            for (int32_t x = x0; x <= x1; ++x)
                for (uint32_t index : cells_[static_cast<size_t>(y) * columns_ + x]) visit(index);
    }

    int32_t columns_, rows_;
    size_t capacity_;
    int32_t rowsPerHit_;
    std::vector<std::vector<uint32_t>> cells_;
    std::vector<TVekQRFinderCandidate> candidates_;
};

}  // namespace

bool TVekQRFinderScanner::hasFinderProportions(const std::array<int32_t, 5>& runs) {
    // In tenths of a pixel, so that the test stays in integers: the module is
    // a fifth of the inner three runs, with half a module of slack and half a
    // pixel more for the rounding of small modules.
    const int32_t inner = runs[1] + runs[2] + runs[3];
    if (inner < 5) return false;
    // The centre is three modules wide, wider than either light ring even
    // when blur eats into it: equal runs (a checkerboard, stripes, a grid of
    // squares) are no finder.
    if (runs[2] <= runs[1] || runs[2] <= runs[3]) return false;
    const int32_t module = 2 * inner;
    const int32_t slack = inner + 5;
    if (std::abs(10 * runs[1] - module) > slack || std::abs(10 * runs[3] - module) > slack) return false;
    if (std::abs(10 * runs[2] - 3 * module) >= 3 * slack) return false;
    // The outer ring: one side may run on into something dark next to the
    // symbol (a shadow, a finger), not both.
    const bool shortOuter = 10 * runs[0] < module - slack || 10 * runs[4] < module - slack;
    const bool longOuter0 = 10 * runs[0] > module + slack;
    const bool longOuter4 = 10 * runs[4] > module + slack;
    return !shortOuter && !(longOuter0 && longOuter4);
}

size_t TVekQRFinderScanner::maxCandidatesFor(const TVekBitMatrix& bits) {
    return std::max(maxCandidates, static_cast<size_t>(bits.width()) * bits.height() / 512);
}

size_t TVekQRFinderScanner::crowdedFor(const TVekBitMatrix& bits) {
    return std::max(maxCandidates, static_cast<size_t>(bits.width()) * bits.height() / 2048);
}

std::vector<TVekQRFinderCandidate> TVekQRFinderScanner::scan(const TVekBitMatrix& bits) {
    // Every other row: the smallest finder readable (1.5 pixels a module)
    // has a centre four pixels high, crossed by two scan rows still.
    constexpr int32_t kRowStep = 2;
    TCandidateFile candidates(bits, maxCandidatesFor(bits), kRowStep);
    const int32_t width = bits.width();
    // The confirmation of a hit depends only on its column and on the dark
    // run of that column it lies in: a hit right below the previous scan
    // row's hit in the same column, joined to it by dark pixels, gets the
    // same answer, which is reused.
    std::vector<int32_t> lastRow(static_cast<size_t>(width), -2);
    std::vector<std::optional<TVekQRFinderCandidate>> lastAnswer(static_cast<size_t>(width));
    std::array<int32_t, 5> runs{};
    for (int32_t y = kRowStep / 2; y < bits.height(); y += kRowStep) {
        const uint8_t* row = bits.row(y);
        int32_t seen = 0;  // runs in the window, up to 5
        int32_t x = 0;
        while (x < width) {
            const uint8_t colour = row[x];
            const int32_t start = x;
            x = runEnd(row, x, width);
            runs = {runs[1], runs[2], runs[3], runs[4], x - start};
            if (seen < 5) ++seen;
            if (colour == 0 || seen < 5 || !hasFinderProportions(runs)) continue;
            const double cx = x - runs[4] - runs[3] - runs[2] / 2.0;
            const auto column = static_cast<size_t>(std::floor(cx));
            if (lastRow[column] != y - kRowStep || !bits.get(static_cast<int32_t>(column), y - 1))
                lastAnswer[column] = confirm(bits, cx, y, (runs[1] + runs[2] + runs[3]) / 5.0);
            lastRow[column] = y;
            if (lastAnswer[column]) candidates.merge(*lastAnswer[column]);
        }
    }
    return candidates.take();
}

}  // namespace orvel
