#include "oned/VekIdentcodeParser.h"

#include "oned/VekBarcodeData.h"

namespace orvel {

int32_t TVekIdentcodeParser::getSymbology() const { return SYMBOLOGY_IDENTCODE; }

int32_t TVekIdentcodeParser::getChecksum(std::string_view digits) const {
    int32_t sum = 0;
    for (size_t i = 0; i < digits.size(); ++i) sum += (i % 2 == 0 ? 4 : 9) * (digits[i] - '0');
    return sum % 10;
}

}  // namespace orvel
