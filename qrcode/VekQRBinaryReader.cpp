#include "qrcode/VekQRBinaryReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/VekGridSampler.h"
#include "qrcode/VekQRFinderScanner.h"
#include "qrcode/VekQRGridLocator.h"
#include "qrcode/VekQRGridRefiner.h"
#include "qrcode/VekQRMatrixDecoder.h"
#include "qrcode/VekQRSmallFinderArea.h"
#include "qrcode/VekQRTripletPicker.h"

namespace orvel {

namespace {

constexpr uint32_t kFinderColour = 0xFF0000;
constexpr uint32_t kGridColour = 0x00C000;
// A failed triplet is reported only when it looks this square.
constexpr double kReportableScore = 0.35;
// Each decoded symbol earns this many more triplets to try: on a sheet of
// symbols, triplets across neighbours are as square as a symbol's own and
// fail now and then.
constexpr size_t kTripletsPerDecoded = 3;
// Share of the timing modules a grid must read right to be sampled at all.
constexpr int32_t kPlausibleTimingPercent = 65;
// Grids tried per triplet, over all its dimensions.
constexpr size_t kMaxGrids = 8;
// Triplets of neighbouring finders tried before any of them decoded: the
// most square come first, a sheet's own triplets among them, and each
// symbol decoded earns kTripletsPerDecoded more, so a sheet reads on while
// noise, whose triplets never decode, stops here.
constexpr size_t kNeighbourTriplets = 64;

// The timing patterns between the finders alternate; a grid over anything
// else is right about half of the time.
bool hasTiming(const TVekBitMatrix& modules) {
    const int32_t n = modules.width();
    int32_t right = 0;
    int32_t total = 0;
    for (int32_t i = 8; i < n - 8; ++i) {
        const bool dark = i % 2 == 0;
        right += (modules.get(i, 6) == dark) + (modules.get(6, i) == dark);
        total += 2;
    }
    return total > 0 && right * 10 >= total * 8;
}

// Before a whole grid is sampled and decoded: do its timing patterns, read
// straight from the picture, alternate more often than chance? A grid over
// noise or a wrong triplet gets about half of them right.
bool timingPlausible(const TVekBitMatrix& bits, const TVekQRGrid& grid) {
    const int32_t n = grid.dimension;
    int32_t right = 0;
    int32_t total = 0;
    for (int32_t i = 8; i < n - 8; ++i) {
        const bool dark = i % 2 == 0;
        for (const TVekPointF module : {TVekPointF{i + 0.5, 6.5}, TVekPointF{6.5, i + 0.5}}) {
            const TVekPointF p = grid.moduleToPicture.map(module);
            const bool inside = p.x >= 0 && p.y >= 0 && p.x < bits.width() && p.y < bits.height();
            right += inside && bits.get(static_cast<int32_t>(p.x), static_cast<int32_t>(p.y)) == dark;
            ++total;
        }
    }
    return right * 100 >= total * kPlausibleTimingPercent;
}

std::array<TVekPointF, 4> corners(const TVekQRGrid& grid) {
    const double n = grid.dimension;
    return {grid.moduleToPicture.map({0, 0}), grid.moduleToPicture.map({n, 0}), grid.moduleToPicture.map({n, n}),
            grid.moduleToPicture.map({0, n})};
}

// The first grid of the triplet that decodes, else the failure of the first
// grid that looked like a symbol; `timingSeen` is set when a grid's timing
// patterns alternated. The grids of a dimension are only worked
// out when the more likely dimensions did not decode.
TVekBarcode readTriplet(const TVekBitMatrix& bits, const TVekQRFinderTriplet& triplet, bool& timingSeen) {
    TVekBarcode failure;
    failure.isValid = false;
    std::optional<TVekQRGrid> bestLooking;
    size_t tried = 0;
    for (const int32_t dimension : TVekQRGridLocator::dimensions(bits, triplet)) {
        for (const TVekQRGrid& grid : TVekQRGridLocator::grids(bits, triplet, dimension)) {
            if (++tried > kMaxGrids) break;
            if (!timingPlausible(bits, grid)) continue;
            timingSeen = true;
            const auto modules = TVekGridSampler::sample(bits, grid.dimension, grid.dimension, grid.moduleToPicture);
            if (!modules) continue;
            TVekBarcode result = TVekQRMatrixDecoder::decode(*modules);
            result.position = corners(grid);
            if (result.isValid) return result;
            if (failure.error.empty() && hasTiming(*modules)) {
                failure = result;
                bestLooking = grid;
            }
        }
    }
    // A grid that found the timing but not the data: a bent surface, or a
    // perspective the finders only roughly give. Let the module edges move it.
    if (bestLooking) {
        if (const auto modules = TVekQRGridRefiner::sample(bits, bestLooking->dimension, bestLooking->moduleToPicture)) {
            TVekBarcode result = TVekQRMatrixDecoder::decode(*modules);
            result.position = corners(*bestLooking);
            if (result.isValid) return result;
        }
    }
    return failure;
}

// True when the point lies inside the quadrilateral (corners in order, either
// turning sense).
bool inside(const std::array<TVekPointF, 4>& quad, TVekPointF p) {
    int positive = 0;
    for (size_t i = 0; i < 4; ++i) positive += cross(quad[(i + 1) % 4] - quad[i], p - quad[i]) > 0;
    return positive == 0 || positive == 4;
}

// The decoded symbols, filed by the cells of the picture their outlines
// cover, so that asking whether a point lies in one looks at the few
// symbols near it, not at every symbol of a large sheet.
class TDecodedAreas {
public:
    TDecodedAreas(int32_t width, int32_t height)
        : columns_(width / kCell + 1), rows_(height / kCell + 1), cells_(static_cast<size_t>(columns_) * rows_) {}

