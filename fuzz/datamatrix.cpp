// Data Matrix data codewords, one per byte, through the documented codeword
// decoder (output sized as its reader sizes it) and the photo path's content
// decoding with X12 and EDIFACT.
#include <cstdint>

#include "datamatrix/VekDatamatrixCWDecoder.h"
#include "datamatrix/VekDatamatrixContent.h"
#include "foundation/VekBarcode.h"
#include "foundation/VekException.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TVectorInteger codewords(data, data + size);
    const size_t outputSize = 2 * codewords.size();
    TVectorString texts(outputSize);
    TVectorInteger values(outputSize);
    int32_t pos = 0;
    int32_t count = 0;
    try {
        TVekDatamatrixCWDecoder().decode(pos, codewords, texts, values, count);
    } catch (const TVekException&) {
    }
    TVekBarcode barcode;
    TVekDatamatrixContent::decode(codewords, barcode);
    return 0;
}
