#pragma once

#include <span>

namespace orvel {

// The value of a GS1 DataBar symbol character from its element widths in
// modules. Its odd elements (the first, third, ...) and its even elements
// each pick one width combination of their group's module count; the value
// is the group's first value plus the two combinations' ranks, weighted.
class TVekDataBarCharacter {
public:
    enum class TKind {
        outside,   // DataBar and DataBar Stacked, outer characters: 16 modules
        inside,    // DataBar and DataBar Stacked, inner characters: 15 modules
        expanded,  // DataBar Expanded: 17 modules
        limited,   // DataBar Limited: 26 modules in 14 elements
    };

    // The number of modules of a character of `kind`.
    static int moduleCount(TKind kind);

    // -1 when the widths fit no group of `kind` or lie beyond its values.
    static int value(std::span<const int> modules, TKind kind);

    // The rank, in lexicographic order, of `widths` among all combinations of
    // as many elements with the same sum whose elements are at most `widest`
    // modules wide and, unless `narrowFree`, hold at least one narrow (1).
    static int combinationRank(std::span<const int> widths, int widest, bool narrowFree);
};

}  // namespace orvel
