#include "foundation/VekROrvelConfiguration.h"
#include "oned/VekBarcode1DReader.h"
#include "scan/VekFamilyScanSteps.h"
#include "scan/VekScanStep.h"

namespace orvel {

// "Scan 1D files", folder "images".

void start1DClick() { orvelConfiguration.maxAngleDifference = 10; }

TVekScanResults scan1DPicture(TVekImage& image) {
    writeLinearPictureSettings(orvelConfiguration);

    TVekBarcode1DReader reader;
    reader.setSymbologies(511);  // all nine symbologies
    reader.acceptBlackAndWhite = false;
    reader.debug = true;
    TVekBarcodeDataArray records;
    reader.scan(image, false, records);

    TVekScanResults results;
    for (const TVekBarcodeData& record : records) {
        TVekScanResult result;
        result.family = TVekScanFamily::oneD;
        result.symbology = symbologyName(record.getSymbology());
        result.text = record.getValue();
        result.success = !record.getCandidate();
        result.x = record.getX();
        result.y = record.getY();
        const char* prefix = record.getCandidate() ? barcodeCandidatePrefix : barcodeFoundPrefix;
        result.logLines.push_back(std::string(prefix) + record.toString());
        results.push_back(std::move(result));
    }
    return results;
}

}  // namespace orvel
