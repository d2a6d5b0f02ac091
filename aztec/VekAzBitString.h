#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvel {

// A string of bits, first bit first, read from the front. Reading past the end
// yields 1 bits: the padding of an Aztec symbol's last codeword is all ones, so
// a short tail reads as padding instead of as a character.
class TVekAzBitString {
public:
    TVekAzBitString() = default;
    // Takes a text of '0' and '1' characters; anything else counts as '0'.
    explicit TVekAzBitString(const std::string& text);

    // Appends the n low bits of value, most significant first (0 <= n <= 32).
    void appendBits(uint32_t value, int32_t n);
    void prependBit(int32_t bit);
    // Room for n bits in all, so that appending them allocates once.
    void reserve(size_t n) { bits.reserve(n); }

    int32_t length() const { return static_cast<int32_t>(bits.size() - head); }
    bool isEmpty() const { return head >= bits.size(); }

    // The first n bits (1 <= n <= 31) as a number, without removing them; bits
    // missing at the end count as 1. An empty string gives 1.
    int32_t peekBits(int32_t n) const;
    // As peekBits, and removes the bits (all remaining ones when fewer than n).
    int32_t readBits(int32_t n);
    void skipBits(int32_t n);

    // True when every remaining bit is 1 (also when none remains).
    bool allOnes() const;

    // The remaining bits as a text of '0' and '1'.
    std::string getBits() const { return bits.substr(head); }

private:
    // Consumed bits stay in front of head so that prependBit is cheap after reads.
    std::string bits;
    size_t head = 0;
};

}  // namespace orvel
