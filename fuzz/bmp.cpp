// Bitmap files of every kind the loader reads, checked bytes first.
#include <cstdint>
#include <vector>

#include "foundation/VekException.h"
#include "foundation/VekPictureLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        orvel::decodeBmp(std::vector<uint8_t>(data, data + size));
    } catch (const orvel::TVekException&) {
    }
    return 0;
}
