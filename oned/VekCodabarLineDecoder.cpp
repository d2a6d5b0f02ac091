#include "oned/VekCodabarLineDecoder.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "oned/VekCharacterMatcher.h"

namespace orvel {

namespace {

constexpr std::string_view alphabet = "0123456789-$:/.+ABCD";
// Wide elements (1) of bar, space, ..., bar of each character of `alphabet`.
constexpr std::array<std::string_view, 20> patterns = {
    "0000011", "0000110", "0001001", "1100000", "0010010", "1000010", "0100001", "0100100", "0110000", "1001000",
    "0001100", "0011000", "1000101", "1010001", "1010100", "0010101", "0011010", "0101001", "0001011", "0001110",
};
constexpr int firstGuard = 16;
// Ten narrow modules by the standard; start and stop characters bound the
// symbol too, so photographs cropped closer are still read.
constexpr double quietNarrows = 4;
constexpr size_t maximumCharacters = 60;
constexpr size_t minimumData = 2;
// A character of four narrow and three wide elements at the largest
// wide-to-narrow ratio, in narrow widths.
constexpr double widestCharacter = 4 + 3 * 4.5;

constexpr std::array<int, 20> wideMasks = [] {
    std::array<int, 20> masks{};
    for (size_t c = 0; c < patterns.size(); ++c)
        for (size_t i = 0; i < 7; ++i)
            if (patterns[c][i] == '1') masks[c] |= 1 << i;
    return masks;
}();

}  // namespace

int TVekCodabarLineDecoder::character(const TVekBarRow& row, size_t first, double& narrow, double& wide) {
    if (first + 7 > row.size()) return -1;
    std::array<double, 7> widths{};
    for (size_t i = 0; i < 7; ++i) widths[i] = row.width(first + i);
    wide = *std::max_element(widths.begin(), widths.end());
    for (int wide = 2; wide <= 3; ++wide) {
        const int mask = wideElements(widths, wide, narrow);
        if (mask < 0) continue;
        for (size_t c = 0; c < wideMasks.size(); ++c)
            if (wideMasks[c] == mask) return static_cast<int>(c);
    }
    return -1;
}

void TVekCodabarLineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const {
    for (size_t start = 1; start + 8 * (minimumData + 2) < row.size(); start += 2) {
        TVekLinearRead read;
        if (readSymbol(row, start, read)) {
            reads.push_back(read);
            start = read.lastElement;
        }
    }
}

bool TVekCodabarLineDecoder::readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read) {
    // The quiet zone first, against the narrowest narrow element a character
    // this wide can have: most positions of a line fail it, cheaply.
    if (!row.isQuiet(start - 1, quietNarrows * row.sum(start, 7) / widestCharacter)) return false;
    // The start characters A to D all have their second space wide: one of
    // the three widest elements.
    int wider = 0;
    for (size_t i = 0; i < 7; ++i) wider += row.width(start + i) > row.width(start + 3) ? 1 : 0;
    if (wider >= 3) return false;
    double narrow = 0, wide = 0;
    if (character(row, start, narrow, wide) < firstGuard) return false;
    if (!row.isQuiet(start - 1, quietNarrows * narrow)) return false;
    double characterWidth = row.sum(start, 7);
    std::string text;
    size_t at = start + 8;
    while (text.size() < maximumCharacters && at + 7 < row.size()) {
        // Gaps between characters vary; one wider than a wide element is a quiet zone.
        if (row.width(at - 1) > 1.5 * wide) return false;
        double narrowHere = 0;
        const int c = character(row, at, narrowHere, wide);
        if (c < 0) return false;
        const double width = row.sum(at, 7);
        // Perspective changes the width from character to character, slowly.
        if (width < 0.6 * characterWidth || width > 1.6 * characterWidth) return false;
        characterWidth = width;
        narrow = 0.5 * narrow + 0.5 * narrowHere;
        if (c >= firstGuard) {
            if (text.size() < minimumData || !row.isQuiet(at + 7, quietNarrows * narrow)) return false;
            read.format = TVekBarcodeFormat::codabar;
            read.bytes = text;
            read.identifier = "]F0";
            read.firstElement = start;
            read.lastElement = at + 6;
            return true;
        }
        text.push_back(alphabet[static_cast<size_t>(c)]);
        at += 8;
    }
    return false;
}

}  // namespace orvel
