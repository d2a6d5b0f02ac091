#include "pdf417/VekPDF417CellVotes.h"

#include <algorithm>
#include <functional>

namespace orvel {

namespace {

int32_t weightOf(const TVekPDF417Character& character) { return character.fitted ? 1 : 2; }

}  // namespace

void TVekPDF417CellVotes::vote(const TVekPDF417Character& character) {
    const int32_t value = character.value;
    for (size_t i = 0; i < values_.size(); ++i) {
        if (values_[i] == value || values_[i] < 0) {
            values_[i] = value;
            counts_[i] += weightOf(character);
            return;
        }
    }
    // Full: the weakest contender gives way.
    const auto weakest = static_cast<size_t>(std::min_element(counts_.begin(), counts_.end()) - counts_.begin());
    values_[weakest] = value;
    counts_[weakest] = weightOf(character);
}

bool TVekPDF417CellVotes::isSettled(int32_t lead) const {
    std::array<int32_t, 3> sorted = counts_;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    return sorted[0] >= sorted[1] + lead;
}

int32_t TVekPDF417CellVotes::best() const {
    const auto top = std::max_element(counts_.begin(), counts_.end());
    if (*top == 0) return -1;
    // A tie is no reading.
    if (std::count(counts_.begin(), counts_.end(), *top) > 1) return -1;
    return values_[static_cast<size_t>(top - counts_.begin())];
}

}  // namespace orvel
