#pragma once

#include "oned/VekBarcodeParser.h"

namespace orvel {

// Code 128: start character, data in code sets A, B and C with shifts and code
// changes, modulo-103 check character and stop pattern. Widths are learnt from
// the stop pattern, or from a start pattern when that fails. When the check
// character disagrees, the most doubtful elements are read the other way,
// singly and in pairs; a symbol that cannot be read at all is read backwards.
class TVekCode128Parser : public TVekBarcodeParser {
public:
    TVekCode128Parser();

    int32_t getSymbology() const override;
    bool parse() override;

    // One reading direction with the check-character retries.
    bool parse128();
    // One decoding attempt from the first element.
    bool parse128Int();
private:
    enum class CodeSet { None, A, B, C };

    bool readStart(std::string& pattern);
    void applyValue(int32_t value, CodeSet set, CodeSet& current, CodeSet& shift);
    // A value that is neither data nor a code change here: its function
    // character (FNC4 is 100 in set B and 101 in set A).
    void addFunctionValue(int32_t value);

    bool retryRequest = false;
};

}  // namespace orvel
