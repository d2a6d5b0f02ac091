#include "oned/VekBarGrid.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

// A centre never falls outside the int range the grid works in; one that
// is not a number goes to no cell and is never found (it is never aligned).
bool usable(const TVekPoint& point) { return std::fabs(point.x) < 1e9 && std::fabs(point.y) < 1e9; }

}  // namespace

TVekBarGrid::TVekBarGrid(const TVekBarList& regions) {
    double right = 0, bottom = 0;
    bool any = false;
    for (const auto& region : regions) {
        if (!region || !usable(region->center)) continue;
        const TVekPoint& c = region->center;
        if (!any) {
            left_ = right = c.x;
            top_ = bottom = c.y;
            any = true;
        }
        left_ = std::min(left_, c.x);
        right = std::max(right, c.x);
        top_ = std::min(top_, c.y);
        bottom = std::max(bottom, c.y);
    }
    if (!any) return;
    // About two regions per cell, and never more cells than four per region.
    const double area = std::max(1.0, (right - left_ + 1) * (bottom - top_ + 1));
    cell_ = std::max(4.0, std::sqrt(2 * area / static_cast<double>(regions.size())));
    columns_ = static_cast<int>((right - left_) / cell_) + 1;
    rows_ = static_cast<int>((bottom - top_) / cell_) + 1;

    const auto cellOf = [this](const TVekPoint& c) {
        const int column = std::min(columns_ - 1, static_cast<int>((c.x - left_) / cell_));
        const int row = std::min(rows_ - 1, static_cast<int>((c.y - top_) / cell_));
        return static_cast<size_t>(row) * columns_ + column;
    };
    cellStart_.assign(static_cast<size_t>(columns_) * rows_ + 1, 0);
    for (const auto& region : regions)
        if (region && usable(region->center)) ++cellStart_[cellOf(region->center) + 1];
    for (size_t k = 1; k < cellStart_.size(); ++k) cellStart_[k] += cellStart_[k - 1];
    members_.resize(cellStart_.back());
    std::vector<size_t> filled(cellStart_.begin(), cellStart_.end() - 1);
    for (size_t position = 0; position < regions.size(); ++position)
        if (regions[position] && usable(regions[position]->center))
            members_[filled[cellOf(regions[position]->center)]++] = position;
}

void TVekBarGrid::addCells(int column, int firstRow, int lastRow, std::vector<size_t>& positions) const {
    for (int row = std::max(0, firstRow); row <= std::min(rows_ - 1, lastRow); ++row) {
        const size_t at = static_cast<size_t>(row) * columns_ + column;
        positions.insert(positions.end(), members_.begin() + static_cast<std::ptrdiff_t>(cellStart_[at]),
                         members_.begin() + static_cast<std::ptrdiff_t>(cellStart_[at + 1]));
    }
}

void TVekBarGrid::addCellsOfRow(int row, int firstColumn, int lastColumn, std::vector<size_t>& positions) const {
    for (int column = std::max(0, firstColumn); column <= std::min(columns_ - 1, lastColumn); ++column)
        addCells(column, row, row, positions);
}

void TVekBarGrid::collectAlong(const TVekLine& line, double halfWidth, std::vector<size_t>& positions) const {
    positions.clear();
    const double norm = std::sqrt(line.a * line.a + line.b * line.b);
    if (columns_ == 0 || !(norm > 0) || !std::isfinite(norm) || !(halfWidth > 0) || !std::isfinite(line.c)) return;
    // Unit normal (nx, ny) and offset k: the band is |nx x + ny y + k| < h,
    // widened a little so that rounding never loses a centre on its edge.
    const double nx = line.a / norm, ny = line.b / norm, k = line.c / norm;
    const double h = std::min(halfWidth, 1e9) * (1 + 1e-9) + 1e-6 * (std::fabs(k) + 1) + 1;
    // Solve the band for the coordinate that changes least along the line,
    // one grid column (or row) at a time: its range over the column's width
    // lies between its values at the column's two sides.
    const auto cellIndex = [this](double offset) {
        return static_cast<int>(std::clamp(std::floor(offset / cell_), -1.0, 4e6));
    };
    if (std::fabs(ny) >= std::fabs(nx)) {
        for (int column = 0; column < columns_; ++column) {
            const double x0 = left_ + column * cell_, x1 = x0 + cell_;
            const double ya = (-k - nx * x0) / ny, yb = (-k - nx * x1) / ny, spread = h / std::fabs(ny);
            addCells(column, cellIndex(std::min(ya, yb) - spread - top_), cellIndex(std::max(ya, yb) + spread - top_),
                     positions);
        }
    } else {
        for (int row = 0; row < rows_; ++row) {
            const double y0 = top_ + row * cell_, y1 = y0 + cell_;
            const double xa = (-k - ny * y0) / nx, xb = (-k - ny * y1) / nx, spread = h / std::fabs(nx);
            addCellsOfRow(row, cellIndex(std::min(xa, xb) - spread - left_), cellIndex(std::max(xa, xb) + spread - left_),
                          positions);
        }
    }
    std::sort(positions.begin(), positions.end());
}

}  // namespace orvel
