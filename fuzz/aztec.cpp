// Aztec from raw input. First byte: bit 7 chooses the data bits themselves
// (codewords of 6, 8, 10 or 12 bits by the low two bits, read as characters
// and, with the next two bytes as configuration and data codeword count,
// corrected first) over a module map (bit 0 compact, the layers in the bits
// above), filled row by row from the following bits and read by the photo
// path's mode message and data decoding.
#include <cstdint>
#include <string>

#include "aztec/VekAzBitMap.h"
#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekAztecDecoder.h"
#include "aztec/VekAztecPhotoDecoder.h"
#include "foundation/VekException.h"
#include "VekFuzzInput.h"

using namespace orvel;

namespace {

std::string bitText(const fuzz::TVekFuzzInput& input) {
    std::string bits;
    for (size_t k = 0; k < input.remaining() * 8; ++k) bits.push_back(input.bit(k) ? '1' : '0');
    return bits;
}

void decodeBits(fuzz::TVekFuzzInput& input, uint8_t shape) {
    const int32_t wordSize = 6 + 2 * (shape & 3);
    const int32_t configuration = input.byte() % AZ_CONF_ROWS;
    const int32_t dataCodewords = input.byte();
    const std::string bits = bitText(input);
    try {
        TVekAzBitString characters(bits);
        TVekAztecDecoder().decodeCharacters(wordSize, characters, TVekAztecMode::UPPER);
    } catch (const TVekException&) {
    }
    try {
        const int32_t configuredSize =
            AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_WORD_SIZE];
        TVekAztecDecoder().decode(configuredSize, configuration, TVekAzBitString(bits), dataCodewords);
    } catch (const TVekException&) {
    }
}

void decodeMap(fuzz::TVekFuzzInput& input, uint8_t shape) {
    const bool compact = (shape & 1) != 0;
    const int32_t layers = 1 + ((shape >> 1) & 0x3F) % (compact ? 4 : 32);
    const int32_t configuration = findAztecConfiguration(layers, compact);
    if (configuration < 0) return;
    const int32_t side = AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_WIDTH];
    TVekAzBitMap map(side, side, compact);
    size_t k = 0;
    for (int32_t y = map.getMinY(); y <= map.getMaxY(); ++y)
        for (int32_t x = map.getMinX(); x <= map.getMaxX(); ++x)
            map.setCell(x, y, input.bit(k++) ? TVekAzBitMap::DARK : TVekAzBitMap::LIGHT);
    const auto mode = TVekAztecPhotoDecoder::readMode(map, compact);
    if (mode) TVekAztecPhotoDecoder::decode(map, *mode);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TVekFuzzInput input(data, size);
    const uint8_t shape = input.byte();
    if (shape & 0x80)
        decodeBits(input, shape);
    else
        decodeMap(input, shape);
    return 0;
}
