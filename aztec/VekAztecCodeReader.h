#pragma once

#include <cstdint>
#include <vector>

#include "aztec/VekAzBitMap.h"
#include "aztec/VekAztecData.h"
#include "aztec/VekAztecFinderPattern.h"
#include "foundation/VekImage.h"
#include "foundation/VekLine.h"
#include "foundation/VekPoint.h"
#include "foundation/VekUtil.h"

namespace orvel {

using TVekAztecDataArray = std::vector<TVekAztecData>;

// Reads the Aztec symbols (compact and full-range) of a picture: threshold,
// bull's-eyes as pairs of concentric dark regions, orientation from the marks
// at the corners of the mode message, the mode message, then the whole symbol
// sampled on a square grid turned about the bull's-eye with the finder's
// module size (a full-range symbol that does not decode that way is sampled
// again on a grid fitted to its reference grid), the data layers and the
// decoder.
class TVekAztecCodeReader {
public:
    // One record per symbol that decoded, in the order of the bull's-eyes.
    // Never throws for an unreadable picture.
    TVekAztecDataArray read(TVekImage& picture);
    void read(TVekImage& picture, TVekAztecDataArray& results);

    // Bull's-eye candidates of a black-and-white picture (clears its visited marks).
    TVectorAztecLocations findLocations(TVekImage& picture);

    // Samples and corrects the mode message on the ring at ringDistance (5
    // compact, 7 full-range) modules around the centre; sets compact, layers
    // and dataCodewords. Raises TVekAZReedException when it cannot be corrected.
    void readModeMessage(const TVekImage& picture, int32_t ringDistance, const TVekPoint& centre, double angle,
                         double moduleSize);

    // The whole symbol as a module map, rows parallel to the orientation side;
    // sets configuration. Raises TVekAZReedException when no configuration has
    // this layer count.
    TVekAzBitMap sampleSymbol(const TVekImage& picture, int32_t ringDistance, const TVekPoint& centre,
                              int32_t layerCount, double angle, double moduleSize);

    // n modules spread evenly from the line's start to its end (the module
    // size is the spacing); the one at index skip is left out (none when skip < 0).
    static TVectorInteger sampleStrip(const TVekImage& picture, const TVekLine& line, int32_t n, int32_t skip);

    // Most records one call returns.
    static constexpr size_t MAX_RECORDS = 5001;

    int32_t minModuleSize = 2;
    int32_t maxModuleSize = 30;
    bool fillHoles = false;
    int32_t layers = 0;
    int32_t dataCodewords = 0;
    bool compact = false;
    int32_t configuration = -1;
    bool binaryInput = false;
    bool enhanceContrast = false;

private:
    void readLocations(TVekImage& picture, TVekAztecDataArray& results);
    // Tries the four sides of the bull's-eye's ring; true when one decoded.
    bool readLocation(const TVekImage& picture, const TVekAztecLocation& location, TVekAztecDataArray& results);
    // The symbol read with its top near baseAngle; raises TVekAZReedException.
    TVekAztecData readEdge(const TVekImage& picture, const TVekPoint& centre, double baseAngle, double moduleSize);
    // Samples and decodes the symbol whose mode message was read.
    TVekAztecData readSymbol(const TVekImage& picture, int32_t ringDistance, const TVekPoint& centre, double angle,
                             double moduleSize);
    double findOrientation(const TVekImage& picture, const TVekPoint& centre, double baseAngle, double moduleSize);
};

}  // namespace orvel
