#include "oned/VekBarsReader.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "foundation/VekAreaWalker.h"
#include "oned/VekLineWalker.h"

namespace orvel {

void TVekBarsReader::readBars(int32_t mode, const TVekImage& image, const TVekBarcode1DObject& candidate,
                              TVectorDouble& widths) const {
    if (mode == BARS_FROM_REGIONS) {
        widths = barsFromRegions(image, candidate);
    } else if (mode == BARS_BY_DENSITY) {
        widths.clear();
    } else {
        widths = barsAlongLine(image, candidate);
    }
}

TVectorDouble TVekBarsReader::barsFromRegions(const TVekImage& image, const TVekBarcode1DObject& candidate) const {
    const auto& bars = candidate.bars;
    TVectorDouble widths;
    if (bars.empty()) return widths;
    widths.assign(2 * bars.size() - 1, 0.0);
    for (size_t i = 0; i < bars.size(); ++i) {
        const TVekImageObject& bar = *bars[i];
        // Mean thickness of the bar: its area over its length.
        widths[2 * i] = bar.axisLength != 0 ? std::fabs(bar.pixelCount / bar.axisLength) : 0;
    }
    for (size_t i = 0; i + 1 < bars.size(); ++i) widths[2 * i + 1] = spaceBetween(image, *bars[i], *bars[i + 1]);
    return widths;
}

// The white pixels of the quadrilateral between the shorter bar's axis and its
// projection onto the other bar's axis, over the shorter axis' length.
double TVekBarsReader::spaceBetween(const TVekImage& image, const TVekImageObject& left,
                                    const TVekImageObject& right) const {
    if (!left.axisLine || !right.axisLine) return 0;
    const bool rightShorter = right.axisLine->getLength() < left.axisLine->getLength();
    const TVekLine& shorter = rightShorter ? *right.axisLine : *left.axisLine;
    const TVekLine& longer = rightShorter ? *left.axisLine : *right.axisLine;
    if (shorter.getLength() == 0) return 0;

    const TVekPoint a = shorter.getStart();
    const TVekPoint b = shorter.getEnd();
    const TVekPoint d = shorter.getPerpendicularAt(a, 500).intersect(longer);
    const TVekPoint c = shorter.getPerpendicularAt(b, 500).intersect(longer);
    TVekPolygon polygon;
    for (const TVekPoint& corner : {a, b, c, d}) polygon.addPoint(vekRoundInt(corner.x), vekRoundInt(corner.y));

    const TVekPoint middle = TVekLine(a, c).getCenter();
    const int32_t mx = vekRoundInt(middle.x);
    const int32_t my = vekRoundInt(middle.y);
    const int32_t count =
        polygon.containsPoint(mx, my) ? countPixelsInPolygon(image, polygon, WHITE, TVekPoint(mx, my)) : 0;
    return std::fabs(count / shorter.getLength());
}

int32_t TVekBarsReader::countPixelsInPolygon(const TVekImage& image, const TVekPolygon& polygon, uint32_t colour,
                                             const TVekPoint& seed) const {
    const int32_t width = image.width;
    const int32_t height = image.height;
    const int32_t seedX = vekRoundInt(seed.x);
    const int32_t seedY = vekRoundInt(seed.y);
    int32_t count = image.getPixelInt(seedX, seedY) == colour ? 1 : 0;

    // Every pixel the walk can enter lies inside the polygon's bounds and
    // inside columns 1 ... width - 1 and rows 1 ... height - 1 (widened to the
    // seed when it lies outside the picture), so the visited marks cover only
    // that box instead of the whole picture.
    const TVekRect bounds = polygon.calculateRect();
    const int32_t left = std::max(bounds.left, std::min(1, seedX));
    const int32_t top = std::max(bounds.top, std::min(1, seedY));
    const int32_t right = std::min(bounds.right, std::max(width - 1, seedX));
    const int32_t bottom = std::min(bounds.bottom, std::max(height - 1, seedY));
    if (left > right || top > bottom) return count;
    const size_t boxWidth = static_cast<size_t>(int64_t{right} - left + 1);
    std::vector<uint8_t> visited(boxWidth * static_cast<size_t>(int64_t{bottom} - top + 1), 0);
    auto inBox = [&](int32_t x, int32_t y) { return x >= left && x <= right && y >= top && y <= bottom; };
    auto markAt = [&](int32_t x, int32_t y) -> uint8_t& {
        return visited[static_cast<size_t>(int64_t{y} - top) * boxWidth + static_cast<size_t>(int64_t{x} - left)];
    };
    if (inBox(seedX, seedY)) markAt(seedX, seedY) = 1;

    TVekPixelQueue queue;
    auto consider = [&](int32_t x, int32_t y) {
        // Outside the box a pixel is outside the polygon or out of reach.
        if (!inBox(x, y)) return;
        uint8_t& mark = markAt(x, y);
        if (mark != 0) return;
        mark = 1;
        if (!polygon.containsPoint(x, y)) return;
        if (image.getPixelInt(x, y) == colour) ++count;
        queue.push(x, y, 0);
    };
    int32_t x = seedX;
    int32_t y = seedY;
    for (;;) {
        if (x > 1) consider(x - 1, y);
        if (x < width - 1) consider(x + 1, y);
        if (y > 1) consider(x, y - 1);
        if (y < height - 1) consider(x, y + 1);
        if (queue.empty()) break;
        const TVekQueuedPixel next = queue.pop();
        x = next.x;
        y = next.y;
    }
    return count;
}

TVectorDouble TVekBarsReader::barsAlongLine(const TVekImage& image, const TVekBarcode1DObject& candidate) const {
    const TVekPoint a((candidate.corner1.x + candidate.corner2.x) / 2, (candidate.corner1.y + candidate.corner2.y) / 2);
    const TVekPoint b((candidate.corner3.x + candidate.corner4.x) / 2, (candidate.corner3.y + candidate.corner4.y) / 2);
    TVekLineWalker walker(vekRoundInt(a.x), vekRoundInt(a.y), vekRoundInt(b.x), vekRoundInt(b.y), 1.0);

    std::vector<std::pair<uint32_t, int32_t>> runs;  // (colour, length)
    uint32_t current = 0;
    int32_t length = 0;
    int32_t lastX = 0, lastY = 0;
    bool first = true;
    while (auto point = walker.nextPoint()) {
        const int32_t px = vekRoundInt(point->x);
        const int32_t py = vekRoundInt(point->y);
        const uint32_t value = image.getPixelInt(px, py);
        if (first) {
            current = value;
            length = 1;
            first = false;
        } else if (px == lastX && py == lastY) {
            continue;
        } else if (value == current) {
            ++length;
        } else {
            runs.emplace_back(current, length);
            current = value;
            length = 1;
        }
        lastX = px;
        lastY = py;
    }
    if (!first) runs.emplace_back(current, length);
    if (!runs.empty() && runs.back().first == WHITE) runs.pop_back();
    if (!runs.empty() && runs.front().first == WHITE) runs.erase(runs.begin());
    TVectorDouble widths;
    if (runs.empty()) return widths;  // the line crosses no dark pixel

    int32_t unit = runs.front().second;
    for (const auto& run : runs) unit = std::min(unit, run.second);
    widths.reserve(runs.size());
    for (const auto& run : runs) {
        const double w = static_cast<double>(run.second) / unit;
        const double r = vekRound(w);
        if (std::fabs(w - r) > 0.4) debugWrite("**** Cant be sure about bar width (" + floatToStr(w) + ") ****");
        widths.push_back(r);
    }
    return widths;
}

}  // namespace orvel
