#pragma once

#include <cstddef>
#include <vector>

#include "foundation/VekLine.h"
#include "oned/VekBarcode1DObject.h"

namespace orvel {

// The centres of a picture's bar regions on a grid of square cells, so that
// the regions whose centre lies in a band along a line are found by visiting
// the cells the band crosses instead of every region. Made once per picture;
// regions are named by their position in the list it was made from.
class TVekBarGrid {
public:
    explicit TVekBarGrid(const TVekBarList& regions);

    // The positions, ascending, of every region whose centre lies within
    // `halfWidth` of the infinite line (and possibly of a few more: callers
    // make the exact test). Nothing for a degenerate line or width.
    void collectAlong(const TVekLine& line, double halfWidth, std::vector<size_t>& positions) const;

private:
    void addCells(int column, int firstRow, int lastRow, std::vector<size_t>& positions) const;
    void addCellsOfRow(int row, int firstColumn, int lastColumn, std::vector<size_t>& positions) const;

    double left_ = 0, top_ = 0, cell_ = 1;
    int columns_ = 0, rows_ = 0;
    std::vector<size_t> cellStart_;  // columns × rows + 1 offsets into members_
    std::vector<size_t> members_;    // region positions, cell by cell
};

}  // namespace orvel
