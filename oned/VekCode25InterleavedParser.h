#pragma once

#include "oned/VekBarcodeParser.h"

namespace orvel {

// Interleaved 2 of 5: start "1111", pairs of digits whose first digit is in
// the bars and second in the spaces, stop "211". A check digit is not
// verified and stays in the text.
class TVekCode25InterleavedParser : public TVekBarcodeParser {
public:
    TVekCode25InterleavedParser();

    int32_t getSymbology() const override;
    bool parse() override;

    bool parse25();
    // Weighted digit sum mod 10: 3 x the digits at even positions + the
    // digits at odd positions, positions from 0 at the left.
    virtual int32_t getChecksum(std::string_view digits) const;
};

}  // namespace orvel
