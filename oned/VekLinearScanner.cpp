#include "oned/VekLinearScanner.h"

#include <algorithm>

#include "oned/VekCodabarLineDecoder.h"
#include "oned/VekCode128LineDecoder.h"
#include "oned/VekCode39LineDecoder.h"
#include "oned/VekCode93LineDecoder.h"
#include "oned/VekDataBarExpandedLineDecoder.h"
#include "oned/VekDataBarLimitedLineDecoder.h"
#include "oned/VekDataBarLineDecoder.h"
#include "oned/VekEanUpcLineDecoder.h"
#include "oned/VekInterleavedLineDecoder.h"
#include "oned/VekTelepenLineDecoder.h"

namespace orvel {

TVekLinearScanner::TVekLinearScanner(const TVekGreyImage& grey, const TVekBarcodeFormats& formats, bool inverted,
                                     int minimumInterleavedDigits, TVekEanAddOn addOn, bool code39FullAscii)
    : grey_(grey),
      formats_(formats),
      inverted_(inverted),
      minimumInterleavedDigits_(minimumInterleavedDigits),
      addOn_(addOn),
      code39FullAscii_(code39FullAscii) {}

void TVekLinearScanner::scanRow(int32_t y, bool faintToo) { scanLine(true, y, faintToo); }

void TVekLinearScanner::scanColumn(int32_t x, bool faintToo) { scanLine(false, x, faintToo); }

// Each sample weighs the line's pixel twice and its neighbours across the
// line once: sensor noise drops, edges a few degrees off the line blur little.
void TVekLinearScanner::sampleProfile(bool isRow, int32_t at) {
    if (isRow) {
        const uint8_t* above = grey_.row(std::max(at - 1, 0));
        const uint8_t* pixels = grey_.row(at);
        const uint8_t* below = grey_.row(std::min(at + 1, grey_.height() - 1));
        profile_.resize(static_cast<size_t>(grey_.width()));
        for (size_t x = 0; x < profile_.size(); ++x) {
            const float level = 0.25f * static_cast<float>(above[x] + 2 * pixels[x] + below[x]);
            profile_[x] = inverted_ ? 255.f - level : level;
        }
        return;
    }
    const int32_t left = std::max(at - 1, 0), right = std::min(at + 1, grey_.width() - 1);
    profile_.resize(static_cast<size_t>(grey_.height()));
    for (int32_t y = 0; y < grey_.height(); ++y) {
        const uint8_t* pixels = grey_.row(y);
        const float level = 0.25f * static_cast<float>(pixels[left] + 2 * pixels[at] + pixels[right]);
        profile_[static_cast<size_t>(y)] = inverted_ ? 255.f - level : level;
    }
}

void TVekLinearScanner::findEdges(bool isRow, int32_t at, bool faint, TVekBarRow& row, bool& profiled) {
    if (memo_ && inverted_ && memo_->recallInverted(isRow, at, faint, row)) return;
    const TVekPointF origin = isRow ? TVekPointF{0.5, at + 0.5} : TVekPointF{at + 0.5, 0.5};
    row.reset(origin, isRow ? TVekPointF{1, 0} : TVekPointF{0, 1});
    const double share = faint ? TVekEdgeFinder::faintShare : TVekEdgeFinder::usualShare;
    if (profiled) {
        edges_.findAgain(profile_.data(), profile_.size(), row, share);
    } else {
        sampleProfile(isRow, at);
        edges_.find(profile_.data(), profile_.size(), row, share);
        profiled = true;
    }
    if (memo_ && !inverted_) memo_->keep(isRow, at, faint, row);
}

// A line that reads nothing at the usual edge threshold is read once more
// with the faint one, unless that finds the very same edges (a clean line
// often does). That doubles the cost of lines that cross no symbol; a
// picture's first lines that read one stop the read early.
void TVekLinearScanner::scanLine(bool isRow, int32_t at, bool faintToo) {
    ++line_;
    bool profiled = false;
    faint_ = false;
    findEdges(isRow, at, false, row_, profiled);
    if (decodeBothWays(row_, at) || decodeMended(isRow, at, row_, profiled)) return;
    if (faintToo) scanFaint(isRow, at, profiled);
    else owedFaint_.push_back({isRow, at, line_});
}

// `row_` holds the line's edges at the usual threshold.
void TVekLinearScanner::scanFaint(bool isRow, int32_t at, bool profiled) {
    faint_ = true;
    findEdges(isRow, at, true, faintRow_, profiled);
    if (faintRow_.sameElements(row_)) return;
    if (!decodeBothWays(faintRow_, at)) decodeMended(isRow, at, faintRow_, profiled);
}

// Each owed line counts as the line it was: its votes join those of its
// usual edges.
void TVekLinearScanner::scanOwedFaint() {
    const int latest = line_;
    for (const TOwed& owed : owedFaint_) {
        line_ = owed.line;
        bool profiled = false;
        faint_ = false;
        findEdges(owed.isRow, owed.at, false, row_, profiled);
        scanFaint(owed.isRow, owed.at, profiled);
    }
    owedFaint_.clear();
    line_ = latest;
}

bool TVekLinearScanner::decodeBothWays(const TVekBarRow& row, double across) {
    // DX film edge's shortest tracks cross 15 elements, quiet zones included.
    if (row.size() < 15) return false;
    bool read = decode(row, across);
    row.reverseInto(reversed_);
    return decode(reversed_, across) || read;
}

bool TVekLinearScanner::decode(const TVekBarRow& row, double across) {
    using F = TVekBarcodeFormat;
    std::vector<TVekLinearRead> reads;
    if (formats_.asks(F::ean13) || formats_.asks(F::upcA) || formats_.asks(F::ean8) || formats_.asks(F::upcE))
        TVekEanUpcLineDecoder(formats_, addOn_).decode(row, reads, &clues_);
    if (formats_.asks(F::code128)) TVekCode128LineDecoder().decode(row, reads, &clues_);
    if (formats_.empty() || formats_.intersects({F::code39, F::code39Extended, F::code32, F::pzn}))
        TVekCode39LineDecoder(TVekCode39Interpreter(formats_, code39FullAscii_)).decode(row, reads, &clues_);
    if (formats_.asks(F::code93)) TVekCode93LineDecoder().decode(row, reads);
    if (formats_.asks(F::interleaved25) || formats_.asks(F::identcode))
        TVekInterleavedLineDecoder(formats_, minimumInterleavedDigits_).decode(row, reads);
    if (formats_.asks(F::codabar)) TVekCodabarLineDecoder().decode(row, reads);
    if (formats_.asks(F::telepen)) TVekTelepenLineDecoder().decode(row, reads);
    if (formats_.asks(F::dataBar)) TVekDataBarLineDecoder().decode(row, reads);
    if (formats_.asks(F::dataBarExpanded)) TVekDataBarExpandedLineDecoder().decode(row, reads);
    if (formats_.asks(F::dataBarLimited)) TVekDataBarLimitedLineDecoder().decode(row, reads);
    if (formats_.asks(F::dataBar)) stack_.collect(row, line_);
    // Expanded stacks and film edge tracks are put together from rows found
    // at the usual edge threshold: faint edges add only the noise of
    // textures to them (a faint symbol's rows still read on their own above).
    if (!faint_) {
        if (formats_.asks(F::dataBarExpanded)) expandedStack_.collect(row, line_);
        if (formats_.asks(F::dxFilmEdge)) dxFilmEdge_.collect(row, line_);
    }
    for (const TVekLinearRead& read : reads) votes_.add(read, row, across, line_);
    return !reads.empty();
}

// `profiled` tells whether profile_ holds the line's samples (edges recalled
// from the dark scan come without them). Sampling here does not make the
// line profiled for findEdges: the edge finder's measures of the line come
// only with its own first find.
bool TVekLinearScanner::decodeMended(bool isRow, int32_t at, const TVekBarRow& row, bool profiled) {
    using F = TVekBarcodeFormat;
    if (!formats_.asks(F::ean13) && !formats_.asks(F::upcA) && !formats_.asks(F::ean8) && !formats_.asks(F::upcE))
        return false;
    if (!TVekEanUpcLineDecoder::hasOuterGuard(row)) return false;
    if (!profiled) sampleProfile(isRow, at);
    if (!mender_.mend(profile_.data(), profile_.size(), row, mended_)) return false;
    const double across = at;
    const TVekEanUpcLineDecoder decoder(formats_, addOn_);
    std::vector<TVekLinearRead> reads;
    bool read = false;
    for (int way = 0; way < 2; ++way) {
        if (way == 1) mended_.reverseInto(reversed_);
        const TVekBarRow& row = way == 0 ? mended_ : reversed_;
        reads.clear();
        decoder.decode(row, reads);
        for (const TVekLinearRead& found : reads) votes_.add(found, row, across, line_);
        read = read || !reads.empty();
    }
    return read;
}

// Symbols the stacks put together that the votes already hold (a symbol
// on one row, its pairs read there too) count once.
TVekBarcodes TVekLinearScanner::results() const {
    TVekBarcodes found = votes_.results(inverted_);
    const size_t voted = found.size();
    for (TVekBarcodes stacked :
         {stack_.results(inverted_), expandedStack_.results(inverted_), dxFilmEdge_.results(inverted_)})
        for (TVekBarcode& barcode : stacked) {
            bool known = false;
            for (size_t i = 0; i < voted; ++i)
                known = known || (found[i].format == barcode.format && found[i].bytes == barcode.bytes);
            if (!known) found.push_back(std::move(barcode));
        }
    return found;
}

int TVekLinearScanner::acceptedCount() const {
    return votes_.acceptedCount() + static_cast<int>(stack_.results(inverted_).size()) +
           static_cast<int>(expandedStack_.results(inverted_).size()) +
           static_cast<int>(dxFilmEdge_.results(inverted_).size());
}

}  // namespace orvel
