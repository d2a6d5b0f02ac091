#pragma once

#include "foundation/VekImage.h"
#include "scan/VekScanFamily.h"
#include "scan/VekScanResult.h"

namespace orvel {

// What one scan button does around its reader: the settings it writes when it
// is clicked, and for each picture the settings, the reader with its flags,
// the call and the log lines of the records. The demonstration program and
// orvel-scan both go through here.

// Writes the settings the family's button writes at the start of a click,
// before its folder is listed.
void writeStartOfClickSettings(TVekScanFamily family);

// Writes the family's per-picture settings, creates its reader, sets the
// reader's flags and reads the picture. The reader may change the picture
// (contrast stretch). Errors of the reader propagate.
TVekScanResults scanPicture(TVekScanFamily family, TVekImage& image);

// The log line of a picture in which the reader found nothing.
inline constexpr const char* noBarcodeFoundLine = "No barcode found ";
// The prefix of the log line of every decoded record.
inline constexpr const char* barcodeFoundPrefix = "Barcode  found ";
// The prefix of the log line of a 1D candidate record.
inline constexpr const char* barcodeCandidatePrefix = "Barcode candidate found ";

}  // namespace orvel
