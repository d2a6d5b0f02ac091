#pragma once

#include "foundation/VekBarcodeFormat.h"
#include "scan/VekScanFamily.h"

namespace orvel {

// The symbologies a family of the demo reads: the linear ones for 1d, the
// family's own for each 2D family.
TVekBarcodeFormats formatsOfFamily(TVekScanFamily family);

}  // namespace orvel
