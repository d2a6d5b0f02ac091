// QR Code from raw input. First byte: bit 7 chooses the data bit stream
// (corrected codewords of the version 1 + low bits mod 40, bit 6 reading ECI
// designators anywhere) over the module matrix (bit 6: any side of the low
// bits, else the side of the version 1 + low bits mod 40), read row by row
// from the following bits by the documented decoder and the photo path's,
// and as a Micro QR matrix; the same bits also make an rMQR matrix of the
// size of version indicator low bits mod 32. A matrix larger than the input's
// bits fill shrinks to the largest they do: a version 40 of zeros finds
// nothing a version 5 of zeros would not, at forty times the cost.
#include <cstdint>
#include <string>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekException.h"
#include "qrcode/VekQRCWDecoder.h"
#include "qrcode/VekQRCodeDecoder.h"
#include "qrcode/VekMicroQRMatrixDecoder.h"
#include "qrcode/VekQRMatrixDecoder.h"
#include "qrcode/VekRMQRMatrixDecoder.h"
#include "qrcode/VekRMQRTables.h"
#include "VekFuzzInput.h"

using namespace orvel;

namespace {

void decodeStream(fuzz::TVekFuzzInput& input, uint8_t shape) {
    std::string bits;
    bits.reserve(input.remaining() * 8);
    for (size_t k = 0; k < input.remaining() * 8; ++k) bits.push_back(input.bit(k) ? '1' : '0');
    TVekQRBitString stream(std::move(bits));
    TVekQRCWDecoder decoder;
    decoder.setEciAnywhere((shape & 0x40) != 0);
    TVectorInteger values;
    try {
        decoder.decode(stream, 1 + (shape & 0x3F) % 40, values);
    } catch (const TVekException&) {
    }
}

// The side asked for, or the largest the input's bits fill.
int32_t fittingSide(const fuzz::TVekFuzzInput& input, uint8_t shape) {
    const size_t bits = input.remaining() * 8;
    if (shape & 0x40) {
        int32_t side = shape & 0x3F;
        while (side > 1 && static_cast<size_t>(side) * side > bits) --side;
        return side;
    }
    int32_t version = 1 + (shape & 0x3F) % 40;
    const auto modules = [](int32_t v) { return static_cast<size_t>(TVekQRCodeDecoder::getModulesForVersion(v)); };
    while (version > 1 && modules(version) * modules(version) > bits) --version;
    return static_cast<int32_t>(modules(version));
}

void decodeMatrix(fuzz::TVekFuzzInput& input, uint8_t shape) {
    const int32_t side = fittingSide(input, shape);
    TIntegerMatrix columns(static_cast<size_t>(side), TVectorInteger(static_cast<size_t>(side)));
    TVekBitMatrix modules(side, side);
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x) {
            const int dark = input.bit(static_cast<size_t>(y) * side + x);
            columns[x][y] = dark;
            modules.set(x, y, dark != 0);
        }
    TVekQRCodeDecoder().decodeArray(columns);
    TVekQRMatrixDecoder::decode(modules);
    TVekMicroQRMatrixDecoder::decode(modules);
    const TVekRMQRVersionInfo& info = *rmqrVersionInfo((shape & 0x3F) % kRMQRVersions);
    TVekBitMatrix rectangle(info.width, info.height);
    for (int32_t y = 0; y < info.height; ++y)
        for (int32_t x = 0; x < info.width; ++x) rectangle.set(x, y, input.bit(static_cast<size_t>(y) * info.width + x));
    TVekRMQRMatrixDecoder::decode(rectangle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TVekFuzzInput input(data, size);
    const uint8_t shape = input.byte();
    if (shape & 0x80)
        decodeStream(input, shape);
    else
        decodeMatrix(input, shape);
    return 0;
}
