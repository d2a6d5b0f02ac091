#include "oned/VekDataBarCharacter.h"

#include <array>
#include <cstddef>

namespace orvel {

namespace {

// One group of characters: the module count of the odd elements picks it.
struct TGroup {
    int oddModules;
    int firstValue;
    int oddWidest;       // the even elements' widest is 9 minus it
    int oddCombinations;
    int evenCombinations;
};

// The odd elements take the larger weight in outside, expanded and limited
// characters, the even ones in inside characters. Groups whose count times
// the other's exceed their range use only the first combinations.
constexpr std::array<TGroup, 5> outsideGroups = {{
    {12, 0, 8, 161, 1}, {10, 161, 6, 80, 10}, {8, 961, 4, 31, 34}, {6, 2015, 3, 10, 70}, {4, 2715, 1, 1, 126},
}};
constexpr std::array<TGroup, 4> insideGroups = {{
    {5, 0, 2, 4, 84}, {7, 336, 4, 20, 35}, {9, 1036, 6, 48, 10}, {11, 1516, 8, 81, 1},
}};
constexpr std::array<TGroup, 5> expandedGroups = {{
    {12, 0, 7, 87, 4}, {10, 348, 5, 52, 20}, {8, 1388, 4, 30, 52}, {6, 2948, 3, 10, 104}, {4, 3988, 1, 1, 204},
}};
constexpr std::array<TGroup, 7> limitedGroups = {{
    {17, 0, 6, 6538, 28}, {13, 183064, 5, 875, 728}, {9, 820064, 3, 28, 6454}, {15, 1000776, 5, 2415, 203},
    {11, 1491021, 4, 203, 2408}, {19, 1979845, 8, 17094, 1}, {7, 1996939, 1, 1, 16632},
}};

std::span<const TGroup> groupsOf(TVekDataBarCharacter::TKind kind) {
    using K = TVekDataBarCharacter::TKind;
    switch (kind) {
    case K::outside: return outsideGroups;
    case K::inside: return insideGroups;
    case K::expanded: return expandedGroups;
    case K::limited: return limitedGroups;
    }
    return {};
}

// Combinations of n modules in k elements of 1..widest modules: counts[k][n]
// for each widest, and those without any narrow element, built once.
constexpr int maximumElements = 7;
constexpr int maximumModules = 26;
constexpr int maximumWidest = 9;
struct TCounts {
    // [widest][elements][modules]; narrowless: every element at least 2.
    int all[maximumWidest + 1][maximumElements + 1][maximumModules + 1]{};
    int narrowless[maximumWidest + 1][maximumElements + 1][maximumModules + 1]{};
};

constexpr TCounts makeCounts() {
    TCounts counts;
    for (int widest = 1; widest <= maximumWidest; ++widest) {
        counts.all[widest][0][0] = 1;
        counts.narrowless[widest][0][0] = 1;
        for (int k = 1; k <= maximumElements; ++k)
            for (int n = 0; n <= maximumModules; ++n)
                for (int w = 1; w <= widest && w <= n; ++w) {
                    counts.all[widest][k][n] += counts.all[widest][k - 1][n - w];
                    if (w >= 2) counts.narrowless[widest][k][n] += counts.narrowless[widest][k - 1][n - w];
                }
    }
    return counts;
}

constexpr TCounts combinationCounts = makeCounts();

// Combinations of the remaining `elements` in `modules`; `needNarrow` when
// none of the elements before held a narrow one.
int completions(int elements, int modules, int widest, bool needNarrow) {
    if (elements < 0 || modules < 0 || modules > maximumModules || elements > maximumElements) return 0;
    const int all = combinationCounts.all[widest][elements][modules];
    return needNarrow ? all - combinationCounts.narrowless[widest][elements][modules] : all;
}

}  // namespace

int TVekDataBarCharacter::moduleCount(TKind kind) {
    switch (kind) {
    case TKind::outside: return 16;
    case TKind::inside: return 15;
    case TKind::expanded: return 17;
    case TKind::limited: return 26;
    }
    return 0;
}

int TVekDataBarCharacter::combinationRank(std::span<const int> widths, int widest, bool narrowFree) {
    int modules = 0;
    for (const int w : widths) {
        if (w < 1 || w > widest) return -1;
        modules += w;
    }
    const int elements = static_cast<int>(widths.size());
    if (elements > maximumElements || modules > maximumModules || widest > maximumWidest) return -1;
    int rank = 0;
    bool narrowSeen = false;
    for (int i = 0; i < elements; ++i) {
        const int rest = elements - i - 1;
        for (int w = 1; w < widths[static_cast<size_t>(i)]; ++w)
            rank += completions(rest, modules - w, widest, !narrowFree && !narrowSeen && w != 1);
        narrowSeen = narrowSeen || widths[static_cast<size_t>(i)] == 1;
        modules -= widths[static_cast<size_t>(i)];
    }
    if (!narrowFree && !narrowSeen) return -1;
    return rank;
}

int TVekDataBarCharacter::value(std::span<const int> modules, TKind kind) {
    const size_t half = modules.size() / 2;
    if (half * 2 != modules.size() || half > static_cast<size_t>(maximumElements)) return -1;
    std::array<int, maximumElements> odd{}, even{};
    int oddSum = 0;
    for (size_t i = 0; i < half; ++i) {
        odd[i] = modules[2 * i];
        even[i] = modules[2 * i + 1];
        oddSum += odd[i];
    }
    for (const TGroup& group : groupsOf(kind)) {
        if (group.oddModules != oddSum) continue;
        // Outside and limited characters need a narrow among their even
        // elements, inside and expanded ones among their odd elements.
        const bool oddNarrowFree = kind == TKind::outside || kind == TKind::limited;
        const int oddRank = combinationRank(std::span(odd.data(), half), group.oddWidest, oddNarrowFree);
        const int evenRank = combinationRank(std::span(even.data(), half), 9 - group.oddWidest, !oddNarrowFree);
        if (oddRank < 0 || evenRank < 0 || oddRank >= group.oddCombinations || evenRank >= group.evenCombinations)
            return -1;
        if (kind == TKind::inside) return group.firstValue + evenRank * group.oddCombinations + oddRank;
        return group.firstValue + oddRank * group.evenCombinations + evenRank;
    }
    return -1;
}

}  // namespace orvel
