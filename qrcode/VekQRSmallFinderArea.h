#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/VekPolygon.h"
#include "qrcode/VekQRFinderScanner.h"

namespace orvel {

// Where finder patterns of modules too small to read well may belong to one
// symbol whose third finder the binarizer lost: around each pair of small
// finders of similar size, a symbol's distance apart, as far again as they
// are apart (the third finder lies that far from one of them). The picture
// is read there at twice its size, not everywhere: a picture without a
// symbol seldom holds such a pair, and the area around one is small.
class TVekQRSmallFinderArea {
public:
    // Module sizes below this (pixels) are small.
    static constexpr double smallModule = 3.0;

    // The bounds (inclusive, inside a picture of that size) of every pair's
    // area, or none without a pair.
    static std::optional<TVekRect> of(const std::vector<TVekQRFinderCandidate>& candidates, int32_t width,
                                      int32_t height);
};

}  // namespace orvel
