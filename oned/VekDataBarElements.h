#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "oned/VekBarRow.h"

namespace orvel {

// A stretch of a scan line's elements read in either direction, as DataBar
// reads its characters: those right of a finder pattern run right to left.
// Element k is the row's element `origin + k`, or `origin - k` backwards.
class TVekDataBarElements {
public:
    TVekDataBarElements(const TVekBarRow& row, size_t origin, bool backwards)
        : row_(row), origin_(origin), backwards_(backwards) {}

    // True when elements 0 .. count-1 lie on the row.
    bool holds(size_t count) const;
    double width(size_t k) const { return row_.width(index(k)); }
    bool isBar(size_t k) const { return TVekBarRow::isBar(index(k)); }
    size_t index(size_t k) const { return backwards_ ? origin_ - k : origin_ + k; }
    double sum(size_t first, size_t count) const;
    // The width of the row's elements first .. first+count-1 (count > 0)
    // from their ends, without adding them up.
    static double span(const TVekBarRow& row, size_t first, size_t count) {
        return row.end(first + count - 1) - row.start(first);
    }
    // Whether a width is `modules` modules of `moduleSize`, as a guard or a
    // single element is checked: blur and ink spread make bars measure wider,
    // so the band reaches further above than below.
    static bool near(double width, double modules, double moduleSize) {
        return width > (modules - 0.6) * moduleSize && width < (modules + 0.8) * moduleSize;
    }
    // Element `k` and those before it, read the other way.
    TVekDataBarElements turnedAt(size_t k) const;

    // Elements first .. first+out.size()-1 as whole modules summing to
    // `modules`: bars measured wider by ink spread or blur (spaces narrower)
    // are tried with the spread that rounds best. False when no spread gives
    // widths of 1..widest that add up.
    bool toModules(size_t first, int modules, int widest, std::span<int> out) const;

    // The pattern of `patterns` (module widths as digits, all of `modules`
    // modules) that elements first .. first+len-1 match, or -1. `moduleSize`
    // gets the module width they show.
    int matchPattern(size_t first, std::span<const std::string_view> patterns, int modules, double& moduleSize) const;

private:
    const TVekBarRow& row_;
    size_t origin_;
    bool backwards_;
};

}  // namespace orvel
