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
    // Only this many of the most often confirmed candidates are combined
    // with every other.
    static constexpr size_t maxFinders = 40;

    // The `maxTriplets` most square triplets of the most confirmed candidates.
    static std::vector<TVekQRFinderTriplet> pick(const std::vector<TVekQRFinderCandidate>& candidates,
                                                 size_t maxTriplets);
    // Each candidate's best few triplets as the right-angle corner with its
    // nearest partners of a similar size, most square first: a sheet of many
    // symbols, whose finders are more than pick combines, gives each symbol
    // its own triplet, at a cost linear in the candidates.
    static std::vector<TVekQRFinderTriplet> pickNeighbours(const std::vector<TVekQRFinderCandidate>& candidates);
    // True when candidate `i` makes a triplet with two others of the list
    // (any of the three corners): a QR Code's finder, not a lone one.
    static bool inSomeTriplet(const std::vector<TVekQRFinderCandidate>& candidates, size_t i);
};

}  // namespace orvel
