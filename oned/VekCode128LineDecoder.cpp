#include "oned/VekCode128LineDecoder.h"

#include <array>
#include <cmath>
#include <span>
#include <string_view>

#include "oned/VekCharacterMatcher.h"

namespace orvel {

namespace {

// Module widths of bar, space, ... of the symbol characters 0 to 106 (106:
// the stop character without its final bar).
constexpr std::array<std::string_view, 107> patterns = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213", "221312", "231212",
    "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132", "221231", "213212", "223112", "312131",
    "311222", "321122", "321221", "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121",
    "313121", "211331", "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242", "121142", "121241", "114212",
    "124112", "124211", "411212", "421112", "421211", "212141", "214121", "412121", "111143", "111341", "131141", "114113",
    "114311", "411113", "411311", "113141", "114131", "311141", "411131", "211412", "211214", "211232", "233111",
};

constexpr int startA = 103, startC = 105, stop = 106;
const std::span<const std::string_view> startPatterns(patterns.data() + startA, 3);
constexpr int codeC = 99, codeB = 100, codeA = 101, fnc1 = 102, shift = 98;
constexpr int fnc2 = 97, fnc3 = 96;
constexpr double maximumDeviation = 0.8;
// The standard's quiet zone is 10 modules; photographs are often cropped closer.
constexpr double quietModules = 5;
constexpr size_t maximumCharacters = 100;

char asciiOf(int set, int value) {
    if (set == startA) return static_cast<char>(value < 64 ? value + 32 : value - 64);
    return static_cast<char>(value + 32);
}

}  // namespace

bool TVekCode128LineDecoder::interpret(const std::vector<int>& values, std::string& bytes, std::string& identifier) {
    if (values.empty() || values[0] < startA || values[0] > startC) return false;
    int set = values[0];
    bool shifted = false, upperOnce = false, upperLatched = false, fnc4Pending = false;
    identifier = "]C0";
    for (size_t i = 1; i < values.size(); ++i) {
        const int value = values[i];
        const int current = shifted ? (set == startA ? startA + 1 : startA) : set;
        shifted = false;
        if (value == fnc1) {
            if (i == 1) identifier = "]C1";
            else bytes.push_back('\x1d');
            continue;
        }
        if (current == startC) {
            if (value < 100) {
                bytes.push_back(static_cast<char>('0' + value / 10));
                bytes.push_back(static_cast<char>('0' + value % 10));
            } else if (value == codeB) set = startA + 1;
            else if (value == codeA) set = startA;
            else return false;
            continue;
        }
        if (value < 96) {
            int byte = static_cast<unsigned char>(asciiOf(current, value));
            if (upperLatched != upperOnce) byte += 128;
            upperOnce = false, fnc4Pending = false;
            bytes.push_back(static_cast<char>(byte));
            continue;
        }
        // FNC4 is 101 in set A and 100 in set B; the other of the two changes set.
        const int fnc4 = current == startA ? codeA : codeB;
        if (value == fnc4) {
            if (fnc4Pending) upperLatched = !upperLatched, fnc4Pending = false, upperOnce = false;
            else fnc4Pending = true, upperOnce = true;
            continue;
        }
        fnc4Pending = false;
        if (value == shift) shifted = true;
        else if (value == codeC) set = startC;
        else if (value == codeA || value == codeB) set = value == codeA ? startA : startA + 1;
        else if (value != fnc2 && value != fnc3) return false;
    }
    return true;
}

void TVekCode128LineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads,
                                    TVekLinearClues* clues) const {
    for (size_t start = 1; start + 6 * 3 + 7 < row.size(); start += 2) {
        TVekLinearRead read;
        size_t characters = 0;
        if (readSymbol(row, start, read, characters)) {
            reads.push_back(read);
            start = read.lastElement;
        } else if (clues && characters >= 5) {
            ++clues->partialSymbols;
        }
    }
}

bool TVekCode128LineDecoder::readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read,
                                        size_t& characters) {
    // Most positions of a line fail the quiet zone, the cheapest test; of the
    // rest, only those close to a start character are matched against all.
    double module = row.sum(start, 6) / 11;
    if (!row.isQuiet(start - 1, quietModules * module)) return false;
    // Every start character begins with a bar of two modules, a space and a
    // bar of one: its first two edge-to-similar-edge distances are 3 and 2
    // modules, within what a match allows.
    const auto offBy = [&](size_t first, double modules) {
        return std::abs((row.width(first) + row.width(first + 1)) / module - modules);
    };
    if (offBy(start, 3) > maximumDeviation + 1e-6 || offBy(start + 1, 2) > maximumDeviation + 1e-6) return false;
    const TVekCharacterMatch likeStart = matchCharacter(row, start, startPatterns, 11);
    if (likeStart.value < 0 || likeStart.deviation > maximumDeviation) return false;
    const TVekCharacterMatch first = matchCharacter(row, start, patterns, 11);
    if (first.value < startA || first.value > startC || first.deviation > maximumDeviation) return false;
    std::vector<int> values{first.value};
    size_t at = start + 6;
    while (values.size() < maximumCharacters && at + 7 < row.size()) {
        characters = values.size();
        const double width = row.sum(at, 6);
        if (width < 7 * module || width > 16 * module) return false;
        const TVekCharacterMatch match = matchCharacter(row, at, patterns, 11);
        if (match.value < 0 || match.deviation > maximumDeviation) return false;
        module = 0.5 * module + 0.5 * width / 11;
        if (match.value == stop) {
            // The stop character's last bar is two modules wide; then the quiet zone.
            if (std::abs(row.width(at + 6) / module - 2) > 0.8 || !row.isQuiet(at + 7, quietModules * module)) return false;
            if (values.size() < 2) return false;
            const int check = values.back();
            values.pop_back();
            int sum = values[0];
            for (size_t i = 1; i < values.size(); ++i) sum += static_cast<int>(i) * values[i];
            if (sum % 103 != check) return false;
            if (!interpret(values, read.bytes, read.identifier) || read.bytes.empty()) return false;
            read.format = TVekBarcodeFormat::code128;
            read.firstElement = start;
            read.lastElement = at + 6;
            read.strong = true;
            return true;
        }
        if (match.value >= startA) return false;
        values.push_back(match.value);
        at += 6;
    }
    return false;
}

}  // namespace orvel
