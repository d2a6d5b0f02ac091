#include "pdf417/VekPDF417PhotoReader.h"

#include <algorithm>
#include <cmath>

#include "pdf417/VekPDF417GridReader.h"
#include "pdf417/VekPDF417PatternScanner.h"
#include "pdf417/VekPDF417SymbolDecoder.h"

namespace orvel {

namespace {

// Scan lines per picture side, within bounds in pixels.
constexpr int32_t LINES_PER_SIDE = 120;
constexpr int32_t MIN_STEP = 3;
constexpr int32_t MAX_STEP = 10;
// Pictures up to this many pixels get a look at twice their size.
constexpr int64_t MAX_UPSCALED_PIXELS = 1600 * 1200;
// Start and stop patterns with modules of at least this many pixels are
// measured as well as they can be: twice the size adds nothing.
constexpr double MAX_UPSCALED_MODULE = 3.5;

// Each pixel the average of its 3 × 3 neighbourhood (edge pixels of the
// part inside): grain and JPEG speckle no longer split bars and spaces.
TVekGreyImage smoothed(const TVekGreyImage& grey) {
    const int32_t w = grey.width();
    const int32_t h = grey.height();
    std::vector<uint16_t> rows(static_cast<size_t>(w) * h);  // vertical sums of three
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* above = grey.row(std::max(y - 1, 0));
        const uint8_t* here = grey.row(y);
        const uint8_t* below = grey.row(std::min(y + 1, h - 1));
        uint16_t* sum = rows.data() + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) sum[x] = static_cast<uint16_t>(above[x] + here[x] + below[x]);
    }
    std::vector<uint8_t> pixels(rows.size());
    for (int32_t y = 0; y < h; ++y) {
        const uint16_t* sum = rows.data() + static_cast<size_t>(y) * w;
        uint8_t* out = pixels.data() + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t total = sum[std::max(x - 1, 0)] + sum[x] + sum[std::min(x + 1, w - 1)];
            out[x] = static_cast<uint8_t>((total + 4) / 9);
        }
    }
    return TVekGreyImage::fromPixels(std::move(pixels), w, h);
}

// Patterns met on a scan line that only grazes a symbol's top or bottom
// lie just outside the outline read.
constexpr double GRAZING_MARGIN = 4;  // pixels

bool allCovered(const std::vector<TVekPointF>& points, const TVekPDF417Finds& finds, double scale) {
    return !finds.empty() && std::all_of(points.begin(), points.end(),
                       [&](TVekPointF p) { return finds.covers((1 / scale) * p, GRAZING_MARGIN); });
}

// A point well inside the symbol, beside the middle of its start.
TVekPointF inward(const TVekPDF417Candidate& candidate) {
    return 0.5 * (candidate.startFirst + candidate.startLast) + (10 * candidate.module) * candidate.across;
}

// The same edges as a candidate read before, seen again by more lines: its
// ends may have moved by a line or two, but not its shape.
bool alike(const TVekPDF417Candidate& a, const TVekPDF417Candidate& b) {
    const double near = 2 * std::max(a.module, b.module) + 12;
    const auto close = [near](TVekPointF p, TVekPointF q) { return distance(p, q) <= near; };
    if (a.hasStop != b.hasStop || a.columns != b.columns) return false;
    if (!close(a.startFirst, b.startFirst) || !close(a.startLast, b.startLast)) return false;
    return !a.hasStop || (close(a.stopFirst, b.stopFirst) && close(a.stopLast, b.stopLast));
}

}  // namespace

bool TVekPDF417PhotoReader::readFirstPass(TVekBinaryCache& picture) {
    const TVekGreyImage& grey = picture.grey();
    if (grey.empty()) return false;
    first_ = readScale(grey, 1);
    return first_.count > 0 && finds_.empty() && !finds_.enough();
}

// A second and third look, only while nothing was read (unless asked to try
// hard): averaged against grain, then twice the size, this only for modules
// too small to measure well.
void TVekPDF417PhotoReader::readLaterPasses(TVekBinaryCache& picture) {
    const TVekGreyImage& grey = picture.grey();
    const auto wanted = [&] { return options_.tryHarder || finds_.empty(); };
    if (grey.empty() || !wanted() || finds_.enough()) return;
    const TGuardsSeen second = readScale(smoothed(grey), 1);
    const int64_t pixels = static_cast<int64_t>(grey.width()) * grey.height();
    const double smallest = std::min(first_.smallestModule, second.smallestModule);
    if (wanted() && !finds_.enough() && pixels <= MAX_UPSCALED_PIXELS && smallest < MAX_UPSCALED_MODULE) {
        readScale(grey.upscaled(2), 2);
    }
}

