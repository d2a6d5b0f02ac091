#pragma once

#include <cstdint>
#include <string>

#include "foundation/VekUtil.h"

namespace orvel {

// The result record of one PDF417 symbol: the decoded message, the Macro
// PDF417 fields, the error correction outcome and where the symbol starts.
class TVekPDF417Data {
public:
    // ecLevel is half the number of error-correction codewords;
    // correctedErrors the result of the error correction (-1 when it failed).
    TVekPDF417Data(const TVectorInteger& values, int32_t x, int32_t y, const TVectorString& macroStringFields,
                   const TMatrixIntegerV& macroByteFields, int32_t correctedErrors, int32_t ecLevel);

    // "Value (int): 65 66   Value (String): AB   X: 10   Y: 20   EC Level=4"
    std::string toString() const;

    // The message as bytes: values above 255 (left over from byte
    // compaction) keep their low byte.
    std::string getValueAsString() const;

    int32_t getEcLevel() const { return ecLevel; }
    int32_t getCorrectedErrors() const { return correctedErrors; }
    // False when the error correction failed: the values are then unchecked.
    bool isCorrected() const { return correctedErrors >= 0; }
    const TVectorString& getMacroStringFields() const { return macroStringFields; }
    const TMatrixIntegerV& getMacroByteFields() const { return macroByteFields; }
    const TVectorInteger& getValues() const { return values; }
    int32_t getX() const { return x; }
    int32_t getY() const { return y; }

private:
    int32_t ecLevel;
    int32_t correctedErrors;
    TVectorString macroStringFields;
    TMatrixIntegerV macroByteFields;
    TVectorInteger values;
    int32_t x;
    int32_t y;
};

}  // namespace orvel
