#include "aztec/VekAztecFinderPattern.h"

namespace orvel {

TVekAztecFinderPattern::TVekAztecFinderPattern(const TVekImageObject& centre, double moduleSize,
                                               const TVekImageObject& ring)
    : centre(centre.getCopy()), ring(ring.getCopy()), moduleSize(moduleSize) {}

TVekAztecFinderPattern TVekAztecFinderPattern::getCopy() const {
    return TVekAztecFinderPattern(centre, moduleSize, ring);
}

}  // namespace orvel
