#include "foundation/VekROrvelConfiguration.h"
#include "qrcode/VekQRCodeReader.h"
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
    TVekQRCodeReader reader;
    reader.binaryInput = false;
    const TVekQRCodeDataArray records = reader.read(image);

    TVekScanResults results;
    for (const TVekQRCodeData& record : records) {
        TVekScanResult result;
        result.family = TVekScanFamily::qrcode;
        result.symbology = "QRCODE";
        result.text = record.getValueAsString();
        result.success = record.success;
        result.x = record.x1;
        result.y = record.y1;
        result.logLines.push_back(std::string(barcodeFoundPrefix) + record.toString());
        results.push_back(std::move(result));
    }
    return results;
}

}  // namespace orvel
