#include "foundation/VekModuleVote.h"

namespace orvel {

int32_t TVekModuleVote::sample(const TVekImage& picture, const TVekPoint& point, double moduleSize) {
    const int32_t w = moduleSize > 7 ? 7 : (moduleSize > 5 ? 5 : (moduleSize > 3 ? 3 : 1));
    const double x0 = point.x - (w - 1) / 2;
    const double y0 = point.y - (w - 1) / 2;
    int32_t dark = 0;
    for (int32_t a = 0; a < w; ++a)
        for (int32_t b = 0; b < w; ++b)
            if (picture.getPixel(x0 + a, y0 + b) == BLACK) ++dark;
    return dark > 0 && 2 * dark > w * w ? 1 : 0;
}

}  // namespace orvel
