#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "foundation/VekUtil.h"
#include "oned/VekLinearContent.h"

namespace orvel {

// One row of a symbology table: the decoded text and the element widths in
// modules ("A", "211112112").
struct TVekPatternRow {
    std::string_view text;
    std::string_view pattern;
};

using TVekPatternList = std::span<const std::string_view>;
using TVekPatternTable = std::span<const TVekPatternRow>;

// Base of the linear symbology parsers. It holds the element widths of one
// candidate (bar, space, bar, ..., in pixels; even indexes are bars), learns
// the pixel widths of 1- to 4-module bars and spaces from a guard pattern,
// quantizes groups of elements into module counts ("211214") and builds the
// decoded text. It also remembers how close each element came to the other
// possible module count, so that a parser can retry with doubtful elements
// read the other way.
//
// Use: setWidths once, parse once, then getCode (the documented text) and
// getContent (the same content as data). A parser decodes one candidate;
// parse never throws and reports failure by returning false.
class TVekBarcodeParser {
public:
    TVekBarcodeParser();
    virtual ~TVekBarcodeParser() = default;
    TVekBarcodeParser(const TVekBarcodeParser&) = default;
    TVekBarcodeParser& operator=(const TVekBarcodeParser&) = default;

    // The parser's symbology flag (SYMBOLOGY_* of VekBarcodeData.h).
    virtual int32_t getSymbology() const = 0;
    // Learns the module widths from the guard pattern; false when the guard's
    // elements disagree with each other.
    virtual bool calibrate();
    // Decodes widthList; true on success, the text is then in getCode().
    virtual bool parse() = 0;

    void setWidths(const TVectorDouble& widths);
    const std::string& getCode() const { return code; }
    const TVekLinearContent& getContent() const { return content; }

    void resetReading();
    void reverseWidths();

    // Reads up to n elements from the reading position and returns their
    // module counts as digits. A character whose module sum is off is mended
    // towards a pattern of `allowed` (only when it holds two or more
    // patterns). Empty when calibration fails.
    std::string readPattern(int32_t n, bool advance, TVekPatternList allowed);
    std::string readPattern(int32_t n, bool advance, std::initializer_list<std::string_view> allowed);

    // Derives the reference widths not learnt from the guard.
    void completeTables();

    // Data: the text (a tilde written "~~") and its bytes.
    void addText(std::string_view text);
    // The marker "~d" and the number in at least three digits, in the text
    // alone.
    void addSpecial(int32_t number);
    static std::string specialMarker(int32_t number);
    // A control character (below 32) the text writes as its special marker.
    void addControlCharacter(int32_t c);
    // A function character: `marker` in the text, the mark in the content.
    void addFunction(TVekFunctionCharacter kind, std::string_view marker);
    // Data digits before everything decoded so far.
    void prependText(std::string_view digits);
    // Forgets the text and the content.
    void clearCode();
    void debugMessage(const std::string& text) const;

    static int32_t indexOfPattern(TVekPatternList patterns, std::string_view pattern);
    // column 0 looks at the texts, column 1 at the patterns.
    static int32_t indexInPairTable(TVekPatternTable table, int32_t column, std::string_view pattern);
    // Index of the smallest value v with 0 < v < 999 (the first on ties), or -1.
    static int32_t mostAmbiguous(const TVectorDouble& list);
    int32_t mostAmbiguous() const { return mostAmbiguous(ambiguity); }

protected:
    static constexpr int32_t TABLE_SIZE = 10;

    TVectorDouble widthList;
    int32_t position = 0;
    std::string code;
    TVekLinearContent content;
    bool debug = false;
    TVectorString calibrationStarts{"11"};
    std::string calibrationEnd = "11";
    int32_t maxModules = 4;
    int32_t moduleSum = 9;
    int32_t altModuleSum = -1;
    std::array<double, TABLE_SIZE> barWidths{};
    std::array<double, TABLE_SIZE> spaceWidths{};
    bool calibrated = false;
    TVectorDouble ambiguity;
    TVectorInteger alternative;
    int32_t flipA = -1;
    int32_t flipB = -1;
    bool verifyCheck = true;

    // The guard calibrate learns from and the index of its first element in
    // widthList; false when the list is too short to hold it.
    bool calibrationGuard(std::string_view& guard, size_t& first) const;
    // Forgets the doubtful elements recorded so far and the flips, so that a
    // new reading direction records its own.
    void clearAmbiguities();

private:
    int32_t readElement(size_t index, double& deviation);
    void correctModuleSum(std::string& pattern, std::span<double> deviation, int32_t total,
                          TVekPatternList allowed) const;
};

}  // namespace orvel
