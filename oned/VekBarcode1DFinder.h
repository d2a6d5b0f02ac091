#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/VekImage.h"
#include "foundation/VekROrvelConfiguration.h"
#include "foundation/VekVectorizedImage.h"
#include "oned/VekBarGrid.h"
#include "oned/VekBarcode1DObject.h"

namespace orvel {

// Groups the dark regions of a vectorized picture into linear-symbol
// candidates: long, thin, parallel regions side by side, cut where the gap
// between neighbours grows too wide. The settings it uses are copied when the
// finder is made; minBars and removeCloseBars may be overwritten afterwards.
class TVekBarcode1DFinder {
public:
    TVekBarcode1DFinder();
    // With the given settings instead of the process-wide ones.
    explicit TVekBarcode1DFinder(const TVekROrvelConfiguration& settings);

    // Consumes the region list of `vectorized`: every region ends in a
    // candidate or is freed. With anyDistance every parallel, aligned region
    // counts as near the group, not only those within one bar length.
    std::vector<TVekBarcode1DObject> findCandidates(TVekVectorizedImage& vectorized, const TVekImage& image,
                                                    bool anyDistance);

    // Removes one group of parallel, aligned bars from the front of the list.
    TVekBarList collectAlignedBars(TVekBarList& regions, bool anyDistance);
    // The same group, seeded by the region at `front` (every region before
    // it is gone), found through the grid of the regions' centres; the
    // group's regions are left empty in the list.
    TVekBarList collectAlignedBars(TVekBarList& regions, size_t front, const TVekBarGrid& grid, bool anyDistance);
    // Orders the bars across the symbol and drops one of each too-close pair.
    TVekBarList sortBars(TVekBarList group);
    static void computeGaps(TVekBarList& sorted);
    static int32_t findSmallestGap(const TVekBarList& sorted);
    std::vector<TVekBarList> splitByGaps(TVekBarList& sorted);

    // True when the directions differ by less than tolerance, also with either
    // one turned by 180 degrees.
    static bool isSameAngle(double a1, double a2, double tolerance);

    double minBarDistanceFactor = 0.5;
    bool debug;
    int32_t minBars = 6;
    int32_t minBarLength;
    int32_t maxBarLength;
    int32_t groupGapFactor = 6;
    bool removeCloseBars;
    int32_t maxAngleDifference;
    const TVekImage* image = nullptr;  // the picture of the current call

private:
    void diagnostic(const std::string& text) const;
    bool canSeed(const TVekImageObject& region) const;
    // The tests a candidate passes against the seed alone: direction and length.
    bool fitsSeed(const TVekImageObject& candidate, const TVekImageObject& seed) const;
    bool isNearGroup(const TVekImageObject& candidate, const TVekBarList& group) const;
    // The regions still in the list that fit the seed and lie in the band
    // where they are aligned with `bar`, in list order.
    void collectAlignable(const TVekBarList& regions, const TVekBarGrid& grid, const TVekImageObject& bar,
                          const TVekImageObject& seed, std::vector<size_t>& positions) const;
};

}  // namespace orvel
