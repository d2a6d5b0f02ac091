#pragma once

#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekReaderOptions.h"
#include "read/VekResultSet.h"

namespace orvel {

// The order of work of one picture's photo read, written once for every
// family of the table of photo front ends (photoReaders()):
//  1. the first, cheap pass of each requested family, all on the one grey
//     picture and the one binarization the options name;
//  2. the later passes (the other binarizer, inversion, other scales, grey
//     module reading) of each family whose first pass saw a candidate of
//     its own, or of every family when the caller asks to try harder.
// A picture without symbols thus costs its grey conversion, one
// binarization and a first look per family. The read stops once the result
// set is complete.
class TVekPhotoSchedule {
public:
    TVekPhotoSchedule(const TVekReaderOptions& options, TVekDebugSink* debug) : options_(options), debug_(debug) {}

    void read(TVekBinaryCache& picture, TVekResultSet& found) const;

private:
    bool asks(const TVekBarcodeFormats& formats) const;

    const TVekReaderOptions& options_;
    TVekDebugSink* debug_;
};

}  // namespace orvel
