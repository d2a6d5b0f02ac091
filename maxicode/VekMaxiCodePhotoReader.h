#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The photo front end of MaxiCode symbols: finds bull's-eyes in the
// binarized picture, fits the grid to each through the grey picture and
// hands the codewords to the family's decoding. Nothing here touches
// process-wide state.
class TVekMaxiCodePhotoReader {
public:
    explicit TVekMaxiCodePhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug) {}

    TVekBarcodes read(TVekBinaryCache& picture) const;

private:
    TVekReaderOptions options_;
    TVekDebugSink* debug_;
};

}  // namespace orvel
