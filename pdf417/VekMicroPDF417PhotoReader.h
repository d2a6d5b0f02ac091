#pragma once

#include <vector>

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"
#include "pdf417/VekMicroPDF417GridReader.h"
#include "pdf417/VekPDF417Candidate.h"
#include "pdf417/VekPDF417Finds.h"
#include "pdf417/VekPDF417PatternScanner.h"
#include "pdf417/VekTurnedGreyImage.h"

namespace orvel {

// The photo front end of MicroPDF417 symbols: the rows' left and right
// edges (row address patterns beside a symbol character, the right one
// with the stop bar) on grey scan lines along the picture's rows and
// columns, chained into the symbol's edges; each symbol then read along
// its own rows (TVekMicroPDF417GridReader) and decoded with PDF417's
// decoder (TVekPDF417SymbolDecoder). Small modules get a second look at
// twice the size, symbols turned between quarters a look along the lines
// of the picture turned. Nothing here touches process-wide state.
//
// The first pass is the look along the picture's rows and columns; the
// turned looks and the look at twice the size follow only where it met row
// edges and read nothing, since a picture without them costs little then.
// Of the turned looks only those run whose lines follow the bars around
// the row edges met (unless too few of them showed bars, or asked to try
// hard): a picture's upright barcodes and text call for none.
class TVekMicroPDF417PhotoReader : public TVekPhotoReader {
public:
    explicit TVekMicroPDF417PhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug), finds_("MicroPDF417", options.maxSymbols, debug) {}

    // Both passes, as the pass schedule would run them.
    TVekBarcodes read(TVekBinaryCache& picture) { return readAll(picture, options_.tryHarder); }

    bool readFirstPass(TVekBinaryCache& picture) override;
    void readLaterPasses(TVekBinaryCache& picture) override;
    TVekBarcodes take() override { return finds_.take(options_.returnErrors); }

private:
    // Reads the picture at one scale (1 or 2); the smallest module of the
    // edges met, in pixels of the picture (none: a large number).
    double readScale(const TVekGreyImage& grey, double scale);
    // Looks along the rows and columns of the picture turned by a few
    // angles, for symbols turned between quarters.
    void readTurned(const TVekGreyImage& grey);
    // One look along the rows or columns of `scanned` (the picture itself,
    // or `turned`), `step` pixels apart, the candidates read on the grid
    // reader's picture; the smallest module of the candidates.
    double readLook(TVekMicroPDF417GridReader& gridReader, const TVekGreyImage& scanned,
                    const TVekTurnedGreyImage* turned, bool columns, int32_t step, double scale, bool refine,
                    std::vector<TVekPDF417Candidate>& tried);
    void readCandidates(TVekMicroPDF417GridReader& gridReader, const std::vector<TVekPDF417Candidate>& candidates,
                        double scale, std::vector<TVekPDF417Candidate>& tried);
    // Marks the turned looks whose lines run along the bars' direction
    // around a pattern the scanner met.
    void noteTurns(const TVekGreyImage& grey, const TVekPDF417PatternScanner& scanner);
    bool anyTurn() const;
    // The look at twice the size, for small modules.
    bool upscaleWanted(const TVekGreyImage& grey) const;
    // The first valid symbol the grids of the candidate give, or the
    // failure of the likeliest; none when it showed no grid.
    std::optional<TVekBarcode> readCandidate(TVekMicroPDF417GridReader& gridReader,
                                             const TVekPDF417Candidate& candidate, bool thorough) const;

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
    TVekPDF417Finds finds_;
    // The smallest module of the candidates whose quick read showed rows
    // (none: a large number): only those call for a look at twice the size,
    // since the edges of textures seldom line up into rows.
    double smallestShown_ = 1e9;
    // The row edges the first pass's looks met.
    int32_t guardsSeen_ = 0;
    // The turned looks (one a turn of TURNS) the first pass's row edges
    // call for: a symbol turned between quarters shows its rows' edges to
    // the picture's lines only by chance, but where it does the bars around
    // them tell its turn.
    std::array<bool, 4> turnsWanted_{};
    int32_t directionsSeen_ = 0;
};

}  // namespace orvel
