#include "scan/VekFamilyScanSteps.h"
#include "scan/VekScanStep.h"

namespace orvel {

// "Scan Datamatrix", folder "DatamatrixImages". The button writes no setting.

void startDatamatrixClick() {}

TVekScanResults scanDatamatrixPicture(TVekImage& image) {
    TVekScanResults results;
    // The reader call goes here, once datamatrix/VekDatamatrixReader exists:
    //   TVekDatamatrixReader reader;
    //   reader.imageIsBlackAndWhite = false;
    //   reader.read(image, records);
    // and for each record: log line "Barcode  found " + toString; symbology
    // "DATAMATRIX", text = the values' low 8 bits, success true, x, y.
    (void)image;
    return results;
}

}  // namespace orvel
