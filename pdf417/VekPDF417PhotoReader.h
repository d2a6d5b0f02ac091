#pragma once

#include <optional>
#include <vector>

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"
#include "pdf417/VekPDF417Candidate.h"
#include "pdf417/VekPDF417Finds.h"
#include "pdf417/VekPDF417Grid.h"
#include "pdf417/VekPDF417GridReader.h"

namespace orvel {

// The photo front end of PDF417 symbols: start and stop patterns on grey
// scan lines along the picture's rows and columns, each symbol then read
// along its own rows (TVekPDF417GridReader) and decoded
// (TVekPDF417SymbolDecoder). Small modules get a second look at twice the
// size. Nothing here touches process-wide state.
//
// The first pass is the look at the picture's size; start or stop patterns
// met there earn the later ones (averaged against grain, then twice the size).
class TVekPDF417PhotoReader : public TVekPhotoReader {
public:
    explicit TVekPDF417PhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug), finds_("PDF417", options.maxSymbols, debug) {}

    // Both stages as the schedule of readBarcodes runs them.
    TVekBarcodes read(TVekBinaryCache& picture) { return readAll(picture, options_.tryHarder); }

    bool readFirstPass(TVekBinaryCache& picture) override;
    void readLaterPasses(TVekBinaryCache& picture) override;
    TVekBarcodes take() override { return finds_.take(options_.returnErrors); }

private:
    // The start and stop patterns one look met: whether another look may
    // be worth it, and at what size.
    struct TGuardsSeen {
        int32_t count = 0;
        double smallestModule = 1e9;  // in pixels of the picture
    };

    // Reads the picture at one scale (1 or 2).
    TGuardsSeen readScale(const TVekGreyImage& grey, double scale);
    // Reads the candidates not covered by a symbol found nor alike one tried
    // (added to `tried`); true once enough symbols are found.
    bool readCandidates(TVekPDF417GridReader& gridReader, const std::vector<TVekPDF417Candidate>& candidates,
                        double scale, std::vector<TVekPDF417Candidate>& tried);
    // The symbol a grid read of the candidate gives, valid or not; none
    // when the candidate showed no grid.
    std::optional<TVekBarcode> readCandidate(TVekPDF417GridReader& gridReader, const TVekPDF417Candidate& candidate,
                              bool thorough) const;
    void note(const TVekPDF417Candidate& candidate, const std::optional<TVekPDF417Grid>& grid) const;

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
    TVekPDF417Finds finds_;
    TGuardsSeen first_;
};

}  // namespace orvel
