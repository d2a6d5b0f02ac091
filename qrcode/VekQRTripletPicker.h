#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "qrcode/VekQRFinderScanner.h"

namespace orvel {

// Three finder candidates that may be the corners of one symbol, ordered
// top-left (the right angle), top-right, bottom-left as the symbol reads.
struct TVekQRFinderTriplet {
    std::array<TVekQRFinderCandidate, 3> finders;  // top-left, top-right, bottom-left
    std::array<size_t, 3> indices{};               // into the candidate list, same order
    double score = 0;                              // lower is more square
};

// Chooses triplets by geometry: a near right angle at one finder, legs of
// similar length and between a version 1 and a version 40 symbol long in
// modules, and finders of similar module size.
class TVekQRTripletPicker {
public:
    // The plausible triplets, most square first: each candidate's best few as
    // the right-angle corner.
    static std::vector<TVekQRFinderTriplet> pick(const std::vector<TVekQRFinderCandidate>& candidates);
};

}  // namespace orvel
