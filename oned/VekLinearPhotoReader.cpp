#include "oned/VekLinearPhotoReader.h"

#include <algorithm>
#include <array>

#include "oned/VekLinearScanner.h"

namespace orvel {

namespace {

// Lines across the picture in each direction: enough that a symbol a
// twentieth of the picture high is crossed twice.
constexpr int32_t defaultLines = 128;
constexpr int32_t harderLines = 128;

// The requested linear formats; none when only two-dimensional ones are asked.
TVekBarcodeFormats linearFormats(const TVekBarcodeFormats& asked) {
    return asked.empty() ? TVekBarcodeFormats::linear() : asked & TVekBarcodeFormats::linear();
}

// Full ASCII Code 39 is read when the switch is on or the format is named.
bool code39FullAscii(const TVekReaderOptions& options) {
    return options.code39FullAscii || options.formats.contains(TVekBarcodeFormat::code39Extended);
}

// `count` positions spread evenly over `extent`.
std::vector<int32_t> linePositions(int32_t extent, int32_t count) {
    count = std::min(count, extent);
    std::vector<int32_t> positions;
    for (int32_t k = 0; k < count; ++k) positions.push_back(static_cast<int32_t>((k + 0.5) * extent / count));
    return positions;
}

// The lines are scanned in rounds, each filling the gaps of the coarser grid
// before it, the first centred on the picture: a symbol of the usual size is
// crossed twice by the first round already, and the read stops there.
constexpr std::array<size_t, 3> roundSpacing = {4, 2, 1};
// The rounds of the first pass dark on light: every line (a symbol crossed
// by the finest round alone reads nowhere else), those after the first at
// the faint edge threshold too only where the first read a symbol or
// showed one's start and a few of its characters (the later pass makes up
// for it: a faint symbol is rarely so short that the first round misses
// it); light on dark: the first quarter.
constexpr size_t kFaintDarkRounds = 1;
constexpr size_t kFirstDarkRounds = 3;
constexpr size_t kFirstLightRounds = 1;

bool inRound(size_t index, size_t round) {
    const size_t shifted = index + 2;
    if (shifted % roundSpacing[round] != 0) return false;
    return round == 0 || shifted % roundSpacing[round - 1] != 0;
}

// A content one line read and no other is looked for again on lines close to
// that one: short bars, a symbol crossed by one line of the grid only, or
// glare on the neighbouring line leave it unconfirmed. The offsets in pixels,
// nearest first, and the contents so followed per picture.
constexpr std::array<int32_t, 12> confirmOffsets = {2, -2, 4, -4, 1, -1, 3, -3, 6, -6, 8, -8};
constexpr size_t maximumConfirmed = 4;

void confirmSingleReads(TVekLinearScanner& scanner, int32_t width, int32_t height) {
    for (const TVekLinearVotes::TUnconfirmed& read : scanner.votes().unconfirmed(maximumConfirmed)) {
        const int32_t line = static_cast<int32_t>(read.across);
        const int32_t extent = read.isRow ? height : width;
        for (const int32_t offset : confirmOffsets) {
            const int32_t at = line + offset;
            if (at < 0 || at >= extent) continue;
            if (read.isRow) scanner.scanRow(at);
            else scanner.scanColumn(at);
            if (scanner.acceptedCount() > 0) return;
        }
    }
}

}  // namespace

TVekLinearPhotoReader::TVekLinearPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug)
    : options_(options), debug_(debug), formats_(linearFormats(options.formats)) {}

TVekLinearPhotoReader::~TVekLinearPhotoReader() = default;

// One shade's scanner with its lines; its votes last over both stages.
struct TVekLinearPhotoReader::TShade {
    TShade(const TVekGreyImage& grey, const TVekBarcodeFormats& formats, bool inverted, const TVekReaderOptions& options)
        : scanner(grey, formats, inverted, options.minInterleavedDigits, options.eanAddOn, code39FullAscii(options)),
          inverted(inverted) {
        const int32_t lines = options.tryHarder ? harderLines : defaultLines;
        rows = linePositions(grey.height(), lines);
        if (options.tryRotate || options.tryHarder) columns = linePositions(grey.width(), lines);
    }

    TVekLinearScanner scanner;
    bool inverted;
    std::vector<int32_t> rows, columns;
    size_t roundsDone = 0;
};

bool TVekLinearPhotoReader::accepted(const TShade& shade) const {
    return !options_.tryHarder && shade.scanner.acceptedCount() > 0;
}

void TVekLinearPhotoReader::scanRounds(TShade& shade, size_t rounds, bool faintToo) const {
    for (; shade.roundsDone < std::min(rounds, roundSpacing.size()) && !accepted(shade); ++shade.roundsDone) {
        const size_t round = shade.roundsDone;
        for (size_t k = 0; k < shade.rows.size(); ++k)
            if (inRound(k, round)) shade.scanner.scanRow(shade.rows[k], faintToo);
        if (accepted(shade)) break;
        for (size_t k = 0; k < shade.columns.size(); ++k)
            if (inRound(k, round)) shade.scanner.scanColumn(shade.columns[k], faintToo);
    }
}

bool TVekLinearPhotoReader::promising(const TShade& shade) {
    return sawRead(shade) || shade.scanner.clues().partialSymbols > 0;
}

bool TVekLinearPhotoReader::sawRead(const TShade& shade) {
    return !shade.scanner.votes().unconfirmed(1).empty() || shade.scanner.acceptedCount() > 0;
}

// Every line at both thresholds, then the reads of one line alone looked for
// on its neighbours.
void TVekLinearPhotoReader::finish(TShade& shade, const TVekGreyImage& grey) {
    if (!accepted(shade)) shade.scanner.scanOwedFaint();
    scanRounds(shade, roundSpacing.size());
    if (shade.scanner.acceptedCount() == 0)
        confirmSingleReads(shade.scanner, grey.width(), grey.height());
    found_ = shade.scanner.results();
}

// The lines dark on light, then the first round light on dark: a light
// symbol of the usual size is read there already. Some line's read of
// either shade earns the lines beside it and the other light lines.
bool TVekLinearPhotoReader::readFirstPass(TVekBinaryCache& picture) {
    (void)debug_;
    const TVekGreyImage& grey = picture.grey();
    if (formats_.empty() || grey.empty()) return false;
    memo_ = std::make_unique<TVekEdgeMemo>();
    dark_ = std::make_unique<TShade>(grey, formats_, false, options_);
    dark_->scanner.shareEdges(memo_.get());
    scanRounds(*dark_, kFaintDarkRounds);
    scanRounds(*dark_, kFirstDarkRounds, promising(*dark_));
    // A symbol's start seen on the finer lines earns their faint reads too.
    if (!accepted(*dark_) && promising(*dark_)) dark_->scanner.scanOwedFaint();
    if (dark_->scanner.acceptedCount() > 0) {
        finish(*dark_, grey);
        return false;
    }
    bool candidate = sawRead(*dark_);
    if (options_.tryInvert) {
        light_ = std::make_unique<TShade>(grey, formats_, true, options_);
        light_->scanner.shareEdges(memo_.get());
        scanRounds(*light_, kFirstLightRounds);
        candidate = candidate || sawRead(*light_);
    }
    return candidate;
}

void TVekLinearPhotoReader::readLaterPasses(TVekBinaryCache& picture) {
    if (!found_.empty() || !dark_) return;
    finish(*dark_, picture.grey());
    if (!found_.empty() || !light_) return;
    finish(*light_, picture.grey());
}

}  // namespace orvel
