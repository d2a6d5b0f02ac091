#include "oned/VekCodeEAN8Parser.h"

#include "oned/VekBarcodeData.h"

namespace orvel {

int32_t TVekCodeEAN8Parser::getSymbology() const { return SYMBOLOGY_EAN8; }

bool TVekCodeEAN8Parser::parse() {
    return parseBothWays([this] { return parse8(); });
}

bool TVekCodeEAN8Parser::parse8() {
    if (!readGuard(3, "111", "Start pattern code EAN 8 not recognized: ")) return false;
    for (int i = 0; i < 4; ++i) {
        const int32_t digit = readDigit(setA(), setAPatterns());
        if (digit < 0) return false;
        addText(setA()[static_cast<size_t>(digit)].text);
    }
    if (!readGuard(5, "11111", "Center guard pattern of code EAN 8 not recognized: ")) return false;
    for (int i = 0; i < 4; ++i) {
        const int32_t digit = readDigit(rightHalf(), rightPatterns());
        if (digit < 0) return false;
        addText(rightHalf()[static_cast<size_t>(digit)].text);
    }
    if (!checkDigitMatches(code)) return false;
    return readGuard(3, "111", "End pattern code EAN 8 not recognized: ");
}

}  // namespace orvel
