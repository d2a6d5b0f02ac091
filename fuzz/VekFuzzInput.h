#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvel::fuzz {

// The fuzzer's bytes read from the front: a few header values, then the rest
// as bytes or bits. Reading past the end gives zeros, so every input is a
// complete case.
class TVekFuzzInput {
public:
    TVekFuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    size_t remaining() const { return size_ - at_; }
    const uint8_t* rest() const { return data_ + at_; }
    std::vector<uint8_t> restBytes() const { return {data_ + at_, data_ + size_}; }

    // Bit k of the rest, the high bit of each byte first.
    int bit(size_t k) const {
        const size_t index = at_ + k / 8;
        return index < size_ ? (data_[index] >> (7 - k % 8)) & 1 : 0;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace orvel::fuzz
