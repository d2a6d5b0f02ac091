#pragma once

#include <cstdint>
#include <string>

namespace orvel {

// A string of bits read from the front, kept as '0'/'1' characters. The front
// is consumed by moving a read position, so reading a long stream stays linear.
class TVekQRBitString {
public:
    TVekQRBitString() = default;
    explicit TVekQRBitString(std::string bits);

    // Appends the n low bits of value, most significant first.
    void appendBits(uint32_t value, int32_t n);
    // Puts bit n - 1, then n - 2, ..., then bit 0 in front: bit 0 ends up first.
    void prependBits(uint32_t value, int32_t n);

    int32_t length() const { return static_cast<int32_t>(bits.size() - position); }

    // The first n bits (n <= 32) as an unsigned number without removing them.
    // Missing low bits count as 1; an empty string reads as 1.
    uint32_t peekBits(int32_t n) const;
    // The same, removing the bits read (all remaining ones when fewer are left).
    uint32_t readBits(int32_t n);

    // The last n bits as a number / as text, removing them.
    uint32_t takeLastBits(int32_t n);
    std::string takeLastText(int32_t n);

    // The remaining bits as text.
    std::string getBits() const { return bits.substr(position); }

private:
    std::string bits;
    size_t position = 0;
};

}  // namespace orvel
