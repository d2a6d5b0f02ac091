#pragma once

#include <cstdint>
#include <optional>

#include "foundation/VekImage.h"
#include "foundation/VekImageObject.h"
#include "foundation/VekPoint.h"

namespace orvel {

// One node of the alignment grid: a predicted pixel position, snapped to the
// centre of the dark alignment-pattern centre when refining finds one there.
class TVekQRAlignPattern {
public:
    TVekQRAlignPattern() = default;
    TVekQRAlignPattern(TVekImage& picture, bool refine, double moduleSize, const TVekPoint& predicted);

    std::optional<TVekImageObject> region;  // the dark region grown while refining
    TVekPoint position;                     // where the grid puts the node
    int32_t column = 0;                     // module column in the symbol
    int32_t row = 0;                        // module row in the symbol
};

}  // namespace orvel
