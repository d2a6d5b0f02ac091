#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekImage.h"
#include "foundation/VekImageView.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The documented readers run on a copy of the picture with the settings of
// the demonstration program's buttons, given to each reader by value (the
// process-wide settings and the display are left alone), and their records
// turned into TVekBarcode. Only the formats in `formats` that the options ask
// for are read.
TVekBarcodes readClassic(const TVekImage& image, const TVekReaderOptions& options,
                         const TVekBarcodeFormats& formats);
// The same on a picture the caller no longer needs (a fresh copy of its own).
TVekBarcodes readClassic(TVekImage&& image, const TVekReaderOptions& options, const TVekBarcodeFormats& formats);

// A colour picture of caller memory, for the documented readers.
TVekImage imageOfView(const TVekImageView& view);

}  // namespace orvel
