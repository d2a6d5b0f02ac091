#include "oned/VekCode39Parser.h"

#include <array>
#include <cmath>

#include "oned/VekBarcodeData.h"

namespace orvel {

namespace {

constexpr std::string_view START_STOP = "121121211";
constexpr std::array<std::string_view, 1> START_STOP_PATTERN{START_STOP};
constexpr std::array<std::string_view, 1> GAP_PATTERN{"1"};

// Characters "0"-"9", "A"-"Z", "-", ".", " ", "$", "/", "+", "%", "*": widths of
// bar, space, ..., bar with 1 = narrow and 2 = wide.
constexpr std::array<TVekPatternRow, 44> CHARACTERS{{
    {"0", "111221211"},
    {"1", "211211112"},
    {"2", "112211112"},
    {"3", "212211111"},
    {"4", "111221112"},
    {"5", "211221111"},
    {"6", "112221111"},
    {"7", "111211212"},
    {"8", "211211211"},
    {"9", "112211211"},
    {"A", "211112112"},
    {"B", "112112112"},
    {"C", "212112111"},
    {"D", "111122112"},
    {"E", "211122111"},
    {"F", "112122111"},
    {"G", "111112212"},
    {"H", "211112211"},
    {"I", "112112211"},
    {"J", "111122211"},
    {"K", "211111122"},
    {"L", "112111122"},
    {"M", "212111121"},
    {"N", "111121122"},
    {"O", "211121121"},
    {"P", "112121121"},
    {"Q", "111111222"},
    {"R", "211111221"},
    {"S", "112111221"},
    {"T", "111121221"},
    {"U", "221111112"},
    {"V", "122111112"},
    {"W", "222111111"},
    {"X", "121121112"},
    {"Y", "221121111"},
    {"Z", "122121111"},
    {"-", "121111212"},
    {".", "221111211"},
    {" ", "122111211"},
    {"$", "121212111"},
    {"/", "121211121"},
    {"+", "121112121"},
    {"%", "111212121"},
    {"*", "121121211"},
}};

constexpr std::array<std::string_view, 44> CHARACTER_PATTERNS = [] {
    std::array<std::string_view, 44> patterns{};
    for (size_t i = 0; i < patterns.size(); ++i) patterns[i] = CHARACTERS[i].pattern;
    return patterns;
}();

// Full ASCII: the Code 39 character or pair that stands for each code 0..127.
constexpr std::array<std::string_view, 128> FULL_ASCII{
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G",
    "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O",
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W",
    "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E",
    " ", "/A", "/B", "/C", "/D", "/E", "/F", "/G",
    "/H", "/I", "/J", "/K", "/L", "-", ".", "/O",
    "0", "1", "2", "3", "4", "5", "6", "7",
    "8", "9", "/Z", "%F", "%G", "%H", "%I", "%J",
    "%V", "A", "B", "C", "D", "E", "F", "G",
    "H", "I", "J", "K", "L", "M", "N", "O",
    "P", "Q", "R", "S", "T", "U", "V", "W",
    "X", "Y", "Z", "%K", "%L", "%M", "%N", "%O",
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G",
    "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O",
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W",
    "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T",
};

// Elements of the last character, its gap and the stop pattern, with room
// for two more.
constexpr size_t LAST_CHARACTER_ELEMENTS = 21;
// The stop pattern and the gap before it.
constexpr size_t STOP_ELEMENTS = 10;
constexpr double MIN_WIDE_RATIO = 1.6;
constexpr double GUARD_TOLERANCE = 0.5;

bool isShiftCharacter(std::string_view c) { return c == "$" || c == "%" || c == "/" || c == "+"; }

}  // namespace

TVekCode39Parser::TVekCode39Parser() {
    calibrationStarts = {std::string(START_STOP)};
    calibrationEnd = START_STOP;
    maxModules = 2;
    moduleSum = 12;
}

int32_t TVekCode39Parser::getSymbology() const { return SYMBOLOGY_CODE39; }

bool TVekCode39Parser::averageCalibrate() {
    if (calibrated) return true;
    calibrated = true;
    std::string_view guard;
    size_t first = 0;
    if (!calibrationGuard(guard, first)) return false;

    std::array<int32_t, 3> barCount{};
    std::array<int32_t, 3> spaceCount{};
    for (size_t r = 0; r < guard.size(); ++r) {
        const int32_t m = guard[r] - '0';
        const double width = widthList[first + r];
        if (m < 1 || m > 2 || !(width > 0) || !std::isfinite(width)) return false;
        (r % 2 == 0 ? barWidths : spaceWidths)[static_cast<size_t>(m)] += width;
        ++(r % 2 == 0 ? barCount : spaceCount)[static_cast<size_t>(m)];
    }
    for (size_t m = 1; m <= 2; ++m) {
        // A guard without narrow and wide elements of both kinds cannot teach
        // the ratio.
        if (barCount[m] == 0 || spaceCount[m] == 0) return false;
        barWidths[m] /= barCount[m];
        spaceWidths[m] /= spaceCount[m];
    }
    if (barWidths[1] * MIN_WIDE_RATIO >= barWidths[2] || spaceWidths[1] * MIN_WIDE_RATIO >= spaceWidths[2])
        return false;
    for (size_t r = 0; r < guard.size(); ++r) {
        const double average = (r % 2 == 0 ? barWidths : spaceWidths)[static_cast<size_t>(guard[r] - '0')];
        if (std::fabs((average - widthList[first + r]) / average) > GUARD_TOLERANCE) return false;
    }
    completeTables();
    return true;
}

bool TVekCode39Parser::parse() {
    verifyCheck = false;
    clearCode();
    resetReading();
    if (parse39()) return true;
    reverseWidths();
    clearCode();
    return parse39();
}

int32_t TVekCode39Parser::readCharacter(std::string& pattern) {
    pattern = readPattern(9, true, CHARACTER_PATTERNS);
    readPattern(1, true, GAP_PATTERN);
    return indexInPairTable(CHARACTERS, 1, pattern);
}

bool TVekCode39Parser::readStop() {
    const std::string pattern = readPattern(9, true, START_STOP_PATTERN);
    if (pattern == START_STOP) return true;
    debugMessage("Stop pattern code 39 not recognized: " + pattern);
    return false;
}

bool TVekCode39Parser::addFullAsciiPair(int32_t first, std::string& pattern) {
    const int32_t second = readCharacter(pattern);
    if (second >= 0) {
        std::string pair{CHARACTERS[static_cast<size_t>(first)].text};
        pair += CHARACTERS[static_cast<size_t>(second)].text;
        const int32_t c = indexOfPattern(FULL_ASCII, pair);
        if (c >= 0) {
            if (c < 32) addControlCharacter(c);
            else addText(std::string(1, static_cast<char>(c)));
            return true;
        }
    }
    debugMessage("Pattern not recognized: " + pattern);
    return false;
}

bool TVekCode39Parser::parse39() {
    std::string p = readPattern(9, true, START_STOP_PATTERN);
    readPattern(1, true, GAP_PATTERN);
    if (p != START_STOP) {
        debugMessage("Start pattern code 39 not recognized: " + p);
        return false;
    }
    for (;;) {
        const size_t remaining = widthList.size() - static_cast<size_t>(position);
        if (remaining <= LAST_CHARACTER_ELEMENTS) {
            const int32_t c = readCharacter(p);
            if (c < 0) {
                debugMessage("Invalid checksum");
                return false;
            }
            addText(CHARACTERS[static_cast<size_t>(c)].text);
            return readStop();
        }
        const int32_t c = readCharacter(p);
        if (c < 0) {
            debugMessage("Pattern not recognized: " + p);
            return false;
        }
        if (fullAscii && isShiftCharacter(CHARACTERS[static_cast<size_t>(c)].text)) {
            if (!addFullAsciiPair(c, p)) return false;
            // The pair may have ended with the last character: then only the
            // stop pattern is left, and it must not be read as data.
            if (widthList.size() - static_cast<size_t>(position) <= STOP_ELEMENTS) return readStop();
        } else {
            addText(CHARACTERS[static_cast<size_t>(c)].text);
        }
    }
}

}  // namespace orvel
