#include "qrcode/VekQRBitString.h"

#include <algorithm>
#include <utility>

namespace orvel {

TVekQRBitString::TVekQRBitString(std::string bits_) : bits(std::move(bits_)) {}

void TVekQRBitString::appendBits(uint32_t value, int32_t n) {
    for (int32_t i = n - 1; i >= 0; --i) bits.push_back(i < 32 && ((value >> i) & 1u) ? '1' : '0');
}

void TVekQRBitString::prependBits(uint32_t value, int32_t n) {
    std::string front;
    for (int32_t i = 0; i < n; ++i) front.push_back(i < 32 && ((value >> i) & 1u) ? '1' : '0');
    bits = front + bits.substr(position);
    position = 0;
}

uint32_t TVekQRBitString::peekBits(int32_t n) const {
    const int32_t available = length();
    if (available == 0) return 1;
    n = std::clamp(n, 0, 32);
    uint32_t value = 0;
    for (int32_t i = 0; i < n; ++i) {
        const bool one = i >= available || bits[position + i] == '1';
        value = (value << 1) | (one ? 1u : 0u);
    }
    return value;
}

uint32_t TVekQRBitString::readBits(int32_t n) {
    const uint32_t value = peekBits(n);
    position += static_cast<size_t>(std::clamp(n, 0, length()));
    return value;
}

uint32_t TVekQRBitString::takeLastBits(int32_t n) {
    uint32_t value = 0;
    for (char c : takeLastText(n)) value = (value << 1) | (c == '1' ? 1u : 0u);
    return value;
}

std::string TVekQRBitString::takeLastText(int32_t n) {
    const size_t count = static_cast<size_t>(std::clamp(n, 0, length()));
    std::string tail = bits.substr(bits.size() - count);
    bits.resize(bits.size() - count);
    return tail;
}

}  // namespace orvel
