#include "qrcode/VekQRVersionReader.h"

#include <bit>
#include <cmath>

namespace orvel {

namespace {

constexpr uint32_t kGenerator = 0x1F25;  // x^12 + x^11 + x^10 + x^9 + x^8 + x^5 + x^2 + 1
constexpr int32_t kFirstVersion = 7;
constexpr int32_t kLastVersion = 40;
constexpr int kMaxErrors = 3;

// The module under the centre of module (c, r), or -1 outside the picture.
int32_t moduleAt(const TVekBitMatrix& bits, const TVekPerspectiveTransform& t, int32_t c, int32_t r) {
    const TVekPointF p = t.map({c + 0.5, r + 0.5});
    if (!(p.x >= 0 && p.y >= 0 && p.x < bits.width() && p.y < bits.height())) return -1;
    return bits.get(static_cast<int32_t>(p.x), static_cast<int32_t>(p.y)) ? 1 : 0;
}

}  // namespace

uint32_t TVekQRVersionReader::encode(int32_t version) {
    uint32_t remainder = static_cast<uint32_t>(version) << 12;
    for (int bit = 17; bit >= 12; --bit)
        if (remainder & (1u << bit)) remainder ^= kGenerator << (bit - 12);
    return (static_cast<uint32_t>(version) << 12) | remainder;
}

int32_t TVekQRVersionReader::decode(uint32_t word) {
    int32_t best = 0;
    int bestErrors = kMaxErrors + 1;
    for (int32_t version = kFirstVersion; version <= kLastVersion; ++version) {
        const int errors = std::popcount(word ^ encode(version));
        if (errors < bestErrors) {
            bestErrors = errors;
            best = version;
        }
    }
    return best;
}

int32_t TVekQRVersionReader::read(const TVekBitMatrix& bits, int32_t dimension,
                                  const TVekPerspectiveTransform& moduleToPicture) {
    // Bit i of the word is at column n - 11 + i % 3, row i / 3 in the top-right
    // block, and transposed in the bottom-left one.
    for (const bool topRight : {true, false}) {
        uint32_t word = 0;
        bool complete = true;
        for (int32_t i = 0; i < 18 && complete; ++i) {
            const int32_t along = dimension - 11 + i % 3;
            const int32_t across = i / 3;
            const int32_t m = topRight ? moduleAt(bits, moduleToPicture, along, across)
                                       : moduleAt(bits, moduleToPicture, across, along);
            if (m < 0) complete = false;
            if (m == 1) word |= 1u << i;
        }
        if (!complete) continue;
        if (const int32_t version = decode(word)) return version;
    }
    return 0;
}

}  // namespace orvel
