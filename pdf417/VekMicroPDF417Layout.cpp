#include "pdf417/VekMicroPDF417Layout.h"

#include <cmath>

namespace orvel {

namespace {

using TVariant = TVekMicroPDF417Layout::TVariant;

// Columns, rows, check codewords, first row's left, centre and right RAP
// numbers and cluster index: the 34 sizes, fewest columns and rows first.
constexpr std::array<TVariant, TVekMicroPDF417Layout::VARIANTS> VARIANT_TABLE = {{
    {1, 11, 7, 1, 0, 9, 0},
    {1, 14, 7, 8, 0, 8, 1},
    {1, 17, 7, 36, 0, 36, 2},
    {1, 20, 8, 19, 0, 19, 0},
    {1, 24, 8, 9, 0, 17, 2},
    {1, 28, 8, 25, 0, 33, 0},
    {2, 8, 8, 1, 0, 1, 0},
    {2, 11, 9, 1, 0, 9, 0},
    {2, 14, 9, 8, 0, 8, 1},
    {2, 17, 10, 36, 0, 36, 2},
    {2, 20, 11, 19, 0, 19, 0},
    {2, 23, 13, 9, 0, 17, 2},
    {2, 26, 15, 27, 0, 35, 2},
    {3, 6, 12, 1, 1, 1, 0},
    {3, 8, 14, 7, 7, 7, 0},
    {3, 10, 16, 15, 15, 15, 2},
    {3, 12, 18, 25, 25, 25, 0},
    {3, 15, 21, 37, 37, 37, 0},
    {3, 20, 26, 1, 17, 33, 0},
    {3, 26, 32, 1, 9, 17, 0},
    {3, 32, 38, 21, 29, 37, 2},
    {3, 38, 44, 15, 31, 47, 2},
    {3, 44, 50, 1, 25, 49, 0},
    {4, 4, 8, 47, 19, 43, 1},
    {4, 6, 12, 1, 1, 1, 0},
    {4, 8, 14, 7, 7, 7, 0},
    {4, 10, 16, 15, 15, 15, 2},
    {4, 12, 18, 25, 25, 25, 0},
    {4, 15, 21, 37, 37, 37, 0},
    {4, 20, 26, 1, 17, 33, 0},
    {4, 26, 32, 1, 9, 17, 0},
    {4, 32, 38, 21, 29, 37, 2},
    {4, 38, 44, 15, 31, 47, 2},
    {4, 44, 50, 1, 25, 49, 0},
}};

// The element widths (bar, space, bar, space, bar, space) of the left and
// right RAPs 1 ... 52, in their cycle's order.
constexpr std::array<int32_t, TVekMicroPDF417Layout::PATTERNS> SIDE_PATTERNS = {
    221311, 311311, 312211, 222211, 213211, 214111, 223111, 313111, 322111, 412111, 421111, 331111, 241111,
    232111, 231211, 321211, 411211, 411121, 411112, 321112, 312112, 311212, 311221, 311131, 311122, 311113,
    221113, 221122, 221131, 221221, 222121, 312121, 321121, 231121, 231112, 222112, 213112, 212212, 212221,
    212131, 212122, 212113, 211213, 211123, 211132, 211141, 211231, 211222, 211312, 211321, 211411, 212311};

// The same for the centre RAPs.
constexpr std::array<int32_t, TVekMicroPDF417Layout::PATTERNS> CENTRE_PATTERNS = {
    112231, 121231, 122131, 131131, 131221, 132121, 141121, 141211, 142111, 133111, 132211, 131311, 122311,
    123211, 124111, 115111, 114211, 114121, 123121, 123112, 122212, 122221, 121321, 121411, 112411, 113311,
    113221, 113212, 113122, 122122, 131122, 131113, 122113, 113113, 112213, 112222, 112312, 112321, 111421,
    111331, 111322, 111232, 111223, 111133, 111124, 111214, 112114, 121114, 121123, 121132, 112132, 112141};

// Sums of neighbouring element widths run from 2 to 6 modules: five of
// them index a table of 5^5 entries.
constexpr int32_t PAIR_LOW = 2;
constexpr int32_t PAIR_VALUES = 5;
constexpr int32_t PAIR_KEYS = PAIR_VALUES * PAIR_VALUES * PAIR_VALUES * PAIR_VALUES * PAIR_VALUES;

constexpr int32_t keyOf(int32_t pattern) {
    int32_t widths[6] = {};
    for (int32_t k = 5; k >= 0; --k, pattern /= 10) widths[k] = pattern % 10;
    int32_t key = 0;
    for (int32_t k = 0; k < 5; ++k) key = key * PAIR_VALUES + widths[k] + widths[k + 1] - PAIR_LOW;
    return key;
}

// The number of the pattern with that key; negative for a centre RAP, 0
// for none.
constexpr std::array<int8_t, PAIR_KEYS> PATTERN_OF_KEY = [] {
    std::array<int8_t, PAIR_KEYS> table{};
    for (int32_t i = 0; i < TVekMicroPDF417Layout::PATTERNS; ++i) {
        const auto index = static_cast<size_t>(i);
        table[static_cast<size_t>(keyOf(SIDE_PATTERNS[index]))] = static_cast<int8_t>(i + 1);
        table[static_cast<size_t>(keyOf(CENTRE_PATTERNS[index]))] = static_cast<int8_t>(-(i + 1));
    }
    return table;
}();

}  // namespace

const std::array<TVariant, TVekMicroPDF417Layout::VARIANTS>& TVekMicroPDF417Layout::variants() {
    return VARIANT_TABLE;
}

int32_t TVekMicroPDF417Layout::rowModules(int32_t columns) {
    return 2 * RAP_MODULES + 1 + CHARACTER * columns + (columns >= 3 ? RAP_MODULES : 0);
}

int32_t TVekMicroPDF417Layout::centreStart(int32_t columns) {
    if (columns < 3) return 0;
    return RAP_MODULES + CHARACTER * (columns - 2);
}

int32_t TVekMicroPDF417Layout::columnStart(int32_t columns, int32_t column) {
    const bool afterCentre = columns >= 3 && column >= columns - 2;
    return RAP_MODULES + CHARACTER * column + (afterCentre ? RAP_MODULES : 0);
}

int32_t TVekMicroPDF417Layout::columnsOfWidth(double modules) {
    // The widths lie 17 or more modules apart: within 5 of one is that one.
    for (int32_t columns = 1; columns <= 4; ++columns) {
        if (std::abs(modules - rowModules(columns)) <= 5) return columns;
    }
    return 0;
}

TVekMicroPDF417Layout::TPattern TVekMicroPDF417Layout::patternOf(const std::array<int32_t, 5>& pairs) {
    int32_t key = 0;
    for (const int32_t pair : pairs) {
        if (pair < PAIR_LOW || pair >= PAIR_LOW + PAIR_VALUES) return {};
        key = key * PAIR_VALUES + pair - PAIR_LOW;
    }
    const int32_t entry = PATTERN_OF_KEY[static_cast<size_t>(key)];
    if (entry == 0) return {};
    return {entry > 0 ? entry : -entry, entry < 0};
}

int32_t TVekMicroPDF417Layout::rowOf(const TVariant& variant, int32_t first, int32_t number) {
    if (first <= 0 || number <= 0) return -1;
    const int32_t row = (number - first + PATTERNS) % PATTERNS;
    return row < variant.rows ? row : -1;
}

}  // namespace orvel
