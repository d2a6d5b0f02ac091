#include "foundation/VekImageTools.h"

#include "foundation/VekHistogram.h"

namespace orvel {

TVekImage toBlackAndWhite(TVekImage& image) {
    TVekImage result(image.width, image.height);
    const int32_t threshold = TVekHistogram(image).getThreshold();
    const std::vector<uint32_t>& source = image.pixelData();
    std::vector<uint32_t>& target = result.pixelData();
    for (size_t i = 0; i < source.size(); ++i) target[i] = greyOf(source[i]) > threshold ? WHITE : BLACK;
    return result;
}

}  // namespace orvel
