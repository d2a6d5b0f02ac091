#include "scan/VekFamilyScanSteps.h"
#include "scan/VekScanStep.h"

namespace orvel {

// "Scan PDF417", folder "PDF417Images". The button writes no setting, so the
// reader works with whatever an earlier click left in orvelConfiguration.

void startPDF417Click() {}

TVekScanResults scanPDF417Picture(TVekImage& image) {
    TVekScanResults results;
    // The reader call goes here, once pdf417/VekPDF417Reader exists:
    //   TVekPDF417Reader reader;
    //   reader.imageIsBlackAndWhite = false;
    //   reader.read(image, records);
    // and for each record: log lines "Barcode  found " + toString, then an
    // empty line; symbology "PDF417", text = the values' low 8 bits, success
    // true, x, y.
    (void)image;
    return results;
}

}  // namespace orvel
