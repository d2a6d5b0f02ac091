#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "datamatrix/VekDatamatrixData.h"
#include "foundation/VekHashTable.h"
#include "foundation/VekImage.h"
#include "foundation/VekROrvelConfiguration.h"
#include "foundation/VekLine.h"
#include "foundation/VekUtil.h"

namespace orvel {

// Finds and reads square ECC 200 Data Matrix symbols. For every dark region
// the L-pattern finder proposes candidate L shapes; for each candidate the
// reader finds the clock track on the two open sides from the colour changes
// along scan lines, counts its modules, samples the data regions one after
// the other (breadth first from the corner region), looks the symbol size up
// and hands the regions to the decoders. Rectangular symbols are not read: a
// region whose two clock lines count different modules is rejected.
class TVekDatamatrixReader {
public:
    // The scan lines of one side of a region, one per step along the side:
    // the colour changes on each, scaled to the side's length, the raw counts,
    // and the lines themselves (kept so that the chosen ones need no second
    // walk). Steps the walk did not reach count 0 and have no line.
    struct TProfile {
        TVectorInteger scaled;
        TVectorInteger raw;
        std::vector<std::optional<TVekLine>> lines;
    };

    // The last step of a rising or level stretch and the first step after it
    // where the count has fallen to at most 15 percent.
    struct TPeak {
        int32_t peak = 0;
        int32_t drop = 0;
    };

    TVekDatamatrixReader();
    // With the given settings instead of the process-wide ones: the reader and
    // the parts it makes never read orvelConfiguration, so readers with
    // settings of their own may run on several threads.
    explicit TVekDatamatrixReader(const TVekROrvelConfiguration& settings);
    TVekDatamatrixReader(const TVekDatamatrixReader&) = delete;
    TVekDatamatrixReader& operator=(const TVekDatamatrixReader&) = delete;

    // Replaces result with the symbols found, in the order found. The picture
    // changes only when adjustContrast is set (stretched in place).
    void read(TVekImage& picture, TVekDatamatrixDataArray& result);
    TVekDatamatrixDataArray read(TVekImage& picture);

    bool debug;
    int32_t minSideLength = 18;
    int32_t minRegionPixels = 100;
    int32_t maxRegionPixels = 90000;
    bool imageIsBlackAndWhite = false;
    bool adjustContrast = false;

    // What the last symbol read measured (for callers that report it).
    int32_t getRegionSize() const { return regionSize; }
    int32_t getRegionsAcross() const { return regionsAcross; }
    int32_t getRegionsUp() const { return regionsUp; }
    int32_t getSymbolSizeIndex() const { return symbolSizeIndex; }

    // The clock-track measurement (VekDatamatrixClockTrack.cpp); they read the
    // picture of the read in progress.
    bool isDark(const TVekPoint& point) const;
    // False for a line with coordinates that are not finite or far longer
    // than the picture: such lines come only from degenerate geometry and are
    // not walked.
    bool isWalkable(const TVekLine& line) const;
    // Profiles of both sides, both scaled by the length of side1; returns the
    // number of steps made.
    int32_t buildProfiles(const TVekLine& side1, const TVekLine& side2, const TVekLine& diagonal,
                          TProfile& profile1, TProfile& profile2) const;
    static bool findClockPeak(const TVectorInteger& scaled, const TVectorInteger& raw, TPeak& peak, int32_t last,
                              int32_t first);
    static bool isSmoothAt(const TVectorInteger& scaled, int32_t index, int32_t last);
    static TVekLine clockMidLine(const TVekLine& side, const TVekLine& peakLine, bool firstTry,
                                 const TProfile& profile, int32_t dropIndex, int32_t peakIndex,
                                 const TVekLine& limit);
    static TVekLine boundedLine(const TVekLine& side, const TVekLine& a, const TVekLine& b);
    int32_t countModules(const TVekLine& line) const;
    int32_t countRegionModules(const TVekLine& a, const TVekLine& b) const;
    static double meanDistance(const TVectorDouble& list);
    static int32_t estimateModuleCount(const TVectorDouble& list, const TVekLine& line);
    static TVectorDouble filterDistances(const TVectorDouble& list, int32_t depth);

    static bool isRegionSize(int32_t columns, int32_t rows);

private:
    // The settings given to the constructor; none: the process-wide ones,
    // copied when each part is made.
    std::optional<TVekROrvelConfiguration> settings_;
    void readCandidate(const TVekLine& line1, const TVekLine& line2, TVekDatamatrixDataArray& found);
    std::optional<TVectorInteger> decodeCodewords(const std::vector<TIntegerMatrix>& regions) const;

    void readRegion(const TVekLine& side1, const TVekLine& side2, std::vector<TIntegerMatrix>& regions,
                    int32_t p, int32_t q);
    TIntegerMatrix sampleRegion(const TVekLine& side1, const TVekLine& side2, const TVekLine& c1,
                                const TVekLine& c2, int32_t modules) const;
    void queueNeighbours(const TVekLine& side1, const TVekLine& side2, const TVekLine& beyondClock1,
                         const TVekLine& beyondClock2, int32_t p, int32_t q);
    void queueRegion(const TVekLine& side1, const TVekLine& side2, int32_t p, int32_t q);
    void readQueuedRegions();
    void assembleRegions(std::vector<TIntegerMatrix>& regions);
    void resetRegions();

    void showLine(const TVekLine& line, const std::string& caption) const;
    void showLines(const TVectorLines& lines, const std::string& caption) const;
    void showLinesAndPoints(const TVectorLines& lines, const std::vector<TVekPoint>& points,
                            const std::string& caption) const;

    static std::string regionKey(int32_t p, int32_t q);

    TVekHashTable regionIndexTable;
    TVekHashTable regionMatrixTable;
    std::deque<std::string> regionQueue;
    TVekHashTable regionLine1Table;
    TVekHashTable regionLine2Table;
    TVekImage* image = nullptr;
    int32_t regionSize = 0;
    int32_t stepsPerModule = 0;
    int32_t regionsAcross = 0;
    int32_t regionsUp = 0;
    int32_t symbolSizeIndex = -1;
};

}  // namespace orvel
