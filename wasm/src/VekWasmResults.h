#pragma once

#include <emscripten/val.h>

#include "foundation/VekBarcode.h"

namespace orvel {

// A result record as a JavaScript object: text, bytes (Uint8Array), format
// (the table's name), detectorFormat (the Shape Detection API's name),
// symbologyIdentifier, position (topLeft, topRight, bottomRight, bottomLeft
// as {x, y}), orientation, isMirrored, isInverted, ecLevel, eciMarks,
// structuredAppend {index, count, id}, isValid and error.
emscripten::val resultOf(const TVekBarcode& barcode);

}  // namespace orvel
