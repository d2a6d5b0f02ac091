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
#include "oned/VekEdgeMemo.h"
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

    // The memo the dark-on-light scanner keeps its lines' edges in and the
    // light-on-dark one takes them from; it must outlive the scanner.
    void shareEdges(TVekEdgeMemo* memo) { memo_ = memo; }

    // Rows (horizontal lines) at y, columns (vertical lines) at x. Without
    // `faintToo`, a line that reads nothing at the usual edge threshold owes
    // its read at the faint one until scanOwedFaint().
    void scanRow(int32_t y, bool faintToo = true);
    void scanColumn(int32_t x, bool faintToo = true);
    void scanOwedFaint();
    const TVekLinearVotes& votes() const { return votes_; }
    // What the lines showed short of a read.
    const TVekLinearClues& clues() const { return clues_; }
    // What the lines read: the votes' symbols and those put together from
    // several lines (stacked symbols), and how many there are.
    TVekBarcodes results() const;
    int acceptedCount() const;

private:
    void scanLine(bool isRow, int32_t at, bool faintToo);
    void scanFaint(bool isRow, int32_t at, bool profiled);
    void sampleProfile(bool isRow, int32_t at);
    // The line's edges at the usual or the faint threshold into `row`, from
    // the memo or from its profile (sampled and measured once per line).
    void findEdges(bool isRow, int32_t at, bool faint, TVekBarRow& row, bool& profiled);
    // True when something was read, either way along the row.
    bool decodeBothWays(const TVekBarRow& row, double across);
    bool decode(const TVekBarRow& row, double across);
    // EAN/UPC on the line's `row` with the bars a light ripple split joined
    // again; samples the profile when the edges came without it.
    bool decodeMended(bool isRow, int32_t at, const TVekBarRow& row, bool profiled);

    const TVekGreyImage& grey_;
    TVekBarcodeFormats formats_;
    bool inverted_;
    int minimumInterleavedDigits_;
    TVekEanAddOn addOn_;
    bool code39FullAscii_;
    std::vector<float> profile_;
    TVekEdgeFinder edges_;
    TVekEdgeMemo* memo_ = nullptr;
    TVekBarRow row_;
    TVekBarRow faintRow_;
    TVekBarRow reversed_;
    TVekSplitBarMender mender_;
    TVekBarRow mended_;
    TVekLinearVotes votes_;
    TVekLinearClues clues_;
    TVekDataBarStack stack_;
    TVekDataBarExpandedStack expandedStack_;
    TVekDxFilmEdgeCollector dxFilmEdge_;
    int line_ = 0;
    struct TOwed {
        bool isRow;
        int32_t at;
        int line;
    };
    std::vector<TOwed> owedFaint_;
    bool faint_ = false;  // the row being decoded was found at the faint threshold
};

}  // namespace orvel
