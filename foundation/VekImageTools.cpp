#include "foundation/VekImageTools.h"

#include <array>

#include "foundation/VekHistogram.h"

namespace orvel {

TVekImage toBlackAndWhite(TVekImage& image) {
    TVekImage result(image.width, image.height);
    const int32_t threshold = TVekHistogram(image).getThreshold();
    // The grey level depends only on R + G + B: decide once per sum, so the
    // pass over the pixels is an add and a table read each.
    std::array<uint32_t, 766> colourOfSum{};
    const std::array<uint8_t, 766>& levels = greyLevelsBySum();
    for (size_t sum = 0; sum < colourOfSum.size(); ++sum) colourOfSum[sum] = levels[sum] > threshold ? WHITE : BLACK;
    const std::vector<uint32_t>& source = image.pixelData();
    std::vector<uint32_t>& target = result.pixelData();
    for (size_t i = 0; i < source.size(); ++i) target[i] = colourOfSum[channelSum(source[i])];
    return result;
}

std::optional<TVekImage> readerBlackAndWhite(TVekImage& picture, bool enhanceContrast, bool binaryInput,
                                             bool fillHoles) {
    if (enhanceContrast) TVekHistogram(picture).stretchContrast();
    if (binaryInput) {
        if (fillHoles) picture.fillWhiteHoles();
        return std::nullopt;
    }
    TVekImage working = toBlackAndWhite(picture);
    if (fillHoles) working.fillWhiteHoles();
    return working;
}

}  // namespace orvel
