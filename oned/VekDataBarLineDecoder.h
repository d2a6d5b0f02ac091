#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekDataBarElements.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// GS1 DataBar (omnidirectional and truncated) on one scan line: a left and
// a right pair, each an outer character, a finder pattern and an inner
// character read outwards in, the right pair from right to left. The finder
// patterns carry the checksum (mod 79) of the four characters' elements.
// A checksum of one in 79 needs a second line that agrees.
class TVekDataBarLineDecoder {
public:
    // One pair: its characters' values, its finder's, and its share of the
    // checksum (its 16 elements weighted by powers of 3, mod 79).
    struct TPair {
        int outer = 0;
        int inner = 0;
        int finder = 0;
        int checksum = 0;
        double moduleSize = 0;
    };

    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const;

    // The pair whose outer character starts at element 0 of `elements`
    // (its finder at 8, its inner character at 13..20 read backwards).
    static bool readPair(const TVekDataBarElements& elements, TPair& pair);
    // The element string "01" + the 14 digits of the item number the two
    // pairs hold; empty when their checksum or value fails.
    static std::string content(const TPair& left, const TPair& right);
    // True when elements first .. first+4 can be a finder pattern at all:
    // two narrow elements closing a wide run, cheap to rule out. A finder
    // matches within half a module at a spread of at most 0.4, so its two
    // narrow elements (a bar and a space, the spread cancelling) span 1 to
    // 3 of its 15 modules. Inline: the stack asks it at every element of
    // every line.
    static bool finderShaped(const TVekBarRow& row, size_t first, bool backwards) {
        if (backwards ? first < 4 || first >= row.size() : first + 5 > row.size()) return false;
        // Element k of the finder, read from `first` on in its direction.
        const auto width = [&](size_t k) { return row.width(backwards ? first - k : first + k); };
        // Every finder has an element of five modules or more; the narrow
        // ones against it rule out most places at once.
        const double wide = width(1) > width(2) ? width(1) : width(2);
        if (width(3) >= 0.5 * wide || width(4) >= 0.5 * wide) return false;
        const double total = TVekDataBarElements::span(row, backwards ? first - 4 : first, 5);
        const double narrow = width(3) + width(4);
        return narrow > 0.066 * total && narrow < 0.201 * total && wide > 4 * total / 15;
    }
};

}  // namespace orvel
