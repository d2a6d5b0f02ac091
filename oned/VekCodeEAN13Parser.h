#pragma once

#include "oned/VekBarcodeParser.h"

namespace orvel {

// The check digit of EAN/UPC: from the rightmost digit leftwards the digits
// are weighted 3, 1, 3, ...; check = (10 - weighted sum mod 10) mod 10. Empty
// when `digits` holds anything but "0" to "9".
void UPCEANCheck(std::string_view digits, std::string& check);
std::string UPCEANCheck(std::string_view digits);

// EAN-13, and the base of the EAN-8, UPC-A and UPC-E parsers: module widths are
// learnt from the start guard "111", every digit is four elements of 7
// modules. A check digit that does not match fails the attempt: it is there
// to catch misreads, and the reverse attempt and the later parsers still get
// their chance.
class TVekCodeEAN13Parser : public TVekBarcodeParser {
public:
    TVekCodeEAN13Parser();

    int32_t getSymbology() const override;
    bool parse() override;

    bool parse13();

    // The number sets as (digit, pattern) rows, and their pattern columns as
    // the allowed lists of readPattern.
    static TVekPatternTable setA();
    static TVekPatternTable setB();
    static TVekPatternTable rightHalf();
    static TVekPatternList setAPatterns();
    static TVekPatternList setABPatterns();
    static TVekPatternList rightPatterns();

protected:
    // Runs `attempt` forwards and, when it fails, on the reversed widths.
    template <typename Attempt>
    bool parseBothWays(Attempt attempt);

    // Reads a guard of n elements and compares it with `guard`; the
    // diagnostic is `failure` followed by the pattern read.
    bool readGuard(int32_t n, std::string_view guard, std::string_view failure);
    // Reads one digit and looks it up in `table`; -1 (with the diagnostic
    // "Pattern not recognized: ") when it is not there.
    int32_t readDigit(TVekPatternTable table, TVekPatternList allowed);
    int32_t readDigit(TVekPatternTable table, TVekPatternList allowed, std::string& pattern);
    // Compares the last digit of `digits` with the check digit of the others.
    bool checkDigitMatches(std::string_view digits);

};

template <typename Attempt>
bool TVekCodeEAN13Parser::parseBothWays(Attempt attempt) {
    clearCode();
    resetReading();
    if (attempt()) return true;
    reverseWidths();
    clearCode();
    return attempt();
}

}  // namespace orvel
