#pragma once

#include <array>
#include <cstdint>

namespace orvel {

// The sizes of MicroPDF417 and where things lie in a row. A row is a left
// row address pattern (RAP), the data columns with a centre RAP after the
// first (3 columns) or second (4 columns), a right RAP and a stop bar. RAPs
// are three bars and three spaces over 10 modules; the left and right ones
// come from one cycle of 52 patterns, the centre ones from another. From a
// row to the next every RAP moves one step along its cycle and the
// codewords' cluster one step along 0, 3, 6; the size's first row fixes
// where each cycle starts.
class TVekMicroPDF417Layout {
public:
    static constexpr int32_t RAP_MODULES = 10;
    static constexpr int32_t CHARACTER = 17;
    static constexpr int32_t PATTERNS = 52;

    struct TVariant {
        int32_t columns;
        int32_t rows;
        int32_t eccCount;
        // Numbers (1 ... 52) of the first row's left, centre (0: none) and
        // right RAPs, and its cluster index (0, 1, 2 for clusters 0, 3, 6).
        int32_t left;
        int32_t centre;
        int32_t right;
        int32_t cluster;
    };
    static constexpr int32_t VARIANTS = 34;

    static const std::array<TVariant, VARIANTS>& variants();

    // The modules of a row from the left RAP's first bar to the stop bar's
    // end: 38, 55, 82 or 99.
    static int32_t rowModules(int32_t columns);
    // Where data column `column` begins, in modules from the row's left.
    static int32_t columnStart(int32_t columns, int32_t column);
    // Where the centre RAP begins; 0 for symbols of one or two columns.
    static int32_t centreStart(int32_t columns);
    static int32_t rightStart(int32_t columns) { return rowModules(columns) - RAP_MODULES - 1; }
    // The columns a row of about `modules` modules has; 0 for none.
    static int32_t columnsOfWidth(double modules);

    // The pattern whose sums of neighbouring element widths (five, bar
    // first) are `pairs`: its number (1 ... 52) and whether it is a centre
    // RAP; number 0 for none.
    struct TPattern {
        int32_t number = 0;
        bool centre = false;
    };
    static TPattern patternOf(const std::array<int32_t, 5>& pairs);

    // The row of the variant whose RAP of that kind (left, centre or right
    // start number `first`) carries the number; -1 beyond its rows.
    static int32_t rowOf(const TVariant& variant, int32_t first, int32_t number);
};

}  // namespace orvel