TVekPDF417PhotoReader::TGuardsSeen TVekPDF417PhotoReader::readScale(const TVekGreyImage& grey, double scale) {
    const size_t foundBefore = finds_.size();
    std::array<TVekPDF417PatternScanner, 2> scanners;  // along the rows, along the columns
    TVekPDF417GridReader gridReader(grey);
    std::vector<TVekPDF417Candidate> tried;
    const int32_t lines = options_.tryHarder ? 2 * LINES_PER_SIDE : LINES_PER_SIDE;
    // First looks along the rows and then the columns, then, where needed,
    // the lines in between: a symbol turned by a quarter is thus found by
    // the first look along the columns, without the rows' second.
    bool done = false;
    for (const bool refining : {false, true}) {
        for (const bool columns : {false, true}) {
            // Columns find the symbols turned by a quarter; unless asked to
            // try hard, only when the rows found none.
            if (done || (columns && !options_.tryHarder && (!options_.tryRotate || finds_.size() > foundBefore))) break;
            TVekPDF417PatternScanner& scanner = scanners[columns ? 1 : 0];
            if (!refining) {
                const int32_t side = columns ? grey.width() : grey.height();
                const int32_t step = std::clamp(side / lines, MIN_STEP, MAX_STEP);
                done = readCandidates(gridReader, scanner.scan(grey, step, columns), scale, tried);
            } else if (!allCovered(scanner.insidePoints(), finds_, scale)) {
                // The lines in between, unless symbols were read and every
                // pattern the first look met lies in one of them (a miss
                // may come from patterns too broken or too small for the
                // first look alone).
                done = readCandidates(gridReader, scanner.refine(grey), scale, tried);
            }
        }
    }
    TGuardsSeen guards;
    for (const TVekPDF417PatternScanner& scanner : scanners) {
        guards.count += scanner.guardCount();
        guards.smallestModule = std::min(guards.smallestModule, scanner.smallestModule() / scale);
    }
    return guards;
}

bool TVekPDF417PhotoReader::readCandidates(TVekPDF417GridReader& gridReader,
                                           const std::vector<TVekPDF417Candidate>& candidates, double scale,
                                           std::vector<TVekPDF417Candidate>& tried) {
    for (const TVekPDF417Candidate& candidate : candidates) {
        if (finds_.covers((1 / scale) * inward(candidate))) continue;
        if (std::any_of(tried.begin(), tried.end(), [&](const auto& t) { return alike(t, candidate); })) continue;
        tried.push_back(candidate);
        std::optional<TVekBarcode> read = readCandidate(gridReader, candidate, false);
        // A symbol the quick read missed gets a thorough one.
        if (!read || !read->isValid) {
            std::optional<TVekBarcode> thoroughRead = readCandidate(gridReader, candidate, true);
            if (thoroughRead) read = std::move(thoroughRead);
        }
        if (!read) continue;
        const bool decoded = read->isValid;
        finds_.add(std::move(*read), scale);
        if (decoded && finds_.enough()) return true;
    }
    return false;
}

std::optional<TVekBarcode> TVekPDF417PhotoReader::readCandidate(TVekPDF417GridReader& gridReader,
                                                               const TVekPDF417Candidate& candidate,
                                                               bool thorough) const {
    const std::optional<TVekPDF417Grid> grid = gridReader.read(candidate, thorough);
    note(candidate, grid);
    if (!grid) return std::nullopt;
    return TVekPDF417SymbolDecoder::decode(*grid);
}

void TVekPDF417PhotoReader::note(const TVekPDF417Candidate& candidate,
                                 const std::optional<TVekPDF417Grid>& grid) const {
    if (debug_ == nullptr) return;
    debug_->line(candidate.startFirst, candidate.startLast, 0x0000C0u);
    if (candidate.hasStop) debug_->line(candidate.stopFirst, candidate.stopLast, 0x0000C0u);
    std::string text = "PDF417 candidate at " + intToStr(vekRoundInt(candidate.startFirst.x)) + "," +
                       intToStr(vekRoundInt(candidate.startFirst.y)) + " lines " + intToStr(candidate.support) +
                       " columns " + intToStr(candidate.columns[0]) + ": ";
    if (grid) {
        const auto unread = std::count(grid->codewords.begin(), grid->codewords.end(), -1);
        text += intToStr(grid->rows) + " x " + intToStr(grid->columns) + " level " + intToStr(grid->ecLevel) +
                ", unread " + intToStr(unread);
    } else {
        text += "no shape";
    }
    debug_->note(text);
}

}  // namespace orvel
