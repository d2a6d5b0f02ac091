#include "aztec/VekAztecCodeReader.h"
#include "foundation/VekROrvelConfiguration.h"
#include "scan/VekFamilyScanSteps.h"
#include "scan/VekScanStep.h"

namespace orvel {

// "Scan AztecCode", folder "AztecImages".

// The Aztec reader reads neither setting, but they stay in force for the
// clicks of other families that follow.
void startAztecClick() {
    orvelConfiguration.maxObjectSize = 8000000;
    orvelConfiguration.maxBarLength = 150000;
}

TVekScanResults scanAztecPicture(TVekImage& image) {
    TVekAztecCodeReader reader;
    reader.binaryInput = false;
    TVekAztecDataArray records;
    reader.read(image, records);

    TVekScanResults results;
    for (const TVekAztecData& record : records) {
        TVekScanResult result;
        result.family = TVekScanFamily::aztec;
        result.symbology = "AZTEC";
        result.text = record.getValueAsString();
        result.success = record.success;
        result.x = record.x;
        result.y = record.y;
        result.logLines.push_back(std::string(barcodeFoundPrefix) + record.toString());
        results.push_back(std::move(result));
    }
    return results;
}

}  // namespace orvel
