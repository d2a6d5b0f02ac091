#include "foundation/VekVector.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace orvel {

size_t TVekVector::checkedIndex(int32_t index, size_t limit) const {
    if (index < 0 || static_cast<size_t>(index) >= limit)
        throw std::out_of_range("TVekVector: index " + std::to_string(index) + " out of bounds (size " +
                                std::to_string(items_.size()) + ")");
    return static_cast<size_t>(index);
}

int32_t TVekVector::add(TElement element) {
    items_.push_back(std::move(element));
    return size() - 1;
}

void TVekVector::insert(int32_t index, TElement element) {
    const size_t at = checkedIndex(index, items_.size() + 1);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(element));
}

TVekDouble& TVekVector::elementAt(int32_t index) { return *items_[checkedIndex(index, items_.size())]; }

const TVekDouble& TVekVector::elementAt(int32_t index) const {
    return *items_[checkedIndex(index, items_.size())];
}

TVekVector::TElement TVekVector::removeAt(int32_t index) {
    const size_t at = checkedIndex(index, items_.size());
    TElement element = std::move(items_[at]);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
    return element;
}

void TVekVector::freeAt(int32_t index) { removeAt(index); }

void TVekVector::freecontent() {
    while (!items_.empty()) items_.pop_back();
}

std::vector<TVekVector::TElement> TVekVector::clear() { return std::exchange(items_, {}); }

void TVekVector::sort() {
    const int32_t count = size();
    for (int32_t i = 0; i < count; ++i) {
        for (int32_t j = count - 1; j >= i + 1; --j) {
            if (items_[j]->value < items_[j - 1]->value) std::swap(items_[j]->value, items_[j - 1]->value);
        }
    }
}

TVekVector TVekVector::subList(int32_t from, int32_t to) const {
    TVekVector result;
    for (int32_t k = from; k < to && k < size(); ++k) result.add(elementAt(k).value);
    return result;
}

}  // namespace orvel
