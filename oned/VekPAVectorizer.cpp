#include "oned/VekPAVectorizer.h"

#include <algorithm>
#include <vector>

#include "foundation/VekROrvelConfiguration.h"

namespace orvel {

TVekPAVectorizer::TVekPAVectorizer() : TVekPAVectorizer(orvelConfiguration) {}

TVekPAVectorizer::TVekPAVectorizer(const TVekROrvelConfiguration& settings)
    : minObjectSize(settings.minObjectSize), maxObjectSize(settings.maxObjectSize) {}

TVekVectorizedImage TVekPAVectorizer::vectorize(TVekImage& image, bool computeAxes) {
    TVekVectorizedImage result;
    std::vector<std::unique_ptr<TVekImageObject>> kept;
    image.clearVisited();
    scanX = 0;
    scanY = 0;
    while (auto region = nextObject(image)) {
        const int32_t count = region->pixelCount;
        // A rejected region keeps its pixels marked, so none of them seeds
        // another region.
        if (minObjectSize < count && count < maxObjectSize) kept.push_back(std::move(region));
    }
    image.clearVisited();
    for (auto& region : kept) {
        if (computeAxes) {
            region->fitAxes();
        } else {
            region->axisLine = TVekLine(0, 0, 10, 10);
        }
        // A region that offers no direction (a single pixel, possible only
        // with a minimum size below 1) has no axis line and is left out.
        result.addObject(std::move(region));
    }
    return result;
}

std::unique_ptr<TVekImageObject> TVekPAVectorizer::nextObject(TVekImage& image) {
    // Every pixel before the cursor is already marked, so resuming at the
    // cursor finds the same seeds as rescanning the row from its start.
    if (scanX < 0) scanX = 0;
    if (scanY < 0) scanY = 0;
    if (scanY >= image.height || image.width <= 0) return nullptr;
    const size_t width = static_cast<size_t>(image.width);
    const size_t start = static_cast<size_t>(scanY) * width + static_cast<size_t>(std::min(scanX, image.width));
    const size_t seed = image.markToNextUnvisitedBlack(start);
    if (seed >= width * static_cast<size_t>(image.height)) {
        scanX = 0;
        scanY = image.height;
        return nullptr;
    }
    scanX = static_cast<int32_t>(seed % width);
    scanY = static_cast<int32_t>(seed / width);
    return std::make_unique<TVekImageObject>(image, TVekPoint(scanX, scanY));
}

}  // namespace orvel
