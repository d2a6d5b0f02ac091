#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "oned/VekBarRow.h"

namespace orvel {

// The closest symbol character to a run of elements, by its edge-to-similar-
// edge distances (a bar and the next space, a space and the next bar) in
// modules of this character's own width: blur and ink spread move both edges
// of a bar alike, so these sums keep their nominal value where single widths
// do not. Single widths only part characters whose sums are equal.
struct TVekCharacterMatch {
    int value = -1;
    double deviation = 1e9;  // the largest error of a similar-edge distance, in modules
    double score = 1e9;
    double runnerUp = 1e9;   // the score of the next best character
    int second = -1;         // that character, and the largest error of its distances
    double secondDeviation = 1e9;
};

// `patterns` hold the module widths of each character as digits ("3211").
TVekCharacterMatch matchCharacter(const TVekBarRow& row, size_t first, std::span<const std::string_view> patterns,
                                  double modules);

// The elements of a width-modulated character (narrow and wide only), as a
// bit set of the wide ones (bit i for widths[i]), when exactly `wideCount`
// of them stand clearly apart from the rest; -1 otherwise. `narrow` gets the
// mean narrow width.
int wideElements(std::span<const double> widths, int wideCount, double& narrow);

}  // namespace orvel
