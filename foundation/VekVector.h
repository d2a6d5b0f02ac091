#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/VekDouble.h"

namespace orvel {

// An ordered list of boxed reals that owns its elements. Elements keep their
// identity: `sort` moves values between the boxes, never the boxes, so a
// reference taken with elementAt stays at its position. Indices outside the
// list raise std::out_of_range.
class TVekVector {
public:
    using TElement = std::unique_ptr<TVekDouble>;

    TVekVector() = default;
    TVekVector(TVekVector&&) noexcept = default;
    TVekVector& operator=(TVekVector&&) noexcept = default;

    // Appends the element and returns its index.
    int32_t add(TElement element);
    int32_t add(double value) { return add(std::make_unique<TVekDouble>(value)); }
    // Inserts before position `index`; index = size() appends.
    void insert(int32_t index, TElement element);

    TVekDouble& elementAt(int32_t index);
    const TVekDouble& elementAt(int32_t index) const;
    double elementAtAsDouble(int32_t index) const { return elementAt(index).value; }
    int32_t size() const { return static_cast<int32_t>(items_.size()); }

    // Takes the element out of the list and hands it to the caller.
    TElement removeAt(int32_t index);
    // Takes the element out of the list and frees it.
    void freeAt(int32_t index);
    // Frees every element, from the last to the first.
    void freecontent();
    // Empties the list, handing every element to the caller.
    std::vector<TElement> clear();

    // Ascending bubble sort that exchanges the values of neighbouring boxes;
    // equal values are never exchanged.
    void sort();

    // New boxes holding the values at from ... to - 1; positions at or beyond
    // size() are skipped, and to - 1 < from gives an empty list.
    TVekVector subList(int32_t from, int32_t to) const;
    TVekVector getCopy() const { return subList(0, size()); }

private:
    size_t checkedIndex(int32_t index, size_t limit) const;

    std::vector<TElement> items_;
};

}  // namespace orvel
