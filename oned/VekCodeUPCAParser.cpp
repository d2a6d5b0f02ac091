#include "oned/VekCodeUPCAParser.h"

#include "oned/VekBarcodeData.h"

namespace orvel {

int32_t TVekCodeUPCAParser::getSymbology() const { return SYMBOLOGY_UPCA; }

bool TVekCodeUPCAParser::parse() {
    return parseBothWays([this] { return parseUPCA(); });
}

bool TVekCodeUPCAParser::parseUPCA() {
    if (!readGuard(3, "111", "Start pattern code UPCA not recognized: ")) return false;
    for (int i = 0; i < 6; ++i) {
        const int32_t digit = readDigit(setA(), setAPatterns());
        if (digit < 0) return false;
        addText(setA()[static_cast<size_t>(digit)].text);
    }
    if (!readGuard(5, "11111", "Center guard pattern of code UPCA not recognized: ")) return false;
    for (int i = 0; i < 6; ++i) {
        const int32_t digit = readDigit(rightHalf(), rightPatterns());
        if (digit < 0) return false;
        addText(rightHalf()[static_cast<size_t>(digit)].text);
    }
    if (!checkDigitMatches(code)) return false;
    return readGuard(3, "111", "End pattern code UPCA not recognized: ");
}

}  // namespace orvel
