#pragma once

#include <cstdint>
#include <vector>

#include "foundation/VekImage.h"
#include "foundation/VekLine.h"
#include "foundation/VekUtil.h"
#include "qrcode/VekQRAlignPattern.h"
#include "qrcode/VekQRCodeData.h"
#include "qrcode/VekQRCodeLocation.h"

namespace orvel {

using TVekQRAlignPatternMatrix = std::vector<std::vector<TVekQRAlignPattern>>;

// Reads the QR symbols of a picture: threshold, finder patterns confirmed by
// their ring and centre regions, candidate locations, sampling through a grid
// of alignment nodes (a parallel-line sampler for version 1), then the decoder.
class TVekQRCodeReader {
public:
    // One record per location that reached error correction, in the order the
    // locations were formed (squarest first); a record's success flag tells
    // whether it decoded. A finder pattern counts for one symbol: locations
    // sharing a pattern with a decoded one are not read, and a failed record
    // is kept only when none of its patterns is in another record. Never
    // throws for an unreadable picture.
    TVekQRCodeDataArray read(TVekImage& picture);
    void read(TVekImage& picture, TVekQRCodeDataArray& results);

    // Finder search and grouping on a black-and-white picture (clears its visited marks).
    TVectorQRLocations findLocations(TVekImage& picture);

    // The square 0/1 matrix [column][row] of a location; empty when the version
    // estimate lies outside 1 ... 40.
    TIntegerMatrix sampleGrid(TVekImage& picture, const TVekQRCodeLocation& location);
    TIntegerMatrix sampleVersion1(const TVekImage& picture, const TVekQRCodeLocation& location) const;
    void buildAlignmentGrid(int32_t version);
    void sampleCell(const TVekImage& picture, const TVekQRAlignPattern& topLeft, const TVekQRAlignPattern& topRight,
                    const TVekQRAlignPattern& bottomLeft, const TVekQRAlignPattern& bottomRight, bool firstRow,
                    bool lastRow, bool firstColumn, bool lastColumn, TIntegerMatrix& matrix) const;

    // n points from the line's start to its end in equal steps.
    static std::vector<TVekPoint> divideLine(const TVekLine& line, int32_t n);
    // Majority vote of a window of 1, 3, 5 or 7 pixels around the point: 1 when dark.
    static int32_t sampleModule(const TVekImage& picture, const TVekPoint& point, double moduleSize);
    // The version the finder distance of a location suggests (may lie outside 1 ... 40).
    static int32_t estimateVersion(const TVekQRCodeLocation& location);

    int32_t minModuleSize = 2;
    int32_t maxModuleSize = 30;
    bool fillHoles = false;
    TIntegerMatrix gridColumns;
    TIntegerMatrix gridRows;
    TVekQRAlignPatternMatrix gridNodes;
    bool binaryInput = false;
    bool enhanceContrast = false;

private:
    std::vector<TVekQRFinderPattern> findFinderPatterns(TVekImage& picture) const;
    TVectorQRLocations groupLocations(const std::vector<TVekQRFinderPattern>& patterns) const;
    void readLocations(TVekImage& picture, TVekQRCodeDataArray& results);
};

}  // namespace orvel
