// MaxiCode from raw input. First byte: bit 0 chooses the text of code sets A
// to E read straight from the following bytes (each taken modulo 64) over
// the whole symbol's 144 codewords (corrected first, then read by mode).
#include <cstdint>
#include <vector>

#include "maxicode/VekMaxiCodeDecoder.h"
#include "maxicode/VekMaxiCodeTextDecoder.h"
#include "VekFuzzInput.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TVekFuzzInput input(data, size);
    const uint8_t choice = input.byte();
    if (choice & 1) {
        std::vector<uint8_t> codewords = input.restBytes();
        for (uint8_t& c : codewords) c &= 0x3F;
        TVekMaxiCodeTextDecoder::decode(codewords);
        return 0;
    }
    TVekMaxiCodeCodewords codewords{};
    for (uint8_t& c : codewords) c = input.byte() & 0x3F;
    TVekMaxiCodeDecoder::decode(codewords);
    return 0;
}
