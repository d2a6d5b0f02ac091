#include "pdf417/VekScanCodeword.h"

#include <cstddef>

namespace orvel {

int32_t TVekScanCodeword::getValue() const {
    if (count == 0) return -1;
    int32_t best = 0;
    for (int32_t i = 1; i < count; ++i) {
        if (votes[static_cast<std::size_t>(i)] > votes[static_cast<std::size_t>(best)]) best = i;
    }
    return values[static_cast<std::size_t>(best)];
}

void TVekScanCodeword::setValue(int32_t v) {
    reset();
    count = 1;
    values[0] = v;
    votes[0] = 1;
}

void TVekScanCodeword::addValue(int32_t v) {
    for (int32_t i = 0; i < count; ++i) {
        if (values[static_cast<std::size_t>(i)] == v) {
            ++votes[static_cast<std::size_t>(i)];
            return;
        }
    }
    if (count >= MAX_VALUES) return;
    values[static_cast<std::size_t>(count)] = v;
    votes[static_cast<std::size_t>(count)] = 1;
    ++count;
}

void TVekScanCodeword::reset() {
    count = 0;
    values.fill(0);
    votes.fill(0);
}

}  // namespace orvel
