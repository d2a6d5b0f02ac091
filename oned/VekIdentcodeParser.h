#pragma once

#include "oned/VekCode25InterleavedParser.h"

namespace orvel {

// Identcode (Deutsche Post): an Interleaved 2 of 5 symbol with its own
// check-digit weights.
class TVekIdentcodeParser : public TVekCode25InterleavedParser {
public:
    int32_t getSymbology() const override;
    // 4 x the digits at even positions + 9 x the digits at odd positions, mod 10.
    int32_t getChecksum(std::string_view digits) const override;
};

}  // namespace orvel
