#pragma once

#include <filesystem>

#include "foundation/VekBarcode.h"
#include "foundation/VekBitmap.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekImage.h"

namespace orvel {

// The picture with each symbol's outline (its four corners joined) and a
// label of its symbology and text drawn over it: green for decoded symbols,
// red for symbols found but not decoded. Characters outside printable ASCII
// show as '?'; long texts are cut.
TVekBitmap annotatePicture(const TVekImage& image, const TVekBarcodes& barcodes);

// The picture with what a read told its debug sink drawn over it: lines and
// points in their own colours, notes listed at the top left.
TVekBitmap drawDebugPicture(const TVekImage& image, const TVekDebugDrawing& drawing);

// Writes the raster as a PNG file. Raises TVekException "<file>: <problem>".
void writePngFile(const std::filesystem::path& path, const TVekBitmap& bitmap);

}  // namespace orvel
