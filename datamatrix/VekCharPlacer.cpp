#include "datamatrix/VekCharPlacer.h"

#include <algorithm>

namespace orvel {

void TVekCharPlacer::make() {
    if (nrow <= 0 || ncol <= 0) return;
    const size_t cells = static_cast<size_t>(nrow) * static_cast<size_t>(ncol);
    if (array.size() < cells) array.resize(cells);
    std::fill(array.begin(), array.begin() + static_cast<std::ptrdiff_t>(cells), 0);

    int32_t row = 4;
    int32_t col = 0;
    int32_t chr = 1;
    do {
        if (row == nrow && col == 0) corner1(chr++);
        if (row == nrow - 2 && col == 0 && ncol % 4 != 0) corner2(chr++);
        if (row == nrow - 2 && col == 0 && ncol % 8 == 4) corner3(chr++);
        if (row == nrow + 4 && col == 2 && ncol % 8 == 0) corner4(chr++);
        // Sweep up and to the right.
        do {
            if (row < nrow && col >= 0 && isFree(row, col)) utah(row, col, chr++);
            row -= 2;
            col += 2;
        } while (row >= 0 && col < ncol);
        row += 1;
        col += 3;
        // Sweep down and to the left.
        do {
            if (row >= 0 && col < ncol && isFree(row, col)) utah(row, col, chr++);
            row += 2;
            col -= 2;
        } while (row < nrow && col >= 0);
        row += 3;
        col += 1;
    } while (row < nrow || col < ncol);

    // Mapping matrices whose size leaves the lower right corner unfilled get
    // the fixed pattern there.
    if (array[cells - 1] == 0) {
        array[cells - 1] = 1;
        if (cells >= static_cast<size_t>(ncol) + 2) array[cells - static_cast<size_t>(ncol) - 2] = 1;
    }
}

bool TVekCharPlacer::isFree(int32_t row, int32_t col) const {
    if (row < 0 || row >= nrow || col < 0 || col >= ncol) return false;
    return array[static_cast<size_t>(row) * ncol + col] == 0;
}

void TVekCharPlacer::module(int32_t row, int32_t col, int32_t chr, int32_t bit) {
    if (row < 0) {
        row += nrow;
        col += 4 - ((nrow + 4) % 8);
    }
    if (col < 0) {
        col += ncol;
        row += 4 - ((ncol + 4) % 8);
    }
    // Never happens for the table's sizes; guards odd sizes a caller might set.
    if (row < 0 || row >= nrow || col < 0 || col >= ncol) return;
    array[static_cast<size_t>(row) * ncol + col] = chr * 10 + bit;
}

void TVekCharPlacer::utah(int32_t row, int32_t col, int32_t chr) {
    module(row - 2, col - 2, chr, 1);
    module(row - 2, col - 1, chr, 2);
    module(row - 1, col - 2, chr, 3);
    module(row - 1, col - 1, chr, 4);
    module(row - 1, col, chr, 5);
    module(row, col - 2, chr, 6);
    module(row, col - 1, chr, 7);
    module(row, col, chr, 8);
}

void TVekCharPlacer::corner1(int32_t chr) {
    module(nrow - 1, 0, chr, 1);
    module(nrow - 1, 1, chr, 2);
    module(nrow - 1, 2, chr, 3);
    module(0, ncol - 2, chr, 4);
    module(0, ncol - 1, chr, 5);
    module(1, ncol - 1, chr, 6);
    module(2, ncol - 1, chr, 7);
    module(3, ncol - 1, chr, 8);
}

void TVekCharPlacer::corner2(int32_t chr) {
    module(nrow - 3, 0, chr, 1);
    module(nrow - 2, 0, chr, 2);
    module(nrow - 1, 0, chr, 3);
    module(0, ncol - 4, chr, 4);
    module(0, ncol - 3, chr, 5);
    module(0, ncol - 2, chr, 6);
    module(0, ncol - 1, chr, 7);
    module(1, ncol - 1, chr, 8);
}

void TVekCharPlacer::corner3(int32_t chr) {
    module(nrow - 3, 0, chr, 1);
    module(nrow - 2, 0, chr, 2);
    module(nrow - 1, 0, chr, 3);
    module(0, ncol - 2, chr, 4);
    module(0, ncol - 1, chr, 5);
    module(1, ncol - 1, chr, 6);
    module(2, ncol - 1, chr, 7);
    module(3, ncol - 1, chr, 8);
}

void TVekCharPlacer::corner4(int32_t chr) {
    module(nrow - 1, 0, chr, 1);
    module(nrow - 1, ncol - 1, chr, 2);
    module(0, ncol - 3, chr, 3);
    module(0, ncol - 2, chr, 4);
    module(0, ncol - 1, chr, 5);
    module(1, ncol - 3, chr, 6);
    module(1, ncol - 2, chr, 7);
    module(1, ncol - 1, chr, 8);
}

}  // namespace orvel
