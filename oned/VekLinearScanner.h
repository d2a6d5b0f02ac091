#pragma once

#include <vector>

#include "foundation/VekBarcodeFormat.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekReaderOptions.h"
#include "oned/VekBarRow.h"
#include "oned/VekDataBarExpandedStack.h"
#include "oned/VekDataBarStack.h"
#include "oned/VekDxFilmEdgeCollector.h"
#include "oned/VekEdgeFinder.h"
#include "oned/VekLinearVotes.h"
#include "oned/VekSplitBarMender.h"

namespace orvel {

// Runs scan lines over a grey picture: samples each line's profile, finds
// its edges, decodes the requested linear symbologies both ways along it and
// hands what it read to the votes. Its buffers belong to one read.
class TVekLinearScanner {
public:
    TVekLinearScanner(const TVekGreyImage& grey, const TVekBarcodeFormats& formats, bool inverted,
                      int minimumInterleavedDigits, TVekEanAddOn addOn = TVekEanAddOn::ignore,
                      bool code39FullAscii = false);

    // Rows (horizontal lines) at y, columns (vertical lines) at x.
    void scanRow(int32_t y);
    void scanColumn(int32_t x);
    const TVekLinearVotes& votes() const { return votes_; }
    // What the lines read: the votes' symbols and those put together from
    // several lines (stacked symbols), and how many there are.
    TVekBarcodes results() const;
    int acceptedCount() const;

private:
    void scanProfile(TVekPointF origin, TVekPointF step, double across);
    // True when something was read.
    bool decode(const TVekBarRow& row, double across);
    // EAN/UPC on the line with the bars a light ripple split joined again.
    bool decodeMended(double across);

    const TVekGreyImage& grey_;
    TVekBarcodeFormats formats_;
    bool inverted_;
    int minimumInterleavedDigits_;
    TVekEanAddOn addOn_;
    bool code39FullAscii_;
    std::vector<float> profile_;
    TVekEdgeFinder edges_;
    TVekBarRow row_;
    TVekBarRow reversed_;
    TVekSplitBarMender mender_;
    TVekBarRow mended_;
    TVekLinearVotes votes_;
    TVekDataBarStack stack_;
    TVekDataBarExpandedStack expandedStack_;
    TVekDxFilmEdgeCollector dxFilmEdge_;
    int line_ = 0;
    bool faint_ = false;  // the row being decoded was found at the faint threshold
};

}  // namespace orvel
