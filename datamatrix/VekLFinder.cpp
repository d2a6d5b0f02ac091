#include "datamatrix/VekLFinder.h"

#include <algorithm>
#include <cmath>

#include "foundation/VekAreaWalker.h"
#include "foundation/VekROrvelConfiguration.h"
#include "foundation/VekUtil.h"
#include "oned/VekLineWalker.h"

namespace orvel {

namespace {

// The region pixel nearest to one corner of the bounding box among those
// lying on the two box edges that meet there. Every best distance starts at
// 1000 pixels, so a pixel that far away is never taken, and on ties the pixel
// met first in the walk wins.
struct TCornerSearch {
    explicit TCornerSearch(const TVekPoint& boxCorner) : boxCorner(boxCorner) {}

    TVekPoint boxCorner;
    std::optional<TVekPoint> best;
    double bestDistance = 1000;

    void offer(double x, double y, bool onEdge) {
        if (!onEdge) return;
        const double distance = std::hypot(x - boxCorner.x, y - boxCorner.y);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = TVekPoint(x, y);
        }
    }
};

// Clears the visited marks of the region's bounding box and the ring of
// pixels around it: a walk from the region's seed meets no other pixel, so
// this equals clearing the whole picture without a pass over all of it for
// every region.
void clearMarksAround(TVekImage& picture, const TVekImageObject& region) {
    std::vector<uint8_t>& marks = picture.visitedMarks();
    if (marks.size() != static_cast<size_t>(picture.width) * picture.height) {
        picture.clearVisited();
        return;
    }
    const int32_t left = std::max(0, vekTrunc(region.minX) - 1);
    const int32_t right = std::min(picture.width - 1, vekTrunc(region.maxX) + 1);
    const int32_t top = std::max(0, vekTrunc(region.minY) - 1);
    const int32_t bottom = std::min(picture.height - 1, vekTrunc(region.maxY) + 1);
    for (int32_t y = top; y <= bottom && left <= right; ++y) {
        const size_t row = static_cast<size_t>(y) * picture.width;
        std::fill(marks.begin() + row + left, marks.begin() + row + right + 1, uint8_t{0});
    }
}

bool isRightAngle(const TVekLine& first, const TVekLine& second) {
    double a1 = first.getAngle();
    double a2 = second.getAngle();
    if (a1 < 0) a1 += 360;
    if (a2 < 0) a2 += 360;
    const double d = std::fabs(a1 - a2);
    return (d > 85 && d < 95) || (d > 265 && d < 275);
}

}  // namespace

TVekLFinder::TVekLFinder() : TVekLFinder(orvelConfiguration) {}

TVekLFinder::TVekLFinder(const TVekROrvelConfiguration& settings) : debug(settings.debug) {}

std::vector<TVekLPattern> TVekLFinder::findLPatterns(const TVekImageObject& region, TVekImage& picture) {
    image = &picture;
    const double minX = region.minX, minY = region.minY, maxX = region.maxX, maxY = region.maxY;
    const TVekPoint tlBox(minX, minY), trBox(maxX, minY), brBox(maxX, maxY), blBox(minX, maxY);

    std::vector<TVekLPattern> patterns;
    patterns.emplace_back(TVekLine(blBox, brBox), TVekLine(blBox, tlBox));

    TCornerSearch bl(blBox), tr(trBox), tl(tlBox), br(brBox);
    clearMarksAround(picture, region);
    TVekAreaWalker walker(picture, false, region.getSeed().getCopy());
    TVekPixel pixel;
    while (walker.nextPixel(pixel)) {
        const double x = pixel.x, y = pixel.y;
        bl.offer(x, y, x == minX || y == maxY);
        tr.offer(x, y, x == maxX || y == minY);
        tl.offer(x, y, y == minY || x == minX);
        br.offer(x, y, y == maxY || x == maxX);
    }

    // In this order line1 of each candidate is the reverse of line2 of the one
    // before, and every candidate turns the same way as an upright symbol.
    if (isLCorner({br.best, bl.best, tl.best})) patterns.emplace_back(TVekLine(*bl.best, *br.best), TVekLine(*bl.best, *tl.best));
    if (isLCorner({bl.best, tl.best, tr.best})) patterns.emplace_back(TVekLine(*tl.best, *bl.best), TVekLine(*tl.best, *tr.best));
    if (isLCorner({tl.best, tr.best, br.best})) patterns.emplace_back(TVekLine(*tr.best, *tl.best), TVekLine(*tr.best, *br.best));
    if (isLCorner({tr.best, br.best, bl.best})) patterns.emplace_back(TVekLine(*br.best, *tr.best), TVekLine(*br.best, *bl.best));
    return patterns;
}

bool TVekLFinder::isLCorner(const std::array<std::optional<TVekPoint>, 3>& points) {
    const auto& [a, c, b] = points;
    if (!a || !c || !b) return false;
    const TVekLine toCorner(*a, *c);
    const TVekLine fromCorner(*c, *b);
    for (const TVekLine* side : {&toCorner, &fromCorner}) {
        if (!isLineFilled(*side)) {
            if (debug) debugWrite("Line not filled " + side->toString());
            return false;
        }
    }
    return isRightAngle(toCorner, fromCorner);
}

bool TVekLFinder::isLineFilled(const TVekLine& line) const {
    if (image == nullptr) return false;
    TVekLineWalker walker(line);
    int32_t samples = 0;
    int32_t dark = 0;
    while (const std::optional<TVekPoint> point = walker.nextPoint()) {
        // The first sample is not tested: it may lie on the corner pixel itself.
        if (samples > 0 && image->getPixelAt(*point) == BLACK) ++dark;
        ++samples;
    }
    if (samples == 0) return false;
    return dark * 100.0 / samples > 40;
}

}  // namespace orvel
