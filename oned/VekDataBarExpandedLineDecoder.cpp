#include "oned/VekDataBarExpandedLineDecoder.h"
#include "oned/VekDataBarElements.h"

#include <algorithm>
#include <string_view>

#include "oned/VekDataBarCharacter.h"
#include "oned/VekDataBarExpandedFields.h"

namespace orvel {

namespace {

using Kind = TVekDataBarCharacter::TKind;

// The six finder patterns, A to F, then the same reversed.
constexpr std::array<std::string_view, 12> finders = {
    "18411", "36411", "34611", "32811", "26511", "22911",
    "11481", "11463", "11643", "11823", "11562", "11922",
};

// The finder sequences by pair count (2 .. 11), each finder as letter * 2 +
// reversed: A1 A2 is {0, 1}.
constexpr std::array<std::array<int, 11>, 10> sequences = {{
    {0, 1},
    {0, 3, 2},
    {0, 5, 2, 7},
    {0, 9, 2, 7, 4},
    {0, 9, 2, 7, 6, 11},
    {0, 9, 2, 7, 8, 11, 10},
    {0, 1, 2, 3, 4, 5, 6, 7},
    {0, 1, 2, 3, 4, 5, 6, 9, 8},
    {0, 1, 2, 3, 4, 5, 6, 9, 10, 11},
    {0, 1, 2, 3, 4, 7, 6, 9, 8, 11, 10},
}};

constexpr size_t pairElements = 21;

bool readCharacter(const TVekDataBarElements& elements, TVekDataBarExpandedLineDecoder::TCharacter& character) {
    if (!elements.toModules(0, 17, 8, character.modules)) return false;
    character.value = TVekDataBarCharacter::value(character.modules, Kind::expanded);
    return character.value >= 0;
}

// The character's elements weighted by its row of weights: 3^(8 row + k) mod 211.
int weighted(const std::array<int, 8>& modules, int row) {
    int weight = 1;
    for (int i = 0; i < 8 * row; ++i) weight = weight * 3 % 211;
    int total = 0;
    for (const int m : modules) {
        total = (total + m * weight) % 211;
        weight = weight * 3 % 211;
    }
    return total;
}

}  // namespace

int TVekDataBarExpandedLineDecoder::characterCount(int checkValue) {
    const int count = checkValue / 211 + 4;
    return count <= 22 ? count : 0;
}

int TVekDataBarExpandedLineDecoder::finderInSequence(int pairCount, int index) {
    if (pairCount < 2 || pairCount > 11 || index < 0 || index >= pairCount) return -1;
    return sequences[static_cast<size_t>(pairCount - 2)][static_cast<size_t>(index)];
}

bool TVekDataBarExpandedLineDecoder::readPair(const TVekBarRow& row, size_t first, TPair& pair) {
    // The left character's width is checked there against the finder's
    // module as the match measures it.
    if (!pairShaped(row, first)) return false;
    const TVekDataBarElements elements(row, first, false);
    double moduleSize = 0;
    const int finder = elements.matchPattern(8, finders, 15, moduleSize);
    if (finder < 0) return false;
    if (!readCharacter(elements, pair.left)) return false;
    pair.finder = finder % 6;
    pair.reversed = finder >= 6;
    pair.moduleSize = moduleSize;
    pair.firstElement = first;
    pair.lastElement = first + 12;
    pair.hasRight = false;
    // A symbol's last pair may end at its finder.
    if (!elements.holds(pairElements)) return true;
    const double rightWidth = elements.sum(13, 8);
    if (rightWidth < 13 * moduleSize || rightWidth > 21 * moduleSize) return true;
    if (!readCharacter(elements.turnedAt(20), pair.right)) return true;
    pair.hasRight = true;
    pair.lastElement = first + 20;
    return true;
}

std::optional<std::string> TVekDataBarExpandedLineDecoder::content(const std::vector<TPair>& pairs) {
    if (pairs.empty() || !pairs[0].hasRight) return std::nullopt;
    const int count = characterCount(pairs[0].left.value);
    const int pairCount = (count + 1) / 2;
    if (count == 0 || static_cast<int>(pairs.size()) != pairCount) return std::nullopt;
    std::vector<int> values;
    int checksum = 0;
    for (int p = 0; p < pairCount; ++p) {
        const TPair& pair = pairs[static_cast<size_t>(p)];
        if (pair.finder * 2 + (pair.reversed ? 1 : 0) != finderInSequence(pairCount, p)) return std::nullopt;
        // A right character read after the last finder of an odd count is
        // what follows the symbol.
        const bool wantsRight = 2 * p + 1 < count;
        if (wantsRight && !pair.hasRight) return std::nullopt;
        // Rows of weights: A1's right character first, then each finder's
        // left and right character in order of the finders.
        const int row = 4 * pair.finder + (pair.reversed ? 2 : 0);
        if (p > 0) {
            checksum += weighted(pair.left.modules, row - 1);
            values.push_back(pair.left.value);
        }
        if (wantsRight) {
            checksum += weighted(pair.right.modules, row);
            values.push_back(pair.right.value);
        }
    }
    if (211 * (count - 4) + checksum % 211 != pairs[0].left.value) return std::nullopt;
    for (const int value : values)
        if (value > 4095) return std::nullopt;
    return TVekDataBarExpandedFields::decode(values);
}

void TVekDataBarExpandedLineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const {
    std::vector<TPair> pairs;
    // The first pair starts on a space after the guard's bar, its finder A1
    // (1 8 4 1 1): a narrow element, then the widest.
    for (size_t start = 2; start + pairElements <= row.size(); start += 2) {
        const double finderWidth = TVekDataBarElements::span(row, start + 8, 5);
        if (row.width(start + 9) < 0.4 * finderWidth || row.width(start + 8) > 0.15 * finderWidth) continue;
        TPair first;
        if (!readPair(row, start, first) || !first.hasRight || first.finder != 0 || first.reversed) continue;
        if (!TVekDataBarElements::near(row.width(start - 1), 1, first.moduleSize)) continue;
        const int count = characterCount(first.left.value);
        if (count == 0) continue;
        pairs.assign(1, first);
        size_t at = start + pairElements;
        for (int p = 1; 2 * p < count; ++p) {
            TPair pair;
            if (!readPair(row, at, pair)) break;
            // The last pair of an odd count holds no right character.
            if (2 * p + 1 < count && !pair.hasRight) break;
            if (2 * p + 1 == count) pair.hasRight = false, pair.lastElement = at + 12;
            const double ratio = pair.moduleSize / pairs.back().moduleSize;
            if (ratio < 0.8 || ratio > 1.25) break;
            pairs.push_back(pair);
            at += pairElements;
        }
        const std::optional<std::string> text = content(pairs);
        if (!text) continue;
        TVekLinearRead read;
        read.format = TVekBarcodeFormat::dataBarExpanded;
        read.bytes = *text;
        read.identifier = "]e0";
        read.firstElement = start - 1;
        read.lastElement = std::min(pairs.back().lastElement + 1, row.size() - 1);
        reads.push_back(read);
        start = pairs.back().lastElement;
    }
}

}  // namespace orvel
