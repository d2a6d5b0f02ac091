#include "datamatrix/VekDatamatrixReader.h"
#include "scan/VekFamilyScanSteps.h"
#include "scan/VekScanStep.h"

namespace orvel {

// "Scan Datamatrix", folder "DatamatrixImages". The button writes no setting.

void startDatamatrixClick() {}

TVekScanResults scanDatamatrixPicture(TVekImage& image) {
    TVekDatamatrixReader reader;
    reader.imageIsBlackAndWhite = false;
    TVekDatamatrixDataArray records;
    reader.read(image, records);

    TVekScanResults results;
    for (const TVekDatamatrixData& record : records) {
        TVekScanResult result;
        result.family = TVekScanFamily::datamatrix;
        result.symbology = "DATAMATRIX";
        result.text = record.getContentBytes();
        result.success = true;
        result.x = record.getX();
        result.y = record.getY();
        result.logLines.push_back(std::string(barcodeFoundPrefix) + record.toString());
        results.push_back(std::move(result));
    }
    return results;
}

}  // namespace orvel
