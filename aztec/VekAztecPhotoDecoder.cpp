#include "aztec/VekAztecPhotoDecoder.h"

#include <algorithm>
#include <string>

#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekAztecDecoder.h"
#include "aztec/VekReedSolomonAZ.h"

namespace orvel {

namespace {

constexpr int32_t kRuneMask = 0b1010;
// The top bit of the codeword-count field marks reader initialisation.
constexpr int32_t kCompactInitBit = 0x20;
constexpr int32_t kFullRangeInitBit = 0x400;

int32_t codewordCount(const TVekAztecModeMessage& message) {
    const int32_t configuration = findAztecConfiguration(message.layers, message.compact);
    return configuration < 0 ? 0 : AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_CODEWORDS];
}

TVekAztecData decodeLayers(const TVekAzBitMap& map, const TVekAztecModeMessage& message, TVekAztecDecoder& decoder) {
    const int32_t configuration = findAztecConfiguration(message.layers, message.compact);
    if (configuration < 0) throw TVekAZReedException("No configuration of this size");
    const int32_t wordSize = AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_WORD_SIZE];
    return decoder.decode(wordSize, configuration, readLayers(map, message.compact), message.dataCodewords);
}

}  // namespace

std::optional<TVekAztecPhotoMode> TVekAztecPhotoDecoder::readMode(const TVekAzBitMap& map, bool compact) {
    const TVectorInteger bits = modeMessageBits(map, compact);
    TVekAztecPhotoMode mode;
    try {
        mode.message = decodeModeMessage(bits, compact);
        const int32_t initBit = compact ? kCompactInitBit : kFullRangeInitBit;
        mode.readerInit = ((mode.message.dataCodewords - 1) & initBit) != 0;
        return mode;
    } catch (const TVekAZReedException&) {
    }
    if (!compact) return std::nullopt;
    TVectorInteger unmasked = bits;
    for (size_t i = 0; i < unmasked.size(); ++i) unmasked[i] ^= (kRuneMask >> (3 - i % 4)) & 1;
    try {
        const TVekAztecModeMessage message = decodeModeMessage(unmasked, true);
        mode.rune = true;
        // The first two words are the byte: layers - 1 and codewords - 1 hold it.
        mode.runeValue = ((message.layers - 1) << 6) | (message.dataCodewords - 1);
        return mode;
    } catch (const TVekAZReedException&) {
        return std::nullopt;
    }
}

TVekBarcode TVekAztecPhotoDecoder::runeBarcode(int32_t value) {
    TVekBarcode barcode;
    barcode.format = TVekBarcodeFormat::aztec;
    // A rune's byte is transmitted as three decimal digits, "000" to "255".
    const std::string digits = std::to_string(value);
    barcode.bytes = std::string(3 - std::min<size_t>(3, digits.size()), '0') + digits;
    barcode.symbologyIdentifier = "]zC";
    return barcode;
}

TVekBarcode TVekAztecPhotoDecoder::decode(const TVekAzBitMap& map, const TVekAztecPhotoMode& mode) {
    if (mode.rune) return runeBarcode(mode.runeValue);
    TVekBarcode barcode;
    barcode.format = TVekBarcodeFormat::aztec;
    TVekAztecDecoder decoder;
    TVekAztecModeMessage message = mode.message;
    TVekAztecData data;
    try {
        if (mode.readerInit) {
            // The count without its marker bit first: read with the marker as
            // part of the count, a real initialisation symbol would take check
            // words for data and still correct.
            TVekAztecModeMessage cleared = message;
            cleared.dataCodewords = ((message.dataCodewords - 1) & ~(message.compact ? kCompactInitBit : kFullRangeInitBit)) + 1;
            try {
                data = decodeLayers(map, cleared, decoder);
                message = cleared;
            } catch (const TVekAZReedException&) {
                data = decodeLayers(map, message, decoder);
            }
        } else {
            data = decodeLayers(map, message, decoder);
        }
    } catch (const TVekException& error) {
        barcode.isValid = false;
        barcode.error = error.what();
        return barcode;
    }

    const TVectorInteger& values = data.getValue();
    const std::vector<TVekAztecFlag>& flags = decoder.getFlags();
    bool gs1 = false;
    size_t next = 0;
    for (size_t i = 0; i <= values.size(); ++i) {
        for (; next < flags.size() && flags[next].valueIndex == i; ++next) {
            if (flags[next].eci >= 0) {
                barcode.eciMarks.push_back(TVekEciMark{barcode.bytes.size(), flags[next].eci});
            } else if (barcode.bytes.empty()) {
                gs1 = true;  // FNC1 in first position
            } else {
                barcode.bytes.push_back('\x1D');
            }
        }
        if (i < values.size()) barcode.bytes.push_back(static_cast<char>(values[i] & 0xFF));
    }
    barcode.symbologyIdentifier = std::string("]z") + static_cast<char>('0' + (gs1 ? 1 : 0) + (barcode.eciMarks.empty() ? 0 : 3));
    const int32_t total = codewordCount(message);
    if (total > 0)
        barcode.ecLevel = std::to_string((total - message.dataCodewords) * 100 / total) + "%";
    if (decoder.getAppendTotal() > 0) {
        barcode.structuredAppend.index = decoder.getAppendPosition() - 1;
        barcode.structuredAppend.count = decoder.getAppendTotal();
        barcode.structuredAppend.id = decoder.getAppendId();
    }
    return barcode;
}

}  // namespace orvel
