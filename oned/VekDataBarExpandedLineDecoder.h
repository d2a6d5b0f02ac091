#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekDataBarElements.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// GS1 DataBar Expanded on one scan line: pairs of a left character, a
// finder pattern and a right character (read backwards), the first pair's
// left character the check character. The finders follow the sequence the
// symbol's character count sets; the check character holds that count and
// the checksum (mod 211) of the data characters' elements.
class TVekDataBarExpandedLineDecoder {
public:
    struct TCharacter {
        int value = -1;
        std::array<int, 8> modules{};
    };
    // One pair as read: the finder's letter (0 for A .. 5 for F) and whether
    // it stands reversed (A2 rather than A1); the right character may be
    // missing in a symbol's last pair.
    struct TPair {
        int finder = 0;
        bool reversed = false;
        TCharacter left, right;
        bool hasRight = false;
        double moduleSize = 0;
        size_t firstElement = 0, lastElement = 0;
    };

    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const;

    // The pair whose left character starts at element `first` of the row,
    // read forwards, with its right character where one follows.
    static bool readPair(const TVekBarRow& row, size_t first, TPair& pair);
    // The cheap shape readPair asks first, on the row itself: a character
    // of 13 to 21 modules before a finder of 15, whose two narrow elements
    // close it on one side or the other, and whose widest element has six
    // modules or more. A finder matches within half a module at a spread of
    // at most 0.4, so its narrow pair (a bar and a space, the spread
    // cancelling) spans 1 to 3 modules and its widest element is over 5.1
    // modules wide. Inline: the stack asks it at every element of every line.
    static bool pairShaped(const TVekBarRow& row, size_t first) {
        if (first + 13 > row.size()) return false;
        // The narrow pair is under 1.9 modules an element, the widest over
        // 5.09: against each other, without the module, they rule out most
        // places at once.
        const auto width = [&](size_t k) { return row.width(first + 8 + k); };
        const double widest = std::max({width(1), width(2), width(3)}), narrowest = 0.374 * widest;
        if ((width(3) >= narrowest || width(4) >= narrowest) && (width(0) >= narrowest || width(1) >= narrowest))
            return false;
        const double finderWidth = TVekDataBarElements::span(row, first + 8, 5);
        const double module = finderWidth / 15;
        const double wide = 5.09 * module;
        if (row.width(first + 9) < wide && row.width(first + 10) < wide && row.width(first + 11) < wide) return false;
        const auto narrow = [&](size_t k) {
            const double one = row.width(first + 8 + k), other = row.width(first + 9 + k);
            return one > 0.4 * module && one < 1.9 * module && other > 0.4 * module && other < 1.9 * module &&
                   one + other > 0.99 * module && one + other < 3.01 * module;
        };
        if (!narrow(3) && !narrow(0)) return false;
        const double leftWidth = TVekDataBarElements::span(row, first, 8);
        return leftWidth >= 13 * module && leftWidth <= 21 * module;
    }
    // The element string of a symbol's pairs in order, when their finders
    // follow the sequence and the checksum holds.
    static std::optional<std::string> content(const std::vector<TPair>& pairs);
    // The characters a symbol holds, the check character included, from its
    // check character's value; 0 when it cannot be one.
    static int characterCount(int checkValue);
    // The finder of pair `index` in a symbol of `pairCount` pairs, as
    // letter * 2 + reversed; -1 beyond the sequence.
    static int finderInSequence(int pairCount, int index);
};

}  // namespace orvel
