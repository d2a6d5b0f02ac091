// Aztec from raw input. First byte: bit 7 chooses the data bits themselves
// (codewords of 6, 8, 10 or 12 bits by the low two bits, read as characters
// and, with the next two bytes as configuration and data codeword count,
// corrected first) over a module map (bit 0 compact, the layers in the bits
// above), filled row by row from the following bits and read by the photo
// path's mode message and data decoding. A configuration or map the input's
// bits cannot fill gives way to the largest one they do: correcting 1,437
// codewords of zeros finds nothing that 100 codewords of zeros would not, and
// would cost the fuzzer a hundred executions.
#include <cstdint>
#include <string>
#include <vector>

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

// The configuration `choice` picks among those whose codewords `bits` fill
// (the smallest when none fits).
int32_t fittingConfiguration(uint8_t choice, size_t bits) {
    std::vector<int32_t> fitting;
    int32_t smallest = 0;
    for (int32_t k = 0; k < AZ_CONF_ROWS; ++k) {
        const int32_t total = AZTEC_CONFIGURATIONS[static_cast<size_t>(k)][AZ_CONF_TOTAL_BITS];
        if (static_cast<size_t>(total) <= bits) fitting.push_back(k);
        if (total < AZTEC_CONFIGURATIONS[static_cast<size_t>(smallest)][AZ_CONF_TOTAL_BITS]) smallest = k;
    }
    return fitting.empty() ? smallest : fitting[choice % fitting.size()];
}

void decodeBits(fuzz::TVekFuzzInput& input, uint8_t shape) {
    const int32_t wordSize = 6 + 2 * (shape & 3);
    const uint8_t choice = input.byte();
    const int32_t configuration = fittingConfiguration(choice, input.remaining() > 1 ? (input.remaining() - 1) * 8 : 0);
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
    int32_t layers = 1 + ((shape >> 1) & 0x3F) % (compact ? 4 : 32);
    int32_t configuration = findAztecConfiguration(layers, compact);
    const auto sideOf = [](int32_t row) { return AZTEC_CONFIGURATIONS[static_cast<size_t>(row)][AZ_CONF_WIDTH]; };
    while (layers > 1 && configuration >= 0 &&
           static_cast<size_t>(sideOf(configuration)) * sideOf(configuration) > input.remaining() * 8)
        configuration = findAztecConfiguration(--layers, compact);
    if (configuration < 0) return;
    const int32_t side = sideOf(configuration);
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
