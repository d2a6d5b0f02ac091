#include "qrcode/VekMicroQRTables.h"

#include <bit>

namespace orvel {

namespace {

constexpr TVekMicroQRSymbolInfo kSymbols[] = {
    {1, ' ', 3, 2, 0}, {2, 'L', 5, 5, 2},  {2, 'M', 4, 6, 2},   {3, 'L', 11, 6, 2},
    {3, 'M', 9, 8, 4}, {4, 'L', 16, 8, 3}, {4, 'M', 14, 10, 5}, {4, 'Q', 10, 14, 7},
};

// The BCH (15, 5) code of the QR family, x^10 + x^8 + x^5 + x^4 + x^2 + x + 1.
constexpr uint32_t kFormatGenerator = 0x537;
// Micro QR's own mask on the format bits, so that no format word is all light.
constexpr uint32_t kFormatMask = 0x4445;
constexpr int32_t kMaxFormatErrors = 3;

uint32_t bch15(uint32_t data) {
    uint32_t v = data << 10;
    for (int32_t bit = 14; bit >= 10; --bit)
        if ((v >> bit) & 1) v ^= kFormatGenerator << (bit - 10);
    return (data << 10) | v;
}

}  // namespace

const TVekMicroQRSymbolInfo* microQRSymbolInfo(int32_t symbolNumber) {
    return symbolNumber >= 0 && symbolNumber < 8 ? &kSymbols[symbolNumber] : nullptr;
}

uint32_t microQRFormatBits(int32_t symbolNumber, int32_t mask) {
    return bch15(static_cast<uint32_t>(symbolNumber * 4 + mask)) ^ kFormatMask;
}

std::optional<int32_t> microQRReadFormat(uint32_t bits) {
    int32_t best = -1;
    int32_t bestErrors = kMaxFormatErrors + 1;
    for (int32_t value = 0; value < 32; ++value) {
        const int32_t errors = std::popcount((microQRFormatBits(value / 4, value % 4) ^ bits) & 0x7FFF);
        if (errors < bestErrors) {
            best = value;
            bestErrors = errors;
        }
    }
    if (best < 0) return std::nullopt;
    return best;
}

int32_t microQRCountBits(int32_t modeValue, int32_t version) {
    // Rows: numeric, alphanumeric, byte, Kanji; columns M1 ... M4.
    static constexpr int32_t kBits[4][4] = {{3, 4, 5, 6}, {0, 3, 4, 5}, {0, 0, 4, 5}, {0, 0, 3, 4}};
    if (modeValue < 0 || modeValue > 3 || version < 1 || version > 4) return 0;
    return kBits[modeValue][version - 1];
}

}  // namespace orvel
