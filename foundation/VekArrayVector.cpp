#include "foundation/VekArrayVector.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace orvel {

namespace {

size_t slotIndex(int32_t index, const TMatrixIntegerV& items) {
    if (index < 0 || static_cast<size_t>(index) >= items.size())
        throw std::out_of_range("TVekArrayVector: index " + std::to_string(index) + " out of bounds");
    return static_cast<size_t>(index);
}

}  // namespace

TVectorInteger& TVekArrayVector::elementAt(int32_t index) { return items[slotIndex(index, items)]; }

const TVectorInteger& TVekArrayVector::elementAt(int32_t index) const { return items[slotIndex(index, items)]; }

void TVekArrayVector::addElement(TVectorInteger array) {
    if (count == capacity) {
        capacity += kGrowth;
        items.resize(static_cast<size_t>(capacity));
    }
    items[static_cast<size_t>(count)] = std::move(array);
    ++count;
}

}  // namespace orvel
