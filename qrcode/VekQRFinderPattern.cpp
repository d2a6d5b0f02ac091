#include "qrcode/VekQRFinderPattern.h"

#include <utility>

namespace orvel {

TVekQRFinderPattern::TVekQRFinderPattern(TVekImageObject centre_, double moduleSize_, TVekImageObject ring_)
    : centre(std::move(centre_)), ring(std::move(ring_)), moduleSize(moduleSize_) {}

TVekQRFinderPattern TVekQRFinderPattern::getCopy() const {
    return TVekQRFinderPattern(centre.getCopy(), moduleSize, ring.getCopy());
}

}  // namespace orvel
