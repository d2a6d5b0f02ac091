#pragma once

#include <array>
#include <vector>

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

struct TVekDatamatrixL;

// The photo front end of Data Matrix symbols: finds them in a grey picture and its
// binarizations, samples them through perspective and hands them to the
// family's decoding. Nothing here touches process-wide state.
//
// Passes, cheapest first, until a pass finds a symbol (every pass with
// tryHarder): the first binarizer, the other one, their inversions
// (tryInvert), then small pictures enlarged twice.
class TVekDatamatrixPhotoReader {
public:
    explicit TVekDatamatrixPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug) {}

    TVekBarcodes read(TVekBinaryCache& picture) const;

private:
    // What one pass reads: the picture, whether it is inverted, and the
    // factor its coordinates are enlarged by.
    struct TPass {
        const TVekBitMatrix& picture;
        bool inverted;
        double scale;
        // The grey picture (at scale 1) for a second look at outlines whose
        // binarized modules do not decode, and how many such looks the read
        // has left; none skips them.
        const TVekGreyImage* grey = nullptr;
        int32_t* greyLooks = nullptr;
    };

    void readPass(const TPass& pass, TVekBarcodes& found) const;
    // The symbol on an L, decoded or failed; none when the L leads nowhere.
    std::optional<TVekBarcode> readCandidate(const TPass& pass, const TVekDatamatrixL& l) const;
    bool isDone(const TVekBarcodes& found) const;
    static bool isInside(TVekPointF point, const TVekBarcode& barcode);

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
};

}  // namespace orvel