    void add(const std::array<TVekPointF, 4>& quad) {
        double left = quad[0].x, right = left, top = quad[0].y, bottom = top;
        for (const TVekPointF& p : quad) {
            left = std::min(left, p.x), right = std::max(right, p.x);
            top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        }
        const auto index = static_cast<uint32_t>(quads_.size());
        quads_.push_back(quad);
        for (int32_t y = cell(top, rows_); y <= cell(bottom, rows_); ++y)
            for (int32_t x = cell(left, columns_); x <= cell(right, columns_); ++x)
                cells_[static_cast<size_t>(y) * columns_ + x].push_back(index);
    }

    bool contains(TVekPointF p) const {
        const auto& near = cells_[static_cast<size_t>(cell(p.y, rows_)) * columns_ + cell(p.x, columns_)];
        return std::any_of(near.begin(), near.end(), [&](uint32_t i) { return inside(quads_[i], p); });
    }

private:
    static constexpr int32_t kCell = 64;

    // The cell of a coordinate, those outside the picture at its edge.
    static int32_t cell(double v, int32_t count) {
        const double c = std::floor(v / kCell);
        if (!(c > 0)) return 0;
        return static_cast<int32_t>(std::min(c, count - 1.0));
    }

    int32_t columns_, rows_;
    std::vector<std::vector<uint32_t>> cells_;
    std::vector<std::array<TVekPointF, 4>> quads_;
};

}  // namespace

TVekQRBinaryFinds TVekQRBinaryReader::read(const TVekBitMatrix& bits, size_t maxTriplets, TVekDebugSink* debug) {
    TVekQRBinaryFinds finds;
    const auto candidates = TVekQRFinderScanner::scan(bits);
    finds.finders = candidates.size();
    finds.crowded = candidates.size() >= TVekQRFinderScanner::crowdedFor(bits);
    for (const auto& c : candidates) {
        if (finds.smallestModule == 0 || c.moduleSize < finds.smallestModule) finds.smallestModule = c.moduleSize;
        if (debug) debug->point(c.centre, kFinderColour);
    }

    finds.smallFinderArea = TVekQRSmallFinderArea::of(candidates, bits.width(), bits.height());

    std::vector<bool> decoded(candidates.size(), false);
    TDecodedAreas insideDecoded(bits.width(), bits.height());
    std::vector<bool> reported(candidates.size(), false);
    // maxTriplets grids are tried, and a few more for each symbol decoded.
    // Beyond the finders combined with every other, the triplets of
    // neighbouring finders follow (a sheet of many symbols) with a budget
    // of their own, earned by decoding: the work grows with the symbols
    // read, and a sheet reads on as long as its symbols decode, never
    // switched off by a count of finders.
    size_t budget = maxTriplets;
    bool reportFailures = true;
    const auto tryTriplet = [&](const TVekQRFinderTriplet& triplet) {
        const auto& ix = triplet.indices;
        if (decoded[ix[0]] || decoded[ix[1]] || decoded[ix[2]] || budget == 0) return;
        // Finder-like runs inside a decoded symbol are its data.
        if (std::any_of(ix.begin(), ix.end(), [&](size_t i) { return insideDecoded.contains(candidates[i].centre); }))
            return;
        --budget;
        TVekBarcode result = readTriplet(bits, triplet, finds.timingSeen);
        if (result.isValid) {
            budget += kTripletsPerDecoded;
            reportFailures = true;
            for (size_t i : ix) decoded[i] = true;
            insideDecoded.add(result.position);
            if (debug)
                for (size_t i = 0; i < 4; ++i) debug->line(result.position[i], result.position[(i + 1) % 4], kGridColour);
            finds.symbols.push_back(std::move(result));
        } else if (reportFailures && !result.error.empty() && triplet.score < kReportableScore &&
                   !(reported[ix[0]] || reported[ix[1]] || reported[ix[2]])) {
            for (size_t i : ix) reported[i] = true;
            finds.symbols.push_back(std::move(result));
        }
    };
    const auto picked = TVekQRTripletPicker::pick(candidates, maxTriplets);
    finds.triplets = picked.size();
    for (const auto& triplet : picked) tryTriplet(triplet);
    if (candidates.size() > TVekQRTripletPicker::maxFinders) {
        budget += kNeighbourTriplets;
        // Among many finder-like patterns (noise, texture) a grid somewhere
        // shows timing by chance: their failures count only next to symbols.
        reportFailures = std::any_of(finds.symbols.begin(), finds.symbols.end(),
                                     [](const TVekBarcode& b) { return b.isValid; });
        for (const auto& triplet : TVekQRTripletPicker::pickNeighbours(candidates)) tryTriplet(triplet);
    }
    // A failure inside a decoded symbol was a wrong triplet.
    std::vector<std::pair<TVekPointF, double>> decodedAreas;
    for (const auto& b : finds.symbols)
        if (b.isValid) decodedAreas.emplace_back(b.centre(), distance(b.position[0], b.position[2]) / 2);
    std::erase_if(finds.symbols, [&](const TVekBarcode& b) {
        return !b.isValid && std::any_of(decodedAreas.begin(), decodedAreas.end(), [&](const auto& area) {
                   return distance(area.first, b.centre()) < area.second;
               });
    });
    return finds;
}

}  // namespace orvel
