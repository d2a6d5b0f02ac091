#include "oned/VekCode39LineDecoder.h"

#include <array>
#include <string_view>

#include "oned/VekCharacterMatcher.h"

namespace orvel {

namespace {

constexpr std::string_view alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";
// Narrow (1) and wide (2) elements of each character of `alphabet`.
constexpr std::array<std::string_view, 44> patterns = {
    "111221211", "211211112", "112211112", "212211111", "111221112", "211221111", "112221111", "111211212", "211211211",
    "112211211", "211112112", "112112112", "212112111", "111122112", "211122111", "112122111", "111112212", "211112211",
    "112112211", "111122211", "211111122", "112111122", "212111121", "111121122", "211121121", "112121121", "111111222",
    "211111221", "112111221", "111121221", "221111112", "122111112", "222111111", "121121112", "221121111", "122121111",
    "121111212", "221111211", "122111211", "121212111", "121211121", "121112121", "111212121", "121121211",
};
constexpr int asterisk = 43;
constexpr double quietNarrows = 6;
constexpr size_t maximumCharacters = 80;

// The bit set of wide elements of each character.
constexpr std::array<int, 44> wideMasks = [] {
    std::array<int, 44> masks{};
    for (size_t c = 0; c < patterns.size(); ++c)
        for (size_t i = 0; i < 9; ++i)
            if (patterns[c][i] == '2') masks[c] |= 1 << i;
    return masks;
}();

// A character of six narrow and three wide elements at the largest
// wide-to-narrow ratio, in narrow widths.
constexpr double widestCharacter = 6 + 3 * 4.5;

// The start and stop characters never stand inside a symbol, so a symbol
// that runs to the picture's border (the line's first or last element) was
// not cut there: its quiet zone is wherever the picture ends.
bool isQuietOrBorder(const TVekBarRow& row, size_t element, double width) {
    return element == 0 || element + 1 >= row.size() || row.isQuiet(element, width);
}

}  // namespace

int TVekCode39LineDecoder::character(const TVekBarRow& row, size_t first, double& narrow) {
    if (first + 9 > row.size()) return -1;
    std::array<double, 9> widths{};
    for (size_t i = 0; i < 9; ++i) widths[i] = row.width(first + i);
    const int mask = wideElements(widths, 3, narrow);
    if (mask < 0) return -1;
    for (size_t c = 0; c < wideMasks.size(); ++c)
        if (wideMasks[c] == mask) return static_cast<int>(c);
    return -1;
}

void TVekCode39LineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads,
                                   TVekLinearClues* clues) const {
    for (size_t start = 1; start + 29 < row.size(); start += 2) {
        TVekLinearRead read;
        size_t characters = 0;
        if (readSymbol(row, start, read, characters)) {
            reads.push_back(read);
            start = read.lastElement;
        } else if (clues && characters >= 2) {
            ++clues->partialSymbols;
        }
    }
}

bool TVekCode39LineDecoder::readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read,
                                       size_t& characters) const {
    // The quiet zone first, against the narrowest narrow element a character
    // this wide can have: most positions of a line fail it, cheaply.
    double characterWidth = row.sum(start, 9);
    if (!isQuietOrBorder(row, start - 1, quietNarrows * characterWidth / widestCharacter)) return false;
    double narrow = 0;
    if (character(row, start, narrow) != asterisk) return false;
    if (!isQuietOrBorder(row, start - 1, quietNarrows * narrow)) return false;
    std::string text;
    size_t at = start + 10;
    while (text.size() < maximumCharacters && at + 9 <= row.size()) {
        characters = text.size();
        const double gap = row.width(at - 1);
        if (gap > 4 * narrow) return false;
        double narrowHere = 0;
        const int c = character(row, at, narrowHere);
        if (c < 0) return false;
        const double width = row.sum(at, 9);
        // Perspective changes the width from character to character, slowly.
        if (width < 0.6 * characterWidth || width > 1.6 * characterWidth) return false;
        characterWidth = width;
        narrow = 0.5 * narrow + 0.5 * narrowHere;
        if (c == asterisk) {
            if (text.empty() || !isQuietOrBorder(row, at + 9, quietNarrows * narrow)) return false;
            if (!interpreter_.interpret(text, read)) return false;
            read.firstElement = start;
            read.lastElement = at + 8;
            return true;
        }
        text.push_back(alphabet[static_cast<size_t>(c)]);
        at += 10;
    }
    return false;
}

}  // namespace orvel
