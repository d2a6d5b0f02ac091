#pragma once

#include <array>
#include <cstdint>

namespace orvel {

// Vote counter of one cell of the PDF417 codeword matrix: up to five distinct
// values, each with its number of votes.
class TVekScanCodeword {
public:
    static constexpr int32_t MAX_VALUES = 5;

    // The value with the most votes (the first one on ties), -1 without votes.
    int32_t getValue() const;
    // Replaces all votes by one vote for v.
    void setValue(int32_t v);
    // One more vote for v; a sixth distinct value is ignored.
    void addValue(int32_t v);
    void reset();

    int32_t getCount() const { return count; }

private:
    int32_t count = 0;
    std::array<int32_t, MAX_VALUES> values{};
    std::array<int32_t, MAX_VALUES> votes{};
};

}  // namespace orvel
