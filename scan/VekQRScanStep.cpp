#include "foundation/VekROrvelConfiguration.h"
#include "scan/VekFamilyScanSteps.h"
#include "scan/VekScanStep.h"

namespace orvel {

// "Scan QRCode", folder "QRCodeImages".

// The QR Code reader reads neither setting, but they stay in force for the
// clicks of other families that follow.
void startQRClick() {
    orvelConfiguration.maxObjectSize = 8000000;
    orvelConfiguration.maxBarLength = 150000;
}

TVekScanResults scanQRPicture(TVekImage& image) {
    TVekScanResults results;
    // The reader call goes here, once qrcode/VekQRCodeReader exists:
    //   TVekQRCodeReader reader;
    //   reader.binaryInput = false;
    //   records = reader.read(image);
    // and for each record: log line "Barcode  found " + toString; symbology
    // "QRCODE", text = getValueAsString, success = the record's success flag,
    // x = x1, y = y1.
    (void)image;
    return results;
}

}  // namespace orvel
