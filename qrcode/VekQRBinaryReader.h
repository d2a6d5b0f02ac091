#pragma once

#include <cstddef>
#include <optional>

#include "foundation/VekBarcode.h"
#include "foundation/VekBitMatrix.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekPolygon.h"

namespace orvel {

// What one binarized picture gave: the symbols (decoded, and found but not
// decoded) and the smallest module size among the finder candidates.
struct TVekQRBinaryFinds {
    TVekBarcodes symbols;
    double smallestModule = 0;  // 0 when no finder was seen
    size_t finders = 0;
    size_t triplets = 0;      // triplets of finders that the geometry allowed
    bool timingSeen = false;  // some triplet's grid showed alternating timing patterns
    // Around pairs of finders too small to read well (TVekQRSmallFinderArea).
    std::optional<TVekRect> smallFinderArea;
    bool crowded = false;  // finder-like patterns everywhere: noise, texture or a packed sheet
};

// Reads the QR symbols of one binarized picture: finder candidates, triplets
// by geometry, their grids, sampling and decoding. A finder that belongs to a
// decoded symbol is not tried with other partners.
class TVekQRBinaryReader {
public:
    // `maxTriplets` grids are tried, and a few more for each decoded symbol.
    static TVekQRBinaryFinds read(const TVekBitMatrix& bits, size_t maxTriplets, TVekDebugSink* debug);
};

}  // namespace orvel
