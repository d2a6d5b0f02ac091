#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The photo front end of Data Matrix symbols: finds them in a grey picture and its
// binarizations, samples them through perspective and hands them to the
// family's decoding. Nothing here touches process-wide state.
class TVekDatamatrixPhotoReader {
public:
    explicit TVekDatamatrixPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug) {}

    TVekBarcodes read(TVekBinaryCache& picture) const;

private:
    TVekReaderOptions options_;
    TVekDebugSink* debug_;
};

}  // namespace orvel
