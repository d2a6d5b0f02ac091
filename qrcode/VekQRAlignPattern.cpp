#include "qrcode/VekQRAlignPattern.h"

#include <cmath>

namespace orvel {

TVekQRAlignPattern::TVekQRAlignPattern(TVekImage& picture, bool refine, double moduleSize,
                                       const TVekPoint& predicted)
    : position(predicted) {
    std::optional<TVekPoint> found;
    if (picture.getPixelAt(predicted) == BLACK || !refine) found = predicted;
    // A prediction that falls just beside the dark centre: look a little up and
    // to the left, where truncated coordinates err.
    if (!found && moduleSize >= 2) {
        for (int i = 0; i <= 2 && !found; ++i) {
            for (int j = 0; j <= 2 && !found; ++j) {
                const TVekPoint candidate(predicted.x - j, predicted.y - i);
                if (picture.getPixelAt(candidate) == BLACK) found = candidate;
            }
        }
    }
    if (!found) return;
    if (!refine) {
        position = *found;
        return;
    }
    region.emplace(picture, *found);
    // Only a region of about one module's area is the centre of an alignment pattern.
    const double ratio = region->getPixelCount() / (moduleSize * moduleSize);
    position = std::fabs(1 - ratio) > 0.5 ? *found : region->getCenter();
}

}  // namespace orvel
