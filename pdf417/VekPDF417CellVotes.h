#pragma once

#include <array>
#include <cstdint>

#include "pdf417/VekPDF417CharacterReader.h"

namespace orvel {

// The readings of one codeword cell by several scan lines: up to three
// rival values, a reading by rounding weighing two, a nearest fit one.
class TVekPDF417CellVotes {
public:
    void vote(const TVekPDF417Character& character);
    // The leading value; -1 for none or a tie.
    int32_t best() const;
    // The leading value is ahead of the others by `lead`.
    bool isSettled(int32_t lead) const;

private:
    std::array<int32_t, 3> values_{-1, -1, -1};
    std::array<int32_t, 3> counts_{};
};

}  // namespace orvel
