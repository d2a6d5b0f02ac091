#pragma once

#include <array>
#include <optional>
#include <vector>

#include "foundation/VekImage.h"
#include "foundation/VekImageObject.h"
#include "foundation/VekLine.h"
#include "foundation/VekPoint.h"
#include "foundation/VekROrvelConfiguration.h"

namespace orvel {

// A candidate L of a Data Matrix symbol: two sides starting at the same
// corner. line1 runs along the side taken as the bottom edge of the symbol
// (the reader's "long line"), line2 along the side taken as its left edge
// (the "short line"); turning from line1 to line2 is the turn from the bottom
// to the left edge of an upright symbol, so a pattern fixes the symbol's
// position and which of its four rotations it has.
class TVekLPattern {
public:
    TVekLPattern(TVekLine line1, TVekLine line2) : line1(std::move(line1)), line2(std::move(line2)) {}

    TVekLine line1;
    TVekLine line2;
};

// Proposes candidate L shapes for one dark region (the solid L of a symbol
// together with the dark data modules touching it). It decides nothing about
// the clock track or the modules: the reader tries every candidate in turn
// and rejects the wrong ones by sampling.
class TVekLFinder {
public:
    TVekLFinder();
    // With the given settings instead of the process-wide ones.
    explicit TVekLFinder(const TVekROrvelConfiguration& settings);

    // The box candidate first (an upright symbol with its L at the lower
    // left), then one candidate for each corner of the region that passes
    // isLCorner. Only the picture's visited marks change.
    std::vector<TVekLPattern> findLPatterns(const TVekImageObject& region, TVekImage& picture);

    // True when A->C and C->B are both filled and meet at right angles within
    // 5 degrees (bounds exclusive). False when a point is missing.
    bool isLCorner(const std::array<std::optional<TVekPoint>, 3>& points);

    // True when more than 40 percent of the walker's samples along the line
    // are black (the first sample is never counted as dark).
    bool isLineFilled(const TVekLine& line) const;

    bool debug;

private:
    const TVekImage* image = nullptr;
};

}  // namespace orvel
