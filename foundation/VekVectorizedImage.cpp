#include "foundation/VekVectorizedImage.h"

namespace orvel {

bool TVekVectorizedImage::addObject(std::unique_ptr<TVekImageObject> region) {
    if (!region || !region->axisLine) return false;
    lines.push_back(region->axisLine->getCopy());
    objects.push_back(std::move(region));
    return true;
}

}  // namespace orvel
