#include "qrcode/VekQRCodeLocation.h"

namespace orvel {

TVekQRCodeLocation::TVekQRCodeLocation(const TVekQRFinderPattern& topLeft_, const TVekQRFinderPattern& topRight_,
                                       const TVekQRFinderPattern& bottomLeft_, double finderDistance_)
    : topLeft(topLeft_.getCopy()),
      topRight(topRight_.getCopy()),
      bottomLeft(bottomLeft_.getCopy()),
      finderDistance(finderDistance_) {}

double TVekQRCodeLocation::getModuleSize() const {
    return (topLeft.getModuleSize() + topRight.getModuleSize() + bottomLeft.getModuleSize()) / 3;
}

}  // namespace orvel
