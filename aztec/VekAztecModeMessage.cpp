#include "aztec/VekAztecModeMessage.h"

#include "aztec/VekReedSolomonAZ.h"

namespace orvel {

namespace {

constexpr int32_t MODE_SYMBOL_SIZE = 4;
constexpr int32_t MODE_BUFFER = 15;

int32_t wordCount(bool compact) { return compact ? 7 : 10; }
int32_t checkWordCount(bool compact) { return compact ? 5 : 6; }

}  // namespace

int32_t modeMessageBitCount(bool compact) { return wordCount(compact) * MODE_SYMBOL_SIZE; }

TVekAztecModeMessage decodeModeMessage(const TVectorInteger& bits, bool compact) {
    const int32_t count = wordCount(compact);
    if (static_cast<int32_t>(bits.size()) != count * MODE_SYMBOL_SIZE)
        throw TVekAZReedException("Cannot solve RS errors");

    // The first word is the highest-degree coefficient.
    // Only the words read make the block: a correction above them is none.
    TVectorInteger received(static_cast<size_t>(count), 0);
    for (int32_t i = 0; i < count; ++i) {
        int32_t word = 0;
        for (int32_t b = 0; b < MODE_SYMBOL_SIZE; ++b)
            word = (word << 1) | (bits[static_cast<size_t>(i * MODE_SYMBOL_SIZE + b)] != 0 ? 1 : 0);
        received[static_cast<size_t>(count - 1 - i)] = word;
    }
    const int32_t checks = checkWordCount(compact);
    const TVekReedSolomonAZ code(MODE_SYMBOL_SIZE, checks, MODE_BUFFER - checks,
                                 aztecFieldPolynomial(MODE_SYMBOL_SIZE));
    TVectorInteger corrected;
    code.decode(received, corrected);
    auto word = [&](int32_t i) { return corrected[static_cast<size_t>(count - 1 - i)]; };

    TVekAztecModeMessage message;
    message.compact = compact;
    if (compact) {
        const int32_t value = (word(0) << 4) | word(1);
        message.layers = (value >> 6) + 1;
        message.dataCodewords = (value & 0x3F) + 1;
    } else {
        const int32_t value = (word(0) << 12) | (word(1) << 8) | (word(2) << 4) | word(3);
        message.layers = (value >> 11) + 1;
        message.dataCodewords = (value & 0x7FF) + 1;
    }
    return message;
}

TVectorInteger modeMessageBits(const TVekAzBitMap& map, bool compact) {
    const int32_t r = compact ? 5 : 7;
    const int32_t half = compact ? 3 : 5;
    TVectorInteger bits;
    bits.reserve(static_cast<size_t>(modeMessageBitCount(compact)));
    auto take = [&](int32_t x, int32_t y, int32_t along) {
        if (!compact && along == 0) return;  // reference grid
        bits.push_back(map.getCell(x, y) == TVekAzBitMap::DARK ? 1 : 0);
    };
    for (int32_t k = -half; k <= half; ++k) take(k, -r, k);   // top, rightwards
    for (int32_t k = -half; k <= half; ++k) take(r, k, k);    // right, downwards
    for (int32_t k = half; k >= -half; --k) take(k, r, k);    // bottom, leftwards
    for (int32_t k = half; k >= -half; --k) take(-r, k, k);   // left, upwards
    return bits;
}

}  // namespace orvel
