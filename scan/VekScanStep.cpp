#include "scan/VekScanStep.h"

#include "scan/VekFamilyScanSteps.h"

namespace orvel {

void writeStartOfClickSettings(TVekScanFamily family) {
    switch (family) {
    case TVekScanFamily::oneD: start1DClick(); return;
    case TVekScanFamily::pdf417: startPDF417Click(); return;
    case TVekScanFamily::datamatrix: startDatamatrixClick(); return;
    case TVekScanFamily::qrcode: startQRClick(); return;
    case TVekScanFamily::aztec: startAztecClick(); return;
    }
}

TVekScanResults scanPicture(TVekScanFamily family, TVekImage& image) {
    switch (family) {
    case TVekScanFamily::oneD: return scan1DPicture(image);
    case TVekScanFamily::pdf417: return scanPDF417Picture(image);
    case TVekScanFamily::datamatrix: return scanDatamatrixPicture(image);
    case TVekScanFamily::qrcode: return scanQRPicture(image);
    case TVekScanFamily::aztec: return scanAztecPicture(image);
    }
    return {};
}

}  // namespace orvel
