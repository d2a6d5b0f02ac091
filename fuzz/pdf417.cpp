// PDF417 codewords from raw input, two bytes each (big-endian, modulo 929).
// First byte: bit 7 chooses a read grid (data columns 1 + the next byte mod
// 30, error correction level from the low four bits mod 9, values from
// 0xF000 up unread) corrected and decoded as the photo path does, over the
// documented codeword decoder on the codewords themselves (the symbol length
// descriptor first).
#include <cstdint>

#include "foundation/VekException.h"
#include "pdf417/VekPDF417CWDecoder.h"
#include "pdf417/VekPDF417Grid.h"
#include "pdf417/VekPDF417SymbolDecoder.h"
#include "VekFuzzInput.h"

using namespace orvel;

namespace {

TVectorInteger readCodewords(fuzz::TVekFuzzInput& input, bool withUnread) {
    TVectorInteger codewords;
    while (input.remaining() >= 2) {
        const int32_t value = (input.byte() << 8) | input.byte();
        codewords.push_back(withUnread && value >= 0xF000 ? -1 : value % 929);
    }
    return codewords;
}

void decodeGrid(fuzz::TVekFuzzInput& input, uint8_t shape) {
    TVekPDF417Grid grid;
    grid.ecLevel = (shape & 0x0F) % 9;
    grid.columns = 1 + input.byte() % 30;
    grid.codewords = readCodewords(input, true);
    grid.rows = static_cast<int32_t>(grid.codewords.size()) / grid.columns;
    if (grid.rows == 0) return;
    grid.codewords.resize(static_cast<size_t>(grid.rows) * grid.columns);
    TVekPDF417SymbolDecoder::decode(grid);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TVekFuzzInput input(data, size);
    const uint8_t shape = input.byte();
    if (shape & 0x80) {
        decodeGrid(input, shape);
        return 0;
    }
    const TVectorInteger codewords = readCodewords(input, false);
    TVectorInteger result;
    try {
        TVekPDF417CWDecoder().decode(codewords, result);
    } catch (const TVekException&) {
    }
    return 0;
}
