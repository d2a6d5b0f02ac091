#pragma once

#include "foundation/VekImageObject.h"

namespace orvel {

// A confirmed finder pattern: the dark 3 x 3 centre square and the dark 7 x 7
// ring around it, each grown as one connected region.
class TVekQRFinderPattern {
public:
    TVekQRFinderPattern(TVekImageObject centre, double moduleSize, TVekImageObject ring);

    // A pattern with independent copies of both regions.
    TVekQRFinderPattern getCopy() const;

    const TVekImageObject& getCentre() const { return centre; }
    const TVekImageObject& getRing() const { return ring; }
    // The pattern's position: the centre of the centre region.
    const TVekPoint& getPosition() const { return centre.getCenter(); }
    double getModuleSize() const { return moduleSize; }

private:
    TVekImageObject centre;
    TVekImageObject ring;
    double moduleSize;  // sqrt((ring + centre pixels) / 33): a perfect pattern has 24 + 9 module areas
};

}  // namespace orvel
