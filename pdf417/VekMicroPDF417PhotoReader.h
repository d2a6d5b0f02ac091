#pragma once

#include <vector>

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekReaderOptions.h"
#include "pdf417/VekMicroPDF417GridReader.h"
#include "pdf417/VekPDF417Candidate.h"
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
class TVekMicroPDF417PhotoReader {
public:
    explicit TVekMicroPDF417PhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug) {}

    TVekBarcodes read(TVekBinaryCache& picture) const;

private:
    // Reads the picture at one scale (1 or 2) into found; the smallest
    // module of the edges met, in pixels of the picture (none: a large
    // number).
    double readScale(const TVekGreyImage& grey, double scale, TVekBarcodes& found, TVekBarcodes& failures) const;
    // Looks along the rows and columns of the picture turned by a few
    // angles, for symbols turned between quarters.
    void readTurned(const TVekGreyImage& grey, TVekBarcodes& found, TVekBarcodes& failures) const;
    // One look along the rows or columns of `scanned` (the picture itself,
    // or `turned`), `step` pixels apart, the candidates read on the grid
    // reader's picture; the smallest module of the candidates.
    double readLook(TVekMicroPDF417GridReader& gridReader, const TVekGreyImage& scanned,
                    const TVekTurnedGreyImage* turned, bool columns, int32_t step, double scale, bool refine,
                    std::vector<TVekPDF417Candidate>& tried, TVekBarcodes& found, TVekBarcodes& failures) const;
    void readCandidates(TVekMicroPDF417GridReader& gridReader, const std::vector<TVekPDF417Candidate>& candidates,
                        double scale, std::vector<TVekPDF417Candidate>& tried, TVekBarcodes& found,
                        TVekBarcodes& failures) const;
    // The first valid symbol the grids of the candidate give, or the
    // failure of the likeliest; none when it showed no grid.
    std::optional<TVekBarcode> readCandidate(TVekMicroPDF417GridReader& gridReader,
                                             const TVekPDF417Candidate& candidate, bool thorough) const;
    bool enough(const TVekBarcodes& found) const;
    void draw(const TVekBarcode& barcode) const;

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
};

}  // namespace orvel
