#include "datamatrix/VekDatamatrixReader.h"
#include "scan/VekFamilyScanSteps.h"
#include "scan/VekScanStep.h"

namespace orvel {

// "Scan Datamatrix", folder "DatamatrixImages". The button writes no setting.

void startDatamatrixClick() {}

namespace {

// The content as bytes. Control entries (-1) carry no byte: one at the start
// (FNC1 in first position marks GS1 data, Structured Append, a macro) is left
// out, a later one is the FNC1 that separates GS1 fields and reads as GS, the
// form GS1 data takes everywhere else. Other values keep their low 8 bits.
std::string scanTextOf(const TVectorInteger& values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i] == -1) {
            if (i > 0) text += '\x1D';
            continue;
        }
        text += static_cast<char>(values[i] & 0xFF);
    }
    return text;
}

}  // namespace

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
        result.text = scanTextOf(record.getValue());
        result.success = true;
        result.x = record.getX();
        result.y = record.getY();
        result.logLines.push_back(std::string(barcodeFoundPrefix) + record.toString());
        results.push_back(std::move(result));
    }
    return results;
}

}  // namespace orvel
