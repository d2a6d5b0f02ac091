#pragma once

#include <cstdint>

#include "foundation/VekUtil.h"

namespace orvel {

// A list of integer arrays that grows by 100 slots at a time (the readers add
// few arrays, so doubling would only waste memory). Slots beyond `count` are
// empty arrays.
class TVekArrayVector {
public:
    int32_t count = 0;
    int32_t capacity = kGrowth;
    TMatrixIntegerV items = TMatrixIntegerV(kGrowth);

    int32_t size() const { return count; }
    // The stored array itself, not a copy. Indices outside the slots raise
    // std::out_of_range.
    TVectorInteger& elementAt(int32_t index);
    const TVectorInteger& elementAt(int32_t index) const;
    void addElement(TVectorInteger array);

private:
    static constexpr int32_t kGrowth = 100;
};

}  // namespace orvel
