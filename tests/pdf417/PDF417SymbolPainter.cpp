#include "PDF417SymbolPainter.h"

#include <array>

#include "pdf417/VekPDF417SymbolTable.h"

namespace orvel::test {

TVectorInteger pdf417Elements(int32_t c, int32_t k) {
    const int32_t pattern = pdf417SymbolCharacters.at(static_cast<size_t>(k * 929 + c));
    std::array<int32_t, 6> e{};
    for (int i = 5, rest = pattern; i >= 0; --i, rest /= 10) e[static_cast<size_t>(i)] = rest % 10;
    // The edge-to-edge widths fix the elements up to the first one; any first
    // width that keeps all eight in 1 ... 6 and the sum at 17 reads the same.
    for (int32_t first = 1; first <= 6; ++first) {
        TVectorInteger b{first};
        int32_t sum = first;
        for (int32_t value : e) {
            b.push_back(value - b.back());
            sum += b.back();
        }
        b.push_back(17 - sum);
        bool valid = true;
        for (int32_t width : b) valid = valid && width >= 1 && width <= 6;
        if (valid) return b;
    }
    return {};
}

namespace {

const TVectorInteger START = {8, 1, 1, 1, 1, 1, 1, 3};
const TVectorInteger STOP = {7, 1, 1, 3, 1, 1, 1, 2, 1};
// Eight elements of 17 modules with edge-to-edge widths 3 2 2 2 2 2: cluster
// (3 - 2 + 2 - 2 + 9) mod 9 = 1, no cluster at all.
const TVectorInteger NO_CHARACTER = {2, 1, 1, 1, 1, 1, 1, 9};

void append(TVectorInteger& row, const TVectorInteger& elements) {
    bool bar = true;
    for (int32_t width : elements) {
        for (int32_t m = 0; m < width; ++m) row.push_back(bar ? 1 : 0);
        bar = !bar;
    }
}

}  // namespace

TVekImage paintPDF417(const TPDF417Painting& p) {
    const int32_t quiet = 2;
    const int32_t rowsMinusOne = p.indicatorRows - 1;
    std::vector<TVectorInteger> moduleRows;
    for (int32_t r = 0; r < p.rows; ++r) {
        const int32_t k = r % 3;
        const int32_t base = 30 * (r / 3);
        const std::array<int32_t, 3> left = {base + rowsMinusOne / 3, base + p.ecLevel * 3 + rowsMinusOne % 3,
                                             base + p.columns - 1};
        const std::array<int32_t, 3> right = {base + p.columns - 1, base + rowsMinusOne / 3,
                                              base + p.ecLevel * 3 + rowsMinusOne % 3};
        TVectorInteger row;
        append(row, START);
        append(row, pdf417Elements(left[static_cast<size_t>(k)], k));
        for (int32_t c = 0; c < p.columns; ++c) {
            const int32_t value = p.codewords.at(static_cast<size_t>(r * p.columns + c));
            append(row, value < 0 ? NO_CHARACTER : pdf417Elements(value, k));
        }
        append(row, pdf417Elements(right[static_cast<size_t>(k)], k));
        append(row, STOP);
        moduleRows.push_back(row);
    }
    const auto width = static_cast<int32_t>(moduleRows[0].size()) + 2 * quiet;
    const int32_t height = p.rows * p.rowHeight + 2 * quiet;
    TVekImage image(width * p.modulePixels, height * p.modulePixels);
    for (int32_t y = 0; y < image.height; ++y) {
        const int32_t moduleY = y / p.modulePixels - quiet;
        if (moduleY < 0 || moduleY >= p.rows * p.rowHeight) continue;
        const TVectorInteger& row = moduleRows[static_cast<size_t>(moduleY / p.rowHeight)];
        for (int32_t x = 0; x < image.width; ++x) {
            const int32_t moduleX = x / p.modulePixels - quiet;
            if (moduleX >= 0 && moduleX < static_cast<int32_t>(row.size()) && row[static_cast<size_t>(moduleX)]) {
                image.setPixel(x, y, BLACK);
            }
        }
    }
    return image;
}

}  // namespace orvel::test
