#pragma once

#include "foundation/VekBarcodeFormat.h"
#include "scan/VekScanFamily.h"

namespace orvel {

// The symbologies a family of the demo reads: the nine linear ones for 1d,
// its own one for each 2D family.
TVekBarcodeFormats formatsOfFamily(TVekScanFamily family);

// The family a symbology belongs to ("1d" for the linear ones in JSON).
TVekScanFamily familyOfFormat(TVekBarcodeFormat format);

}  // namespace orvel
