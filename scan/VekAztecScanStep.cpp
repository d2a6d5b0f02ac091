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
    TVekScanResults results;
    // The reader call goes here, once aztec/VekAztecCodeReader exists:
    //   TVekAztecCodeReader reader;
    //   reader.binaryInput = false;
    //   reader.read(image, records);
    // and for each record: log line "Barcode  found " + toString; symbology
    // "AZTEC", text = getValueAsString, success = the record's success flag,
    // x, y.
    (void)image;
    return results;
}

}  // namespace orvel
