#include "oned/VekTelepenLineDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvel {

namespace {

constexpr int startCharacter = '_', stopCharacter = 'z';
constexpr double characterModules = 16;
// The standard's quiet zone is ten modules; photographs are often cropped closer.
constexpr double quietModules = 5;
// A space this wide inside a symbol can only be the quiet zone after the stop.
constexpr double endingSpace = 4.5;
constexpr double pairTolerance = 0.8;
constexpr size_t maximumCharacters = 80;

// A bar and the space after it.
enum class TPair { narrowNarrow, wideNarrow, narrowWide, wideWide, narrowEnding, invalid };

TPair pairAt(const TVekBarRow& row, size_t bar, double module) {
    if (bar + 1 >= row.size()) return TPair::invalid;
    const double barWidth = row.width(bar) / module, spaceWidth = row.width(bar + 1) / module;
    if (bar + 2 == row.size() || spaceWidth > endingSpace)
        return barWidth > 0.3 && barWidth < 2 ? TPair::narrowEnding : TPair::invalid;
    const double sum = barWidth + spaceWidth;
    const double narrower = std::min(barWidth, spaceWidth), wider = std::max(barWidth, spaceWidth);
    if (std::abs(sum - 2) < pairTolerance) return TPair::narrowNarrow;
    if (std::abs(sum - 4) < pairTolerance && wider > 1.5 * narrower)
        return barWidth > spaceWidth ? TPair::wideNarrow : TPair::narrowWide;
    if (std::abs(sum - 6) < pairTolerance && narrower > 0.5 * wider) return TPair::wideWide;
    return TPair::invalid;
}

// The cheapest test, before any other at each position of a line: the
// space before a start character is at least half (as at the picture's
// border) of four fifths of a quiet zone measured by the start's first bar
// and space, each one module wide.
bool mayFollowQuietZone(const TVekBarRow& row, size_t start) {
    return row.width(start - 1) >= 0.2 * quietModules * (row.width(start) + row.width(start + 1));
}

}  // namespace

int TVekTelepenLineDecoder::character(const TVekBarRow& row, size_t at, double& module, size_t& next, bool& last) {
    std::array<int, 12> bits{};
    size_t count = 0;
    size_t element = at;
    last = false;
    const auto push = [&](int bit) {
        if (count < bits.size()) bits[count] = bit;
        ++count;
    };
    bool inRun = false;  // between the 01 and the 10 of a 0 1…1 0 run
    while (count < 8) {
        if (last) return -1;
        const TPair pair = pairAt(row, element, module);
        element += 2;
        if (pair == TPair::narrowNarrow || pair == TPair::narrowEnding) {
            push(1);
            last = pair == TPair::narrowEnding;
        } else if (pair == TPair::narrowWide) {
            push(inRun ? 1 : 0), push(inRun ? 0 : 1);
            inRun = !inRun;
        } else if (pair == TPair::wideNarrow && !inRun) {
            push(0), push(0);
        } else if (pair == TPair::wideWide && !inRun) {
            push(0), push(1), push(0);
        } else {
            return -1;
        }
    }
    if (inRun) return -1;
    if (count != 8) return -1;
    // The final space of the stop character runs into the quiet zone.
    const double width = last ? row.sum(at, element - at - 1) + module : row.sum(at, element - at);
    if (width < 0.75 * characterModules * module || width > 1.3 * characterModules * module) return -1;
    module = 0.5 * module + 0.5 * width / characterModules;
    int ones = 0, value = 0;
    for (size_t b = 0; b < 8; ++b) {
        ones += bits[b];
        if (b < 7) value |= bits[b] << b;
    }
    if (ones % 2 != 0) return -1;
    next = element;
    return value;
}

void TVekTelepenLineDecoder::interpret(const std::vector<int>& values, std::string& bytes, std::string& identifier) {
    const bool allNumeric = std::all_of(values.begin(), values.end(), [](int v) { return v >= 17 && v <= 126; });
    const bool anyControl = std::any_of(values.begin(), values.end(), [](int v) { return v < 32; });
    bytes.clear();
    if (!(allNumeric && anyControl)) {
        for (const int value : values) bytes.push_back(static_cast<char>(value));
        identifier = "]B0";
        return;
    }
    for (const int value : values) {
        if (value >= 27) {
            bytes.push_back(static_cast<char>('0' + (value - 27) / 10));
            bytes.push_back(static_cast<char>('0' + (value - 27) % 10));
        } else {
            bytes.push_back(static_cast<char>('0' + value - 17));
            bytes.push_back('X');
        }
    }
    identifier = "]B1";
}

void TVekTelepenLineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const {
    // Start, one data character, check and stop: at least 4 × 6 elements.
    for (size_t start = 1; start + 24 < row.size(); start += 2) {
        if (!mayFollowQuietZone(row, start)) continue;
        TVekLinearRead read;
        if (readSymbol(row, start, read)) {
            reads.push_back(read);
            start = read.lastElement;
        }
    }
}

bool TVekTelepenLineDecoder::readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read) {
    // The start character is five narrow pairs and a wide one: 12 elements.
    // Four fifths of a quiet zone measured by its first pair, and its wide
    // sixth bar, before the whole character is summed.
    if (!row.isQuiet(start - 1, 0.4 * quietModules * (row.width(start) + row.width(start + 1)))) return false;
    if (row.width(start + 10) < 2 * row.width(start + 8)) return false;
    double module = row.sum(start, 12) / characterModules;
    if (!row.isQuiet(start - 1, quietModules * module)) return false;
    size_t next = 0;
    bool last = false;
    if (character(row, start, module, next, last) != startCharacter || last) return false;
    std::vector<int> values;
    size_t at = next;
    while (values.size() < maximumCharacters) {
        const int value = character(row, at, module, next, last);
        if (value < 0) return false;
        if (!last) {
            values.push_back(value);
            at = next;
            continue;
        }
        if (value != stopCharacter || values.size() < 2 || !row.isQuiet(next - 1, quietModules * module)) return false;
        int sum = 0;
        for (const int v : values) sum += v;
        if (sum % 127 != 0) return false;
        values.pop_back();
        interpret(values, read.bytes, read.identifier);
        read.format = TVekBarcodeFormat::telepen;
        read.firstElement = start;
        read.lastElement = next - 2;
        return true;
    }
    return false;
}

}  // namespace orvel
