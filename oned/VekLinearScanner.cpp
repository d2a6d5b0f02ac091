#include "oned/VekLinearScanner.h"

#include "oned/VekCodabarLineDecoder.h"
#include "oned/VekCode128LineDecoder.h"
#include "oned/VekCode39LineDecoder.h"
#include "oned/VekEanUpcLineDecoder.h"
#include "oned/VekInterleavedLineDecoder.h"

namespace orvel {

TVekLinearScanner::TVekLinearScanner(const TVekGreyImage& grey, const TVekBarcodeFormats& formats, bool inverted,
                                     int minimumInterleavedDigits)
    : grey_(grey), formats_(formats), inverted_(inverted), minimumInterleavedDigits_(minimumInterleavedDigits) {}

void TVekLinearScanner::scanRow(int32_t y) {
    const uint8_t* pixels = grey_.row(y);
    profile_.resize(static_cast<size_t>(grey_.width()));
    for (size_t x = 0; x < profile_.size(); ++x)
        profile_[x] = inverted_ ? 255.f - pixels[x] : static_cast<float>(pixels[x]);
    scanProfile({0.5, y + 0.5}, {1, 0}, y);
}

void TVekLinearScanner::scanColumn(int32_t x) {
    profile_.resize(static_cast<size_t>(grey_.height()));
    for (int32_t y = 0; y < grey_.height(); ++y) {
        const uint8_t level = grey_.row(y)[x];
        profile_[static_cast<size_t>(y)] = inverted_ ? 255.f - level : static_cast<float>(level);
    }
    scanProfile({x + 0.5, 0.5}, {0, 1}, x);
}

void TVekLinearScanner::scanProfile(TVekPointF origin, TVekPointF step, double across) {
    row_.reset(origin, step);
    edges_.find(profile_.data(), profile_.size(), row_);
    if (row_.size() < 20) return;
    decode(row_, across);
    decode(row_.reversed(), across);
}

void TVekLinearScanner::decode(const TVekBarRow& row, double across) {
    using F = TVekBarcodeFormat;
    std::vector<TVekLinearRead> reads;
    if (formats_.asks(F::ean13) || formats_.asks(F::upcA) || formats_.asks(F::ean8) || formats_.asks(F::upcE))
        TVekEanUpcLineDecoder(formats_).decode(row, reads);
    if (formats_.asks(F::code128)) TVekCode128LineDecoder().decode(row, reads);
    if (formats_.asks(F::code39)) TVekCode39LineDecoder().decode(row, reads);
    if (formats_.asks(F::interleaved25) || formats_.asks(F::identcode))
        TVekInterleavedLineDecoder(formats_, minimumInterleavedDigits_).decode(row, reads);
    if (formats_.asks(F::codabar)) TVekCodabarLineDecoder().decode(row, reads);
    for (const TVekLinearRead& read : reads) votes_.add(read, row, across);
}

}  // namespace orvel
