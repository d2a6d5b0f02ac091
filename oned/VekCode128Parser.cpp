#include "oned/VekCode128Parser.h"

#include <array>

#include "oned/VekBarcodeData.h"

namespace orvel {

namespace {

constexpr std::string_view START_A = "211412";
constexpr std::string_view START_B = "211214";
constexpr std::string_view START_C = "211232";
constexpr std::string_view STOP = "2331112";

constexpr std::array<std::string_view, 3> START_PATTERNS{START_A, START_B, START_C};
constexpr std::array<std::string_view, 1> STOP_PATTERN{STOP};

// Symbol characters of values 0 to 102: module widths of bar, space, bar,
// space, bar, space, 11 modules each.
constexpr std::array<std::string_view, 103> CHARACTERS{
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312",
    "132212", "221213", "221312", "231212", "112232", "122132", "122231", "113222",
    "123122", "123221", "223211", "221132", "221231", "213212", "223112", "312131",
    "311222", "321122", "321221", "312212", "322112", "322211", "212123", "212321",
    "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121",
    "313121", "211331", "231131", "213113", "213311", "213131", "311123", "311321",
    "331121", "312113", "312311", "332111", "314111", "221411", "431111", "111224",
    "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112",
    "421211", "212141", "214121", "412121", "111143", "111341", "131141", "114113",
    "114311", "411113", "411311", "113141", "114131", "311141", "411131",
};

constexpr int32_t SHIFT = 98;
constexpr int32_t CODE_C = 99;
constexpr int32_t CODE_B = 100;  // FNC4 in set B
constexpr int32_t CODE_A = 101;  // FNC4 in set A
constexpr int32_t MAX_FLIPS = 15;

// At least this many elements remain after the last data character: the
// check character (6) and the stop pattern (7).
constexpr size_t CHECK_AND_STOP_ELEMENTS = 13;

constexpr int32_t FNC1 = 102;
constexpr int32_t FNC2 = 97;
constexpr int32_t FNC3 = 96;
// The marker the text gives FNC1, as the special 202.
constexpr int32_t FNC1_SPECIAL = 202;

// The text's marker of the other function values: an underscore and the value.
std::string valueText(int32_t value) {
    std::string text = "_";
    text += intToStr(value);
    return text;
}

}  // namespace

TVekCode128Parser::TVekCode128Parser() {
    calibrationStarts.assign(START_PATTERNS.begin(), START_PATTERNS.end());
    calibrationEnd = STOP;
    maxModules = 4;
    moduleSum = 11;
}

int32_t TVekCode128Parser::getSymbology() const { return SYMBOLOGY_CODE128; }

bool TVekCode128Parser::parse() {
    clearCode();
    resetReading();
    if (parse128()) return true;
    // The reverse direction starts afresh: the doubtful elements and flips
    // recorded so far index the other direction, and a start pattern chosen
    // for calibration there says nothing about this one.
    reverseWidths();
    clearAmbiguities();
    calibrationStarts.assign(START_PATTERNS.begin(), START_PATTERNS.end());
    return parse128();
}

void TVekCode128Parser::addFunctionValue(int32_t value) {
    using F = TVekFunctionCharacter;
    if (value == FNC1) addFunction(F::fnc1, specialMarker(FNC1_SPECIAL));
    else if (value == FNC2) addFunction(F::fnc2, valueText(value));
    else if (value == FNC3) addFunction(F::fnc3, valueText(value));
    else addFunction(F::fnc4, valueText(value));
}

bool TVekCode128Parser::parse128() {
    retryRequest = false;
    const bool ok = parse128Int();
    if (ok || !retryRequest) return ok;

    TVectorDouble first = ambiguity;
    TVectorDouble working = ambiguity;
    const TVectorDouble spare = ambiguity;

    // Single flips: each reading zeroes the ambiguity of the element it
    // flipped, so every round picks the next most doubtful element.
    for (int32_t round = 0; round < MAX_FLIPS; ++round) {
        const int32_t k = mostAmbiguous();
        if (k < 0) break;
        flipA = k;
        retryRequest = false;
        if (parse128Int()) return true;
    }

    // Pairs of flips.
    for (int32_t outer = 0; outer < MAX_FLIPS; ++outer) {
        const int32_t d = mostAmbiguous(first);
        if (d < 0) break;
        working = spare;
        first[static_cast<size_t>(d)] = 0;
        working[static_cast<size_t>(d)] = 0;
        for (int32_t inner = 0; inner < MAX_FLIPS; ++inner) {
            const int32_t f = mostAmbiguous(working);
            if (f < 0) break;
            flipA = d;
            flipB = f;
            retryRequest = false;
            working[static_cast<size_t>(f)] = 0;
            ambiguity = working;
            if (parse128Int()) return true;
        }
    }
    return false;
}

bool TVekCode128Parser::readStart(std::string& pattern) {
    pattern = readPattern(6, true, START_PATTERNS);
    if (!pattern.empty()) return true;
    // The stop pattern did not calibrate: learn the widths from the first six
    // elements read as each start pattern in turn.
    for (std::string_view start : START_PATTERNS) {
        resetReading();
        calibrationStarts.assign(1, std::string(start));
        pattern = readPattern(6, true, START_PATTERNS);
        if (!pattern.empty()) return true;
    }
    return false;
}

bool TVekCode128Parser::parse128Int() {
    position = 0;
    clearCode();
    CodeSet current = CodeSet::None;
    CodeSet shift = CodeSet::None;
    int32_t weight = 1;
    int32_t sum = 0;

    std::string p;
    readStart(p);
    if (p == START_A) {
        current = CodeSet::A;
        sum = 103;
    } else if (p == START_B) {
        current = CodeSet::B;
        sum = 104;
    } else if (p == START_C) {
        current = CodeSet::C;
        sum = 105;
    } else {
        debugMessage("Start pattern code 128 not recognized: " + p);
        return false;
    }

    while (static_cast<size_t>(position) + CHECK_AND_STOP_ELEMENTS < widthList.size()) {
        p = readPattern(6, true, CHARACTERS);
        const int32_t v = indexOfPattern(CHARACTERS, p);
        if (v == -1) {
            debugMessage("Pattern not recognized: " + p);
            return false;
        }
        const CodeSet set = shift != CodeSet::None ? shift : current;
        shift = CodeSet::None;
        // Kept modulo 103 as it grows: a width list of tens of thousands of
        // elements would otherwise overflow the weighted sum.
        sum = (sum + v * weight) % 103;
        weight = weight % 103 + 1;
        applyValue(v, set, current, shift);
    }

    p = readPattern(6, true, CHARACTERS);
    const int32_t check = indexOfPattern(CHARACTERS, p);
    if (check != sum % 103) {
        debugMessage("Checksum does not match: " + intToStr(check) + " <> " + intToStr(sum % 103));
        retryRequest = true;
        return false;
    }

    p = readPattern(7, true, STOP_PATTERN);
    if (p != STOP) {
        debugMessage("Stop pattern code 128 not recognized: " + p);
        return false;
    }
    return true;
}

void TVekCode128Parser::applyValue(int32_t value, CodeSet set, CodeSet& current, CodeSet& shift) {
    switch (set) {
    case CodeSet::A:
        if (value == SHIFT) shift = CodeSet::B;
        else if (value == CODE_C) current = CodeSet::C;
        else if (value == CODE_B) current = CodeSet::B;
        else if (value < 64) addText(std::string(1, static_cast<char>(0x20 + value)));
        else if (value < 96) addText(std::string(1, static_cast<char>(value - 64)));
        else addFunctionValue(value);
        break;
    case CodeSet::B:
        if (value == SHIFT) shift = CodeSet::A;
        else if (value == CODE_C) current = CodeSet::C;
        else if (value == CODE_A) current = CodeSet::A;
        // Every data value of set B is its character 0x20 + value, the braces,
        // the vertical bar and DEL (95 -> 0x7F) included.
        else if (value < 96) addText(std::string(1, static_cast<char>(0x20 + value)));
        else addFunctionValue(value);
        break;
    case CodeSet::C:
        if (value == CODE_B) current = CodeSet::B;
        else if (value == CODE_A) current = CodeSet::A;
        else if (value < 100) addText(std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)});
        else addFunctionValue(value);
        break;
    case CodeSet::None:
        break;
    }
}

}  // namespace orvel
