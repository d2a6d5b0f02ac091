#include "pdf417/VekMicroPDF417PhotoReader.h"

#include <algorithm>
#include <cmath>

#include "pdf417/VekBarDirection.h"
#include "pdf417/VekMicroPDF417Layout.h"
#include "pdf417/VekMicroPDF417RapReader.h"
#include "pdf417/VekPDF417PatternScanner.h"
#include "pdf417/VekPDF417SymbolDecoder.h"
#include "pdf417/VekTurnedGreyImage.h"

namespace orvel {

namespace {

using TLayout = TVekMicroPDF417Layout;

// Scan lines per picture side, within bounds in pixels: MicroPDF417 rows
// are low, so the lines lie closer than PDF417's.
constexpr int32_t LINES_PER_SIDE = 160;
constexpr int32_t MIN_STEP = 2;
constexpr int32_t MAX_STEP = 8;
// Pictures up to this many pixels get a look at twice their size when the
// edges met had modules of fewer pixels than this.
constexpr int64_t MAX_UPSCALED_PIXELS = 1600 * 1200;
constexpr double MAX_UPSCALED_MODULE = 3.5;
// Row edges the first look must meet before the lines in between are
// scanned too.
constexpr int32_t MIN_GUARDS_TO_REFINE = 2;
// Row edges the rows and columns together must meet before the turned
// looks and the look at twice the size run: even a small symbol turned
// between quarters shows a few of its rows' edges to the lines, while
// plain pictures show none or one stray edge.
constexpr int32_t MIN_GUARDS_TO_ESCALATE = 2;
constexpr std::array<double, 4> TURNS = {30, 60, 120, 150};  // degrees
// A turned look reads symbols whose rows run within about 8 degrees of its
// lines, now and then up to 18; the bars' direction around a row edge is
// known to a few degrees.
constexpr double TURN_TOLERANCE = 20;  // degrees
// Row edges whose surroundings are measured at most per look: textures
// make hundreds, a symbol's turn shows in a few.
constexpr size_t MAX_DIRECTIONS = 48;
// The bars' direction is measured this many modules inside the symbol a
// row edge would belong to, over a square of about that half side.
constexpr double DIRECTION_DEPTH = 8;
constexpr double DIRECTION_RADIUS = 6;
constexpr double MIN_DIRECTION_RADIUS = 4;  // pixels
constexpr double MAX_DIRECTION_RADIUS = 24;
// Fewer directions than this (row edges met on a picture's border, in
// noise) choose no turned look: they all run.
constexpr int32_t MIN_DIRECTIONS_TO_CHOOSE = 3;
// Candidates read at most per picture size and per the turned looks
// together: textures full of bar-like runs (a mesh, a fabric) make many,
// none of them a symbol, while a symbol makes one or two per look.
constexpr size_t MAX_CANDIDATES_READ = 32;
// Their lines lie farther apart: a symbol read by them is large enough to
// be crossed at a slant.
constexpr int32_t TURNED_STEP_FACTOR = 2;

// Pixels between scan lines across a side of that many pixels (the first
// look takes every other line).
int32_t stepFor(int32_t side) { return std::clamp(side / LINES_PER_SIDE, MIN_STEP, MAX_STEP); }

const TVekPDF417PatternScanner::TGuardKind& microGuards() {
    static const TVekPDF417PatternScanner::TGuardKind kind{
        TVekMicroPDF417RapReader::findGuards, TLayout::rowModules(1) - 5.0, TLayout::rowModules(4) + 5.0,
        TLayout::columnsOfWidth, false, true};
    return kind;
}

// The same edges as a candidate read before, seen again by more lines.
bool alike(const TVekPDF417Candidate& a, const TVekPDF417Candidate& b) {
    const double near = 2 * std::max(a.module, b.module) + 6;
    const auto close = [near](TVekPointF p, TVekPointF q) { return distance(p, q) <= near; };
    return a.columns == b.columns && close(a.startFirst, b.startFirst) && close(a.startLast, b.startLast) &&
           close(a.stopFirst, b.stopFirst) && close(a.stopLast, b.stopLast);
}

TVekPointF middle(const TVekPDF417Candidate& candidate) {
    return 0.25 * (candidate.startFirst + candidate.startLast + candidate.stopFirst + candidate.stopLast);
}

}  // namespace

bool TVekMicroPDF417PhotoReader::readFirstPass(TVekBinaryCache& picture) {
    const TVekGreyImage& grey = picture.grey();
    if (grey.empty()) return false;
    readScale(grey, 1);
    // Too few bars' directions measured tell nothing: every turned look.
    if (directionsSeen_ < MIN_DIRECTIONS_TO_CHOOSE) turnsWanted_ = {true, true, true, true};
    return finds_.empty() && guardsSeen_ >= MIN_GUARDS_TO_ESCALATE && (anyTurn() || upscaleWanted(grey));
}

bool TVekMicroPDF417PhotoReader::anyTurn() const {
    return std::any_of(turnsWanted_.begin(), turnsWanted_.end(), [](bool wanted) { return wanted; });
}

bool TVekMicroPDF417PhotoReader::upscaleWanted(const TVekGreyImage& grey) const {
    const int64_t pixels = static_cast<int64_t>(grey.width()) * grey.height();
    return pixels <= MAX_UPSCALED_PIXELS && smallestShown_ < MAX_UPSCALED_MODULE;
}

void TVekMicroPDF417PhotoReader::noteTurns(const TVekGreyImage& grey, const TVekPDF417PatternScanner& scanner) {
    const std::vector<TVekPointF> points = scanner.insidePoints(DIRECTION_DEPTH);
    const std::vector<double> modules = scanner.modules();
    // Spread over all the edges met when there are more than measured.
    const size_t stride = points.size() / MAX_DIRECTIONS + 1;
    const auto allWanted = [this] {
        return std::all_of(turnsWanted_.begin(), turnsWanted_.end(), [](bool wanted) { return wanted; });
    };
    for (size_t i = 0; i < points.size() && !allWanted(); i += stride) {
        const double radius = std::clamp(DIRECTION_RADIUS * modules[i], MIN_DIRECTION_RADIUS, MAX_DIRECTION_RADIUS);
        const std::optional<double> across = TVekBarDirection::around(grey, points[i], static_cast<int32_t>(radius));
        if (!across) continue;
        ++directionsSeen_;
        for (size_t k = 0; k < TURNS.size(); ++k) {
            // The lines of the picture turned by d run at -d in it.
            if (TVekBarDirection::between(*across, 180 - TURNS[k]) <= TURN_TOLERANCE) turnsWanted_[k] = true;
        }
    }
}

void TVekMicroPDF417PhotoReader::readLaterPasses(TVekBinaryCache& picture) {
    const TVekGreyImage& grey = picture.grey();
    if (grey.empty()) return;
    if (finds_.empty() && options_.tryRotate) readTurned(grey);
    if ((options_.tryHarder || finds_.empty()) && !finds_.enough() && upscaleWanted(grey)) {
        readScale(grey.upscaled(2), 2);
    }
}

double TVekMicroPDF417PhotoReader::readScale(const TVekGreyImage& grey, double scale) {
    TVekMicroPDF417GridReader gridReader(grey);
    std::vector<TVekPDF417Candidate> tried;
    double smallest = 1e9;
    for (const bool columns : {false, true}) {
        // Along the columns for symbols turned by more than about 45
        // degrees; unless asked to try hard, only when the rows found none.
        if (columns && !options_.tryHarder && (!options_.tryRotate || !finds_.empty())) break;
        if (finds_.enough()) break;
        const int32_t step = stepFor(columns ? grey.width() : grey.height());
        smallest = std::min(smallest, readLook(gridReader, grey, nullptr, columns, step, scale, true, tried));
    }
    return smallest;
}

void TVekMicroPDF417PhotoReader::readTurned(const TVekGreyImage& grey) {
    TVekMicroPDF417GridReader gridReader(grey);
    std::vector<TVekPDF417Candidate> tried;
    // Rows of pictures turned by these angles, with the rows and columns
    // of the picture itself, cross symbols at every angle within 15
    // degrees of their rows.
    for (size_t k = 0; k < TURNS.size(); ++k) {
        if (!finds_.empty() || finds_.enough()) return;
        if (!turnsWanted_[k] && !options_.tryHarder) continue;
        const double degrees = TURNS[k];
        // Only the rows the first look reads are drawn.
        const int32_t step = TURNED_STEP_FACTOR * stepFor(TVekTurnedGreyImage::heightOf(grey, degrees));
        const TVekTurnedGreyImage turned(grey, degrees, step / 2, 2 * step);
        readLook(gridReader, turned.grey(), &turned, false, step, 1, false, tried);
    }
}

double TVekMicroPDF417PhotoReader::readLook(TVekMicroPDF417GridReader& gridReader, const TVekGreyImage& scanned,
                                           const TVekTurnedGreyImage* turned, bool columns, int32_t step,
                                           double scale, bool refine, std::vector<TVekPDF417Candidate>& tried) {
    TVekPDF417PatternScanner scanner(microGuards());
    const auto unturned = [turned](std::vector<TVekPDF417Candidate> candidates) {
        if (turned == nullptr) return candidates;
        for (TVekPDF417Candidate& c : candidates) {
            for (TVekPointF* p : {&c.startFirst, &c.startLast, &c.stopFirst, &c.stopLast}) *p = turned->toOriginal(*p);
            c.across = turned->directionToOriginal(c.across);
        }
        return candidates;
    };
    // The first look along every other line, the second (when asked for)
    // along all where the first met a few row edges.
    std::vector<TVekPDF417Candidate> candidates = unturned(scanner.scan(scanned, step, columns));
    guardsSeen_ += scanner.guardCount();
    readCandidates(gridReader, candidates, scale, tried);
    if (refine && scanner.guardCount() >= MIN_GUARDS_TO_REFINE && !finds_.enough()) {
        const std::vector<TVekPDF417Candidate> refined = unturned(scanner.refine(scanned));
        readCandidates(gridReader, refined, scale, tried);
        candidates.insert(candidates.end(), refined.begin(), refined.end());
    }
    if (turned == nullptr && scale == 1 && finds_.empty()) noteTurns(scanned, scanner);
    double smallest = 1e9;
    for (const TVekPDF417Candidate& candidate : candidates) smallest = std::min(smallest, candidate.module / scale);
    return smallest;
}

void TVekMicroPDF417PhotoReader::readCandidates(TVekMicroPDF417GridReader& gridReader,
                                                const std::vector<TVekPDF417Candidate>& candidates, double scale,
                                                std::vector<TVekPDF417Candidate>& tried) {
    for (const TVekPDF417Candidate& candidate : candidates) {
        if (finds_.enough() || tried.size() >= MAX_CANDIDATES_READ) return;
        if (finds_.covers((1 / scale) * middle(candidate))) continue;
        if (std::any_of(tried.begin(), tried.end(), [&](const auto& t) { return alike(t, candidate); })) continue;
        tried.push_back(candidate);
        std::optional<TVekBarcode> read = readCandidate(gridReader, candidate, false);
        // A symbol the quick read found but could not decode gets a
        // thorough read; edges whose quick read showed no rows are no
        // symbol's.
        if (read && !read->isValid) {
            std::optional<TVekBarcode> thoroughRead = readCandidate(gridReader, candidate, true);
            if (thoroughRead) read = std::move(thoroughRead);
        }
        if (!read) continue;
        smallestShown_ = std::min(smallestShown_, candidate.module / scale);
        finds_.add(std::move(*read), scale);
    }
}

std::optional<TVekBarcode> TVekMicroPDF417PhotoReader::readCandidate(TVekMicroPDF417GridReader& gridReader,
                                                                     const TVekPDF417Candidate& candidate,
                                                                     bool thorough) const {
    const std::vector<TVekPDF417Grid> grids = gridReader.read(candidate, thorough);
    if (debug_ != nullptr) {
        debug_->line(candidate.startFirst, candidate.startLast, 0x0000C0u);
        debug_->line(candidate.stopFirst, candidate.stopLast, 0x0000C0u);
        debug_->note("MicroPDF417 candidate at " + intToStr(vekRoundInt(candidate.startFirst.x)) + "," +
                     intToStr(vekRoundInt(candidate.startFirst.y)) + " columns " + intToStr(candidate.columns[0]) +
                     " lines " + intToStr(candidate.support) + ": " + intToStr(static_cast<int64_t>(grids.size())) +
                     " sizes");
    }
    std::optional<TVekBarcode> first;
    for (const TVekPDF417Grid& grid : grids) {
        TVekBarcode barcode = TVekPDF417SymbolDecoder::decode(grid);
        if (barcode.isValid) return barcode;
        if (!first) first = std::move(barcode);
    }
    return first;
}

}  // namespace orvel
