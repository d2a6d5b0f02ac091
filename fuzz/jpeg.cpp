// JPEG files, damaged anywhere: libjpeg's errors and warnings end the decoding.
#include <cstdint>
#include <vector>

#include "foundation/VekException.h"
#include "foundation/VekJpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        orvel::decodeJpeg(std::vector<uint8_t>(data, data + size));
    } catch (const orvel::TVekException&) {
    }
    return 0;
}
