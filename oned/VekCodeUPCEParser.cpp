#include "oned/VekCodeUPCEParser.h"

#include <array>

#include "oned/VekBarcodeData.h"

namespace orvel {

namespace {

// Parities of the six digits (O = set A, E = set B), indexed by the check
// digit, for number system 0; number system 1 exchanges O and E.
constexpr std::array<std::string_view, 10> PARITY_SYSTEM_0{"EEEOOO", "EEOEOO", "EEOOEO", "EEOOOE", "EOEEOO",
                                                           "EOOEEO", "EOOOEE", "EOEOEO", "EOEOOE", "EOOEOE"};
constexpr std::array<std::string_view, 10> PARITY_SYSTEM_1{"OOOEEE", "OOEOEE", "OOEEOE", "OOEEEO", "OEOOEE",
                                                           "OEEOOE", "OEEEOO", "OEOEOE", "OEOEEO", "OEEOEO"};

}  // namespace

int32_t TVekCodeUPCEParser::getSymbology() const { return SYMBOLOGY_UPCE; }

bool TVekCodeUPCEParser::parse() {
    return parseBothWays([this] { return parseUPCE(); });
}

std::string TVekCodeUPCEParser::expand(std::string_view d) {
    if (d.size() != 6) return {};
    std::string e;
    switch (d[5]) {
    case '0':
    case '1':
    case '2':
        e = {d[0], d[1], d[5], '0', '0', '0', '0', d[2], d[3], d[4]};
        break;
    case '3':
        e = {d[0], d[1], d[2], '0', '0', '0', '0', '0', d[3], d[4]};
        break;
    case '4':
        e = {d[0], d[1], d[2], d[3], '0', '0', '0', '0', '0', d[4]};
        break;
    default:
        e = {d[0], d[1], d[2], d[3], d[4], '0', '0', '0', '0', d[5]};
        break;
    }
    return e;
}

bool TVekCodeUPCEParser::parseUPCE() {
    if (!readGuard(3, "111", "Start pattern code UPCE not recognized: ")) return false;

    std::string digits;
    std::string parity;
    for (int i = 0; i < 6; ++i) {
        const std::string pattern = readPattern(4, true, setABPatterns());
        int32_t digit = indexInPairTable(setA(), 1, pattern);
        if (digit >= 0) {
            parity += 'O';
        } else {
            digit = indexInPairTable(setB(), 1, pattern);
            if (digit < 0) {
                debugMessage("Pattern not recognized: " + pattern);
                return false;
            }
            parity += 'E';
        }
        digits += setA()[static_cast<size_t>(digit)].text;
    }
    addText(digits);

    // The number system takes part in the check digit (UPC-A weights it 3),
    // so the table that matched is kept.
    char numberSystem = '0';
    int32_t check = indexOfPattern(PARITY_SYSTEM_0, parity);
    if (check < 0) {
        check = indexOfPattern(PARITY_SYSTEM_1, parity);
        numberSystem = '1';
    }
    if (check < 0) {
        debugMessage("Parity not recognized: " + parity);
        return false;
    }

    if (!readGuard(5, "11111", "Stop guard pattern of code UPCE not recognized: ")) return false;

    const std::string expanded = expand(digits);
    const std::string checkText = intToStr(check);
    const std::string computed = UPCEANCheck(numberSystem + expanded);
    if (computed != checkText) {
        debugMessage("Checksum does not match: " + computed + " <> " + checkText);
        return false;
    }
    clearCode();
    addText(expanded + checkText);
    return true;
}

}  // namespace orvel
