// PNG files of every layout, damaged anywhere.
#include <cstdint>
#include <vector>

#include "foundation/VekException.h"
#include "foundation/VekPngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        orvel::decodePng(std::vector<uint8_t>(data, data + size));
    } catch (const orvel::TVekException&) {
    }
    return 0;
}
