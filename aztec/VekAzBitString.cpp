#include "aztec/VekAzBitString.h"

#include <algorithm>

namespace orvel {

TVekAzBitString::TVekAzBitString(const std::string& text) {
    bits.reserve(text.size());
    for (char c : text) bits.push_back(c == '1' ? '1' : '0');
}

void TVekAzBitString::appendBits(uint32_t value, int32_t n) {
    n = std::clamp(n, 0, 32);
    for (int32_t i = n - 1; i >= 0; --i) bits.push_back(((value >> i) & 1u) != 0 ? '1' : '0');
}

void TVekAzBitString::prependBit(int32_t bit) {
    const char c = bit != 0 ? '1' : '0';
    if (head > 0) {
        bits[--head] = c;
    } else {
        bits.insert(bits.begin(), c);
    }
}

int32_t TVekAzBitString::peekBits(int32_t n) const {
    if (isEmpty()) return 1;
    n = std::clamp(n, 0, 31);
    int32_t value = 0;
    for (int32_t i = 0; i < n; ++i) {
        const size_t at = head + static_cast<size_t>(i);
        const int32_t bit = at < bits.size() ? (bits[at] == '1' ? 1 : 0) : 1;
        value = (value << 1) | bit;
    }
    return value;
}

int32_t TVekAzBitString::readBits(int32_t n) {
    const int32_t value = peekBits(n);
    skipBits(n);
    return value;
}

void TVekAzBitString::skipBits(int32_t n) {
    if (n <= 0) return;
    head = std::min(bits.size(), head + static_cast<size_t>(n));
}

bool TVekAzBitString::allOnes() const {
    return std::all_of(bits.begin() + static_cast<std::ptrdiff_t>(head), bits.end(),
                       [](char c) { return c == '1'; });
}

}  // namespace orvel
