#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The photo front end of rMQR symbols: the family's finder scan on the
// binarizations of a grey picture, a grid from each finder, its format
// information and the top and bottom rows, sampling and decoding.
class TVekRMQRPhotoReader {
public:
    explicit TVekRMQRPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug) {}

    TVekBarcodes read(TVekBinaryCache& picture) const;

private:
    TVekReaderOptions options_;
    TVekDebugSink* debug_;
};

}  // namespace orvel
