#include "oned/VekCode93LineDecoder.h"

#include <array>
#include <cmath>
#include <span>
#include <string_view>

#include "oned/VekCharacterMatcher.h"
#include "oned/VekFullAscii.h"

namespace orvel {

namespace {

// Module widths of bar, space, ... of the character values 0 to 47: the 43
// characters of `alphabet`, the shifts ($), (%), (/) and (+), and the start
// and stop character (47), whose stop adds one final bar.
constexpr std::array<std::string_view, 48> patterns = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114", "131211", "141111",
    "211113", "211212", "211311", "221112", "221211", "231111", "112113", "112212", "112311", "122112",
    "132111", "111123", "111222", "111321", "121122", "131121", "212112", "212211", "211122", "211221",
    "221121", "222111", "112122", "112221", "122121", "123111", "121131", "311112", "311211", "321111",
    "112131", "113121", "211131", "121221", "312111", "311121", "122211", "111141",
};
constexpr std::string_view alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr std::string_view shifts = "$%/+";
constexpr int firstShift = 43, startStop = 47;
constexpr int firstLetter = 10, lastLetter = 35;
const std::span<const std::string_view> startPattern(patterns.data() + startStop, 1);
constexpr double modules = 9;
constexpr double maximumDeviation = 0.75;
// The standard's quiet zone is 10 modules; photographs are often cropped closer.
constexpr double quietModules = 5;
constexpr size_t maximumCharacters = 100;

// The weighted sum modulo 47 of `count` values, weights rising from 1 at the
// last value and starting again after `maximumWeight`.
int weightedSum(const std::vector<int>& values, size_t count, int maximumWeight) {
    int sum = 0;
    for (size_t i = 0; i < count; ++i) sum += (static_cast<int>((count - 1 - i) % maximumWeight) + 1) * values[i];
    return sum % 47;
}

// The cheapest test, before any other at each position of a line: the
// space before a start character is at least half (as at the picture's
// border) of four fifths of a quiet zone measured by the start's first bar
// and space, each one module wide.
bool mayFollowQuietZone(const TVekBarRow& row, size_t start) {
    return row.width(start - 1) >= 0.2 * quietModules * (row.width(start) + row.width(start + 1));
}

}  // namespace

bool TVekCode93LineDecoder::checksHold(const std::vector<int>& values) {
    if (values.size() < 3) return false;
    const size_t data = values.size() - 2;
    return weightedSum(values, data, 20) == values[data] && weightedSum(values, data + 1, 15) == values[data + 1];
}

bool TVekCode93LineDecoder::interpret(const std::vector<int>& values, std::string& bytes) {
    bytes.clear();
    const size_t data = values.size() - 2;
    for (size_t i = 0; i < data; ++i) {
        const int value = values[i];
        if (value < firstShift) {
            bytes.push_back(alphabet[static_cast<size_t>(value)]);
            continue;
        }
        if (value >= startStop || i + 1 >= data) return false;
        const int letter = values[++i];
        if (letter < firstLetter || letter > lastLetter) return false;
        const int c = fullAsciiOf(shifts[static_cast<size_t>(value - firstShift)], alphabet[static_cast<size_t>(letter)]);
        if (c < 0) return false;
        bytes.push_back(static_cast<char>(c));
    }
    return true;
}

void TVekCode93LineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const {
    // Start, one data character, C, K and stop with its bar: 25 elements.
    for (size_t start = 1; start + 25 < row.size(); start += 2) {
        if (!mayFollowQuietZone(row, start)) continue;
        TVekLinearRead read;
        if (readSymbol(row, start, read)) {
            reads.push_back(read);
            start = read.lastElement;
        }
    }
}

bool TVekCode93LineDecoder::readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read) {
    // Four fifths of a quiet zone measured by the start's first bar and
    // space, and its wide bar, before the whole character is summed.
    if (!row.isQuiet(start - 1, 0.4 * quietModules * (row.width(start) + row.width(start + 1)))) return false;
    // Nor do most of the rest have its third bar, four times its second.
    if (row.width(start + 4) < 2 * row.width(start + 2)) return false;
    double module = row.sum(start, 6) / modules;
    if (!row.isQuiet(start - 1, quietModules * module)) return false;
    const TVekCharacterMatch likeStart = matchCharacter(row, start, startPattern, modules);
    if (likeStart.deviation > maximumDeviation) return false;
    const TVekCharacterMatch first = matchCharacter(row, start, patterns, modules);
    if (first.value != startStop || first.deviation > maximumDeviation) return false;
    std::vector<int> values;
    size_t at = start + 6;
    while (values.size() < maximumCharacters && at + 7 < row.size()) {
        const double width = row.sum(at, 6);
        if (width < 6 * module || width > 13 * module) return false;
        const TVekCharacterMatch match = matchCharacter(row, at, patterns, modules);
        if (match.value < 0 || match.deviation > maximumDeviation) return false;
        module = 0.5 * module + 0.5 * width / modules;
        if (match.value == startStop) {
            // The stop character's final bar is one module wide; then the quiet zone.
            if (std::abs(row.width(at + 6) / module - 1) > 0.7 || !row.isQuiet(at + 7, quietModules * module)) return false;
            if (!checksHold(values) || !interpret(values, read.bytes) || read.bytes.empty()) return false;
            read.format = TVekBarcodeFormat::code93;
            read.identifier = "]G0";
            read.firstElement = start;
            read.lastElement = at + 6;
            read.strong = true;
            return true;
        }
        values.push_back(match.value);
        at += 6;
    }
    return false;
}

}  // namespace orvel
