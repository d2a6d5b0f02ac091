// readBarcodes on small pictures. First byte: width 8 ... 135. Second byte:
// bit 0 try harder, bit 1 one bit per pixel (high bit first, 1 dark) instead
// of a grey byte, bit 2 the documented readers, bit 3 failed symbols too,
// bit 4 a pure symbol, bit 5 the global binarizer first. The rows follow, as
// many whole rows as the input holds, at most 136.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "foundation/VekException.h"
#include "foundation/VekImageView.h"
#include "read/VekReadBarcodes.h"
#include "VekFuzzInput.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TVekFuzzInput input(data, size);
    const int32_t width = 8 + input.byte() % 128;
    const uint8_t flags = input.byte();
    const bool bitonal = (flags & 2) != 0;
    const size_t rowBytes = bitonal ? (static_cast<size_t>(width) + 7) / 8 : static_cast<size_t>(width);
    const int32_t height = static_cast<int32_t>(std::min<size_t>(136, input.remaining() / rowBytes));
    if (height == 0) return 0;

    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const size_t at = static_cast<size_t>(y) * width + x;
            pixels[at] = bitonal ? (input.bit(y * rowBytes * 8 + x) ? 0 : 255) : input.rest()[at];
        }

    TVekReaderOptions options;
    options.tryHarder = (flags & 1) != 0;
    options.classic = (flags & 4) != 0;
    options.returnErrors = (flags & 8) != 0;
    options.isPure = (flags & 16) != 0;
    options.binarizer = (flags & 32) ? TVekBinarizerKind::global : TVekBinarizerKind::local;
    try {
        readBarcodes(TVekImageView(pixels.data(), width, height, TVekPixelFormat::grey), options);
    } catch (const TVekException&) {
    }
    return 0;
}
