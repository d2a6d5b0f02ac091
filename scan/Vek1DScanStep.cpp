#include "foundation/VekROrvelConfiguration.h"
#include "scan/VekFamilyScanSteps.h"
#include "scan/VekScanStep.h"

namespace orvel {

// "Scan 1D files", folder "images".

void start1DClick() { orvelConfiguration.maxAngleDifference = 10; }

TVekScanResults scan1DPicture(TVekImage& image) {
    orvelConfiguration.maxObjectSize = 10000;
    orvelConfiguration.minObjectSize = 15;
    orvelConfiguration.minBarLength = 10;
    orvelConfiguration.maxBarLength = 500;
    orvelConfiguration.maxAngleDifference = 10;

    TVekScanResults results;
    // The reader call goes here, once oned/VekBarcode1DReader exists:
    //   TVekBarcode1DReader reader;
    //   reader.setSymbologies(511);            // all nine symbologies
    //   reader.acceptBlackAndWhite = false;
    //   reader.debug = true;
    //   reader.scan(image, false, records);
    // and for each record, in order:
    //   "Barcode candidate found " + toString for a candidate record (success
    //   false), else "Barcode  found " + toString; symbology by flag value
    //   ("CODE128", "EAN8", "EAN13", "UPCA", "UPCE", "CODE39",
    //   "INTERLEAVED25", "IDENTCODE", "CODABAR"), text = value, x, y.
    (void)image;
    return results;
}

}  // namespace orvel
