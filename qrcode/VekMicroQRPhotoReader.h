#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The photo front end of Micro QR symbols: the family's finder scan on the
// binarizations of a grey picture, a grid from each finder and the timing
// patterns that run from it, sampling and decoding. A finder without Micro QR
// timing patterns (one of a QR Code's three) gives no grid.
class TVekMicroQRPhotoReader {
public:
    explicit TVekMicroQRPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug) {}

    TVekBarcodes read(TVekBinaryCache& picture) const;

private:
    TVekReaderOptions options_;
    TVekDebugSink* debug_;
};

}  // namespace orvel
