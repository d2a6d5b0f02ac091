#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "foundation/VekUtil.h"

namespace orvel {

// One decoded Aztec symbol: its values (character codes and byte values), the
// bull's-eye position and the symbol's codeword size.
class TVekAztecData {
public:
    TVekAztecData() = default;

    const TVectorInteger& getValue() const { return value; }
    void setValue(TVectorInteger newValue) { value = std::move(newValue); }

    // One character (the low 8 bits) per value; empty without values.
    std::string getValueAsString() const;
    // "   Value:  65 66 Text=AB   X1: 10,   Y1: 20,  decoding was succesfull"
    std::string toString() const;

    int32_t x = 0;
    int32_t y = 0;
    int32_t codewordSize = 0;
    bool success = false;

private:
    TVectorInteger value;
};

}  // namespace orvel
