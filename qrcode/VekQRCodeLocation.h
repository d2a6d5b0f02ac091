#pragma once

#include <vector>

#include "qrcode/VekQRFinderPattern.h"

namespace orvel {

// One candidate symbol: the corner finder pattern and its two partners. The
// module grid runs from topLeft towards topRight (columns) and towards
// bottomLeft (rows).
class TVekQRCodeLocation {
public:
    // Keeps copies of the three patterns; the caller keeps its own.
    TVekQRCodeLocation(const TVekQRFinderPattern& topLeft, const TVekQRFinderPattern& topRight,
                       const TVekQRFinderPattern& bottomLeft, double finderDistance);

    // The mean module size of the three patterns.
    double getModuleSize() const;

    TVekQRFinderPattern topLeft;
    TVekQRFinderPattern topRight;
    TVekQRFinderPattern bottomLeft;
    double finderDistance;  // pixels from topLeft to the first partner examined
};

using TVectorQRLocations = std::vector<TVekQRCodeLocation>;

}  // namespace orvel
