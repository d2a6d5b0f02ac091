#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/VekUtil.h"

namespace orvel {

// The result of reading one QR symbol: the decoded values, the centres of the
// three finder patterns, the error-correction level and the success flag.
class TVekQRCodeData {
public:
    static constexpr int32_t LEVEL_L = 0;
    static constexpr int32_t LEVEL_M = 1;
    static constexpr int32_t LEVEL_Q = 2;
    static constexpr int32_t LEVEL_H = 3;

    const TVectorInteger& getValue() const { return value; }
    void setValue(TVectorInteger newValue) { value = std::move(newValue); }

    // One character per value. A Kanji value (a two-byte Shift JIS code) gives
    // its two bytes, high byte first, so the text keeps the whole character.
    std::string getValueAsString() const;

    // The log line: values, text, the six coordinates and the outcome.
    std::string toString() const;

    int32_t x1 = 0, y1 = 0;  // centre of the top-left finder pattern
    int32_t x2 = 0, y2 = 0;  // centre of the top-right finder pattern
    int32_t x3 = 0, y3 = 0;  // centre of the bottom-left finder pattern
    int32_t ecLevel = 0;
    bool success = false;

private:
    TVectorInteger value;
};

using TVekQRCodeDataArray = std::vector<TVekQRCodeData>;

}  // namespace orvel
