#pragma once

#include "foundation/VekImage.h"
#include "scan/VekScanResult.h"

namespace orvel {

// The scan step of each family, one unit per family (dispatched by
// scan/VekScanStep.cpp). Each start...Click writes the settings of the
// button's click; each scan...Picture writes the per-picture settings, runs
// the family's reader on the picture and turns every record into a
// TVekScanResult with its log lines.

void start1DClick();                                  // scan/Vek1DScanStep.cpp
TVekScanResults scan1DPicture(TVekImage& image);

void startPDF417Click();                              // scan/VekPDF417ScanStep.cpp
TVekScanResults scanPDF417Picture(TVekImage& image);

void startDatamatrixClick();                          // scan/VekDatamatrixScanStep.cpp
TVekScanResults scanDatamatrixPicture(TVekImage& image);

void startQRClick();                                  // scan/VekQRScanStep.cpp
TVekScanResults scanQRPicture(TVekImage& image);

void startAztecClick();                               // scan/VekAztecScanStep.cpp
TVekScanResults scanAztecPicture(TVekImage& image);

}  // namespace orvel
