#include "oned/VekCode25InterleavedParser.h"

#include <array>

#include "oned/VekBarcodeData.h"

namespace orvel {

namespace {

constexpr std::string_view START = "1111";
constexpr std::string_view STOP = "211";
constexpr std::array<std::string_view, 1> START_PATTERN{START};
constexpr std::array<std::string_view, 1> STOP_PATTERN{STOP};

// Digits 0 to 9 as five narrow (1) or wide (2) elements.
constexpr std::array<std::string_view, 10> DIGITS{"11221", "21112", "12112", "22111", "11212",
                                                  "21211", "12211", "11122", "21121", "12121"};

constexpr size_t PAIR_ELEMENTS = 10;

}  // namespace

TVekCode25InterleavedParser::TVekCode25InterleavedParser() {
    calibrationStarts = {std::string(START)};
    calibrationEnd = STOP;
    maxModules = 2;
    moduleSum = 14;
}

int32_t TVekCode25InterleavedParser::getSymbology() const { return SYMBOLOGY_INTERLEAVED25; }

int32_t TVekCode25InterleavedParser::getChecksum(std::string_view digits) const {
    int32_t sum = 0;
    for (size_t i = 0; i < digits.size(); ++i) sum += (i % 2 == 0 ? 3 : 1) * (digits[i] - '0');
    return sum % 10;
}

bool TVekCode25InterleavedParser::parse() {
    verifyCheck = false;
    clearCode();
    resetReading();
    if (parse25()) return true;
    reverseWidths();
    clearCode();
    return parse25();
}

bool TVekCode25InterleavedParser::parse25() {
    std::string p = readPattern(4, true, START_PATTERN);
    if (p != START) {
        debugMessage("Start pattern code 25 not recognized: " + p);
        return false;
    }
    std::string digits;
    for (;;) {
        if (widthList.size() - static_cast<size_t>(position) <= STOP.size()) {
            addText(digits);
            p = readPattern(3, true, STOP_PATTERN);
            if (p != STOP) {
                debugMessage("Stop pattern code 25 not recognized: " + p);
                return false;
            }
            return true;
        }
        p = readPattern(PAIR_ELEMENTS, true, DIGITS);
        if (p.size() < PAIR_ELEMENTS) {
            debugMessage("Barcode I 25 too short");
            return false;
        }
        // The first digit is in the bars, the second in the spaces.
        const std::string first{p[0], p[2], p[4], p[6], p[8]};
        const std::string second{p[1], p[3], p[5], p[7], p[9]};
        for (const std::string& pattern : {first, second}) {
            const int32_t digit = indexOfPattern(DIGITS, pattern);
            if (digit < 0) {
                debugMessage("Pattern not recognized: " + pattern);
                return false;
            }
            digits += static_cast<char>('0' + digit);
        }
    }
}

}  // namespace orvel
