#include "oned/VekCodeEAN13Parser.h"

#include <array>

#include "oned/VekBarcodeData.h"

namespace orvel {

namespace {

// Element widths in modules of the number sets. Set A (odd parity) and the
// right half have the same widths: element widths do not record colour.
constexpr std::array<TVekPatternRow, 10> SET_A{{{"0", "3211"}, {"1", "2221"}, {"2", "2122"}, {"3", "1411"},
                                                {"4", "1132"}, {"5", "1231"}, {"6", "1114"}, {"7", "1312"},
                                                {"8", "1213"}, {"9", "3112"}}};
constexpr std::array<TVekPatternRow, 10> SET_B{{{"0", "1123"}, {"1", "1222"}, {"2", "2212"}, {"3", "1141"},
                                                {"4", "2311"}, {"5", "1321"}, {"6", "4111"}, {"7", "2131"},
                                                {"8", "3121"}, {"9", "2113"}}};
constexpr std::array<TVekPatternRow, 10> RIGHT_HALF = SET_A;

template <size_t N>
constexpr std::array<std::string_view, N> patternsOf(const std::array<TVekPatternRow, N>& table) {
    std::array<std::string_view, N> patterns{};
    for (size_t i = 0; i < N; ++i) patterns[i] = table[i].pattern;
    return patterns;
}

constexpr std::array<std::string_view, 10> SET_A_PATTERNS = patternsOf(SET_A);
constexpr std::array<std::string_view, 10> RIGHT_PATTERNS = patternsOf(RIGHT_HALF);
constexpr std::array<std::string_view, 20> SET_AB_PATTERNS = [] {
    std::array<std::string_view, 20> patterns{};
    for (size_t i = 0; i < 10; ++i) {
        patterns[i] = SET_A[i].pattern;
        patterns[10 + i] = SET_B[i].pattern;
    }
    return patterns;
}();

// Parities of the second to sixth digit, indexed by the implied first digit.
constexpr std::array<std::string_view, 10> EAN13_PARITY{"AAAAA", "ABABB", "ABBAB", "ABBBA", "BAABB",
                                                        "BBAAB", "BBBAA", "BABAB", "BABBA", "BBABA"};

}  // namespace

void UPCEANCheck(std::string_view digits, std::string& check) {
    int32_t sum1 = 0;
    int32_t sum2 = 0;
    bool toFirst = true;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it < '0' || *it > '9') {
            check.clear();
            return;
        }
        (toFirst ? sum1 : sum2) += *it - '0';
        toFirst = !toFirst;
    }
    const int32_t t = 3 * sum1 + sum2;
    check = intToStr((10 - t % 10) % 10);
}

std::string UPCEANCheck(std::string_view digits) {
    std::string check;
    UPCEANCheck(digits, check);
    return check;
}

TVekPatternTable TVekCodeEAN13Parser::setA() { return SET_A; }
TVekPatternTable TVekCodeEAN13Parser::setB() { return SET_B; }
TVekPatternTable TVekCodeEAN13Parser::rightHalf() { return RIGHT_HALF; }
TVekPatternList TVekCodeEAN13Parser::setAPatterns() { return SET_A_PATTERNS; }
TVekPatternList TVekCodeEAN13Parser::setABPatterns() { return SET_AB_PATTERNS; }
TVekPatternList TVekCodeEAN13Parser::rightPatterns() { return RIGHT_PATTERNS; }

TVekCodeEAN13Parser::TVekCodeEAN13Parser() {
    calibrationStarts = {"111"};
    calibrationEnd = "111";
    maxModules = 4;
    moduleSum = 7;
}

int32_t TVekCodeEAN13Parser::getSymbology() const { return SYMBOLOGY_EAN13; }

bool TVekCodeEAN13Parser::parse() {
    return parseBothWays([this] { return parse13(); });
}

bool TVekCodeEAN13Parser::readGuard(int32_t n, std::string_view guard, std::string_view failure) {
    const std::string pattern = readPattern(n, true, {guard});
    if (pattern == guard) return true;
    debugMessage(std::string(failure) + pattern);
    return false;
}

int32_t TVekCodeEAN13Parser::readDigit(TVekPatternTable table, TVekPatternList allowed) {
    std::string pattern;
    return readDigit(table, allowed, pattern);
}

int32_t TVekCodeEAN13Parser::readDigit(TVekPatternTable table, TVekPatternList allowed, std::string& pattern) {
    pattern = readPattern(4, true, allowed);
    const int32_t digit = indexInPairTable(table, 1, pattern);
    if (digit < 0) debugMessage("Pattern not recognized: " + pattern);
    return digit;
}

bool TVekCodeEAN13Parser::checkDigitMatches(std::string_view digits) {
    if (digits.empty()) return false;
    const std::string check = UPCEANCheck(digits.substr(0, digits.size() - 1));
    const std::string_view printed = digits.substr(digits.size() - 1);
    if (check == printed) return true;
    debugMessage("Checksum does not match: " + std::string(printed) + " <> " + check);
    return false;
}

bool TVekCodeEAN13Parser::parse13() {
    if (!readGuard(3, "111", "Start pattern code EAN 13 not recognized: ")) return false;

    const int32_t first = readDigit(SET_A, SET_AB_PATTERNS);
    if (first < 0) return false;
    addText(SET_A[static_cast<size_t>(first)].text);

    std::string parity;
    for (int i = 0; i < 5; ++i) {
        std::string pattern = readPattern(4, true, SET_AB_PATTERNS);
        int32_t digit = indexInPairTable(SET_A, 1, pattern);
        if (digit >= 0) {
            parity += 'A';
        } else {
            digit = indexInPairTable(SET_B, 1, pattern);
            if (digit < 0) {
                debugMessage("Pattern not recognized: " + pattern);
                return false;
            }
            parity += 'B';
        }
        addText(SET_A[static_cast<size_t>(digit)].text);
    }

    const int32_t implied = indexOfPattern(EAN13_PARITY, parity);
    if (implied < 0) {
        debugMessage("Parity Index is -1 :" + parity);
        return false;
    }
    prependText(SET_A[static_cast<size_t>(implied)].text);

    if (!readGuard(5, "11111", "Center guard pattern of code EAN 13 not recognized: ")) return false;
    for (int i = 0; i < 6; ++i) {
        const int32_t digit = readDigit(RIGHT_HALF, RIGHT_PATTERNS);
        if (digit < 0) return false;
        addText(RIGHT_HALF[static_cast<size_t>(digit)].text);
    }
    if (!checkDigitMatches(code)) return false;
    return readGuard(3, "111", "End pattern code EAN 13 not recognized: ");
}

}  // namespace orvel
