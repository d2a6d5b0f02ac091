#include "oned/VekCodabarParser.h"

#include <array>

#include "oned/VekBarcodeData.h"

namespace orvel {

namespace {

// Characters as seven narrow (1) or wide (2) elements.
constexpr std::array<TVekPatternRow, 20> CHARACTERS{{
    {"0", "1111122"}, {"1", "1111221"}, {"2", "1112112"}, {"3", "2211111"}, {"4", "1121121"},
    {"5", "2111121"}, {"6", "1211112"}, {"7", "1211211"}, {"8", "1221111"}, {"9", "2112111"},
    {"-", "1112211"}, {"$", "1122111"}, {":", "2111212"}, {"/", "2121112"}, {".", "2121211"},
    {"+", "1121212"}, {"A", "1122121"}, {"B", "1212112"}, {"C", "1112122"}, {"D", "1112221"},
}};

constexpr std::array<std::string_view, 20> CHARACTER_PATTERNS = [] {
    std::array<std::string_view, 20> patterns{};
    for (size_t i = 0; i < patterns.size(); ++i) patterns[i] = CHARACTERS[i].pattern;
    return patterns;
}();

// Start character A and the narrow gap after it; only A is accepted as start.
constexpr std::string_view START_WITH_GAP = "11221211";
constexpr std::array<std::string_view, 1> START_PATTERN{START_WITH_GAP};
constexpr std::array<std::string_view, 4> STOP_PATTERNS{"1122121", "1212112", "1112122", "1112221"};

constexpr size_t CHARACTER_ELEMENTS = 7;
constexpr size_t CHARACTER_WITH_GAP = 8;

}  // namespace

TVekCodabarParser::TVekCodabarParser() {
    calibrationStarts = {"1122121"};
    calibrationEnd = "1122121";
    maxModules = 2;
}

int32_t TVekCodabarParser::getSymbology() const { return SYMBOLOGY_CODABAR; }

bool TVekCodabarParser::parse() {
    verifyCheck = false;
    clearCode();
    resetReading();
    if (parseCodabar()) return true;
    reverseWidths();
    clearCode();
    return parseCodabar();
}

bool TVekCodabarParser::parseCodabar() {
    // A character has three wide elements, or two, each followed by a gap.
    moduleSum = 11;
    altModuleSum = 10;
    std::string p = readPattern(CHARACTER_WITH_GAP, true, START_PATTERN);
    if (p != START_WITH_GAP) {
        debugMessage("Start pattern codabar not recognized: " + p);
        return false;
    }
    std::string text;
    for (;;) {
        if (widthList.size() - static_cast<size_t>(position) <= CHARACTER_ELEMENTS) {
            addText(text);
            // No gap after the stop character.
            moduleSum = 10;
            altModuleSum = 9;
            p = readPattern(CHARACTER_ELEMENTS, true, CHARACTER_PATTERNS);
            if (indexOfPattern(STOP_PATTERNS, p) < 0) {
                debugMessage("Stop pattern codabar not recognized: " + p);
                return false;
            }
            return true;
        }
        p = readPattern(CHARACTER_WITH_GAP, true, CHARACTER_PATTERNS);
        if (p.size() < CHARACTER_WITH_GAP) {
            debugMessage("Barcode is too short");
            return false;
        }
        p.resize(CHARACTER_ELEMENTS);
        const int32_t c = indexInPairTable(CHARACTERS, 1, p);
        if (c < 0) {
            debugMessage("Pattern not recognized: " + p);
            return false;
        }
        text += CHARACTERS[static_cast<size_t>(c)].text;
    }
}

}  // namespace orvel
