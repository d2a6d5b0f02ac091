#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "foundation/VekPerspectiveTransform.h"

namespace orvel {

// How a sampled frame of module coordinates lies against the symbol: which of
// the frame's corners is the symbol's top-left and whether the symbol is seen
// from behind. The orientation marks tell it: at the corners of the
// mode-message ring, read clockwise from the top-left corner, the module
// before each corner, the corner and the module after it are dark, dark,
// dark / light, dark, dark / dark, light, light / light, light, light.
struct TVekAztecOrientation {
    int32_t turns = 0;  // the symbol's top-left is the frame's corner (4 - turns) % 4 (unmirrored)
    bool mirrored = false;

    // The twelve mark modules of a frame, clockwise from its corner 0 (the
    // one at (-1, -1)), matched to the eight ways a symbol can lie; none when
    // no way differs in at most maxWrong modules or two ways fit equally (the
    // eight patterns differ in at least four modules, so two wrong ones
    // never lead to a wrong way without a tie).
    static std::optional<TVekAztecOrientation> match(const std::array<bool, 12>& marks, int32_t maxWrong = 2);

    // The frame positions of the twelve marks of the ring at `ring` modules.
    static std::array<std::array<int32_t, 2>, 12> markModules(int32_t ring);

    // The map from the symbol's upright module coordinates to the frame's.
    TVekPerspectiveTransform symbolToFrame() const;
};

}  // namespace orvel
