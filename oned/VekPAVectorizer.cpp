#include "oned/VekPAVectorizer.h"

#include <vector>

#include "foundation/VekROrvelConfiguration.h"

namespace orvel {

TVekPAVectorizer::TVekPAVectorizer()
    : minObjectSize(orvelConfiguration.minObjectSize), maxObjectSize(orvelConfiguration.maxObjectSize) {}

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
    if (image.visitedMarks().empty()) image.clearVisited();
    std::vector<uint8_t>& marks = image.visitedMarks();
    const std::vector<uint32_t>& pixels = image.pixelData();
    // Every pixel before the cursor is already marked, so resuming at the
    // cursor finds the same seeds as rescanning the row from its start.
    if (scanX < 0) scanX = 0;
    if (scanY < 0) scanY = 0;
    for (; scanY < image.height; ++scanY, scanX = 0) {
        size_t index = static_cast<size_t>(scanY) * image.width + scanX;
        for (; scanX < image.width; ++scanX, ++index) {
            if (marks[index] != 0) continue;
            marks[index] = 1;
            if (pixels[index] == BLACK) return std::make_unique<TVekImageObject>(image, TVekPoint(scanX, scanY));
        }
    }
    return nullptr;
}

}  // namespace orvel
