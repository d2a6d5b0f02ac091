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

// Each sample weighs the line's pixel twice and its neighbours across the
// line once: sensor noise drops, edges a few degrees off the line blur little.
void TVekLinearScanner::scanRow(int32_t y) {
    const uint8_t* above = grey_.row(std::max(y - 1, 0));
    const uint8_t* pixels = grey_.row(y);
    const uint8_t* below = grey_.row(std::min(y + 1, grey_.height() - 1));
    profile_.resize(static_cast<size_t>(grey_.width()));
    for (size_t x = 0; x < profile_.size(); ++x) {
        const float level = 0.25f * static_cast<float>(above[x] + 2 * pixels[x] + below[x]);
        profile_[x] = inverted_ ? 255.f - level : level;
    }
    scanProfile({0.5, y + 0.5}, {1, 0}, y);
}

void TVekLinearScanner::scanColumn(int32_t x) {
    const int32_t left = std::max(x - 1, 0), right = std::min(x + 1, grey_.width() - 1);
    profile_.resize(static_cast<size_t>(grey_.height()));
    for (int32_t y = 0; y < grey_.height(); ++y) {
        const uint8_t* pixels = grey_.row(y);
        const float level = 0.25f * static_cast<float>(pixels[left] + 2 * pixels[x] + pixels[right]);
        profile_[static_cast<size_t>(y)] = inverted_ ? 255.f - level : level;
    }
    scanProfile({x + 0.5, 0.5}, {0, 1}, x);
}

// A line that reads nothing at the usual edge threshold is read once more
// with the faint one. That doubles the cost of lines that cross no symbol;
// a picture's first lines that read one stop the read early.
void TVekLinearScanner::scanProfile(TVekPointF origin, TVekPointF step, double across) {
    ++line_;
    for (const double share : {TVekEdgeFinder::usualShare, TVekEdgeFinder::faintShare}) {
        faint_ = share == TVekEdgeFinder::faintShare;
        row_.reset(origin, step);
        edges_.find(profile_.data(), profile_.size(), row_, share);
        // DX film edge's shortest tracks cross 15 elements, quiet zones included.
        if (row_.size() < 15) continue;
        bool read = decode(row_, across);
        row_.reverseInto(reversed_);
        read = decode(reversed_, across) || read;
        if (read || decodeMended(across)) return;
    }
}

bool TVekLinearScanner::decode(const TVekBarRow& row, double across) {
    using F = TVekBarcodeFormat;
    std::vector<TVekLinearRead> reads;
    if (formats_.asks(F::ean13) || formats_.asks(F::upcA) || formats_.asks(F::ean8) || formats_.asks(F::upcE))
        TVekEanUpcLineDecoder(formats_, addOn_).decode(row, reads);
    if (formats_.asks(F::code128)) TVekCode128LineDecoder().decode(row, reads);
    if (formats_.empty() || formats_.intersects({F::code39, F::code39Extended, F::code32, F::pzn}))
        TVekCode39LineDecoder(TVekCode39Interpreter(formats_, code39FullAscii_)).decode(row, reads);
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

bool TVekLinearScanner::decodeMended(double across) {
    using F = TVekBarcodeFormat;
    if (!formats_.asks(F::ean13) && !formats_.asks(F::upcA) && !formats_.asks(F::ean8) && !formats_.asks(F::upcE))
        return false;
    if (!TVekEanUpcLineDecoder::hasOuterGuard(row_) || !mender_.mend(profile_.data(), profile_.size(), row_, mended_))
        return false;
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
