#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan/VekScanFamily.h"

namespace orvel {

// One result record of a reader as the demonstration program logs it and as
// orvel-scan reports it.
struct TVekScanResult {
    TVekScanFamily family = TVekScanFamily::oneD;
    std::string symbology;  // "CODE128", "EAN8", ..., "PDF417", "DATAMATRIX", "QRCODE", "AZTEC"
    std::string text;       // the decoded content, one char per byte value 0 ... 255
    bool success = false;   // false for a 1D candidate or a 2D record whose decoding failed
    int32_t x = 0;          // the record's position (the first corner for QR Code)
    int32_t y = 0;
    // The exact log lines of the record ("Barcode  found " + toString, ...),
    // bytes as the record's toString builds them.
    std::vector<std::string> logLines;
};

using TVekScanResults = std::vector<TVekScanResult>;

}  // namespace orvel
