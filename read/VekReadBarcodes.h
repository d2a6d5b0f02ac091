#pragma once

#include <vector>

#include "foundation/VekBarcode.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekImage.h"
#include "foundation/VekImageView.h"
#include "foundation/VekLoadedPixels.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The library's entry point: every symbol of the requested formats in the
// picture, decoded symbols first in reading order. Re-entrant: it reads no
// process-wide setting and the picture is never changed, so several threads
// may read at once. Raises TVekException for an invalid view.
TVekBarcodes readBarcodes(const TVekImageView& image, const TVekReaderOptions& options = {},
                          TVekDebugSink* debug = nullptr);
TVekBarcodes readBarcodes(const TVekImage& image, const TVekReaderOptions& options = {},
                          TVekDebugSink* debug = nullptr);
// A loaded file's pixels read as the TVekImage loaded from the same file
// would be, without the colour copy of the picture unless the documented
// readers run.
TVekBarcodes readBarcodes(const TVekLoadedPixels& pixels, const TVekReaderOptions& options = {},
                          TVekDebugSink* debug = nullptr);

}  // namespace orvel
