#include "pdf417/VekPDF417Reader.h"
#include "scan/VekFamilyScanSteps.h"
#include "scan/VekScanStep.h"

namespace orvel {

// "Scan PDF417", folder "PDF417Images". The button writes no setting, so the
// reader works with whatever an earlier click left in orvelConfiguration.

void startPDF417Click() {}

TVekScanResults scanPDF417Picture(TVekImage& image) {
    TVekPDF417Reader reader;
    reader.imageIsBlackAndWhite = false;
    TVekPDF417DataArray records;
    reader.read(image, records);

    TVekScanResults results;
    for (const TVekPDF417Data& record : records) {
        TVekScanResult result;
        result.family = TVekScanFamily::pdf417;
        result.symbology = "PDF417";
        result.text = record.getValueAsString();
        // The record is decoded even when the error correction failed; its
        // content is then unchecked and not a successful read.
        result.success = record.isCorrected();
        result.x = record.getX();
        result.y = record.getY();
        result.logLines.push_back(std::string(barcodeFoundPrefix) + record.toString());
        result.logLines.emplace_back();
        results.push_back(std::move(result));
    }
    return results;
}

}  // namespace orvel
