#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekImage.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The documented readers run on a copy of the picture with the settings of
// the demonstration program's buttons, given to each reader by value (the
// process-wide settings and the display are left alone), and their records
// turned into TVekBarcode. Only the families in `families` that the options
// ask for are read.
TVekBarcodes readClassic(const TVekImage& image, const TVekReaderOptions& options,
                         const TVekBarcodeFormats& families);
TVekBarcodes readClassic(const TVekGreyImage& grey, const TVekReaderOptions& options,
                         const TVekBarcodeFormats& families);

}  // namespace orvel
