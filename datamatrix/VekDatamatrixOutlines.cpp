#include "datamatrix/VekDatamatrixOutlines.h"

#include <algorithm>
#include <array>

namespace orvel {

namespace {

// Regions kept for tracing before the largest are chosen: noise in a big
// picture makes many small regions, which are dropped by size first.
constexpr size_t MAX_REGIONS = 4096;

// The eight neighbours clockwise (y grows downwards) from east.
constexpr std::array<int32_t, 8> DX = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr std::array<int32_t, 8> DY = {0, 1, 1, 1, 0, -1, -1, -1};

int32_t directionOf(int32_t dx, int32_t dy) {
    for (int32_t k = 0; k < 8; ++k) {
        if (DX[k] == dx && DY[k] == dy) return k;
    }
    return 4;
}

struct TSpan {
    int32_t x, y;
};

}  // namespace

std::vector<TVekDatamatrixOutlines::TOutline> TVekDatamatrixOutlines::find(const TVekBitMatrix& picture,
                                                                            int32_t minSide, size_t maxCount) {
    std::vector<TRegion> found = regions(picture, minSide);
    std::sort(found.begin(), found.end(), [](const TRegion& a, const TRegion& b) {
        return std::max(a.width, a.height) > std::max(b.width, b.height);
    });
    if (found.size() > maxCount) found.resize(maxCount);
    std::vector<TOutline> outlines;
    outlines.reserve(found.size());
    for (const TRegion& region : found) outlines.push_back(trace(picture, region));
    return outlines;
}

// A scan-line fill of every dark region, remembering the size of each.
std::vector<TVekDatamatrixOutlines::TRegion> TVekDatamatrixOutlines::regions(const TVekBitMatrix& picture,
                                                                             int32_t minSide) {
    const int32_t w = picture.width();
    const int32_t h = picture.height();
    std::vector<uint8_t> seen(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    std::vector<TRegion> found;
    std::vector<TSpan> stack;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* bits = picture.row(y);
        uint8_t* seenRow = seen.data() + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) {
            if (bits[x] == 0 || seenRow[x] != 0) continue;
            int32_t left = x, right = x, top = y, bottom = y;
            size_t pixels = 0;
            stack.clear();
            stack.push_back({x, y});
            while (!stack.empty()) {
                const TSpan s = stack.back();
                stack.pop_back();
                const uint8_t* row = picture.row(s.y);
                uint8_t* mark = seen.data() + static_cast<size_t>(s.y) * w;
                if (mark[s.x] != 0) continue;
                int32_t x0 = s.x, x1 = s.x;
                while (x0 > 0 && row[x0 - 1] != 0 && mark[x0 - 1] == 0) --x0;
                while (x1 + 1 < w && row[x1 + 1] != 0 && mark[x1 + 1] == 0) ++x1;
                std::fill(mark + x0, mark + x1 + 1, uint8_t{1});
                pixels += static_cast<size_t>(x1 - x0 + 1);
                left = std::min(left, x0);
                right = std::max(right, x1);
                top = std::min(top, s.y);
                bottom = std::max(bottom, s.y);
                for (int32_t ny : {s.y - 1, s.y + 1}) {
                    if (ny < 0 || ny >= h) continue;
                    const uint8_t* nrow = picture.row(ny);
                    const uint8_t* nmark = seen.data() + static_cast<size_t>(ny) * w;
                    const int32_t from = std::max(0, x0 - 1);
                    const int32_t to = std::min(w - 1, x1 + 1);
                    for (int32_t nx = from; nx <= to; ++nx) {
                        if (nrow[nx] == 0 || nmark[nx] != 0) continue;
                        stack.push_back({nx, ny});
                        while (nx + 1 <= to && nrow[nx + 1] != 0 && nmark[nx + 1] == 0) ++nx;
                    }
                }
            }
            const int32_t width = right - left + 1;
            const int32_t height = bottom - top + 1;
            if (std::max(width, height) >= minSide && found.size() < MAX_REGIONS)
                found.push_back({x, y, width, height, pixels});
        }
    }
    return found;
}

// Moore-neighbour tracing from the region's first pixel, whose west
// neighbour is light: each step searches clockwise from the last light
// neighbour for the next dark one.
TVekDatamatrixOutlines::TOutline TVekDatamatrixOutlines::trace(const TVekBitMatrix& picture, const TRegion& region) {
    TOutline outline;
    int32_t x = region.seedX, y = region.seedY;
    int32_t back = 4;  // direction of the light neighbour we came from
    int32_t firstStep = -1;
    // A boundary pixel is passed at most four times (a one-pixel line is
    // walked along both of its sides).
    const size_t limit = 4 * region.pixels + 64;
    outline.push_back({x + 0.5, y + 0.5});
    while (outline.size() < limit) {
        int32_t next = -1;
        for (int32_t i = 1; i <= 8; ++i) {
            const int32_t k = (back + i) & 7;
            if (picture.getOrLight(x + DX[k], y + DY[k])) {
                next = k;
                break;
            }
        }
        if (next < 0) break;  // a single pixel
        if (x == region.seedX && y == region.seedY) {
            // Leaving the start the way we left it first: the loop is closed.
            if (firstStep < 0) firstStep = next;
            else if (next == firstStep) break;
        }
        const int32_t lightDir = (next + 7) & 7;
        const int32_t lx = x + DX[lightDir], ly = y + DY[lightDir];
        x += DX[next];
        y += DY[next];
        back = directionOf(lx - x, ly - y);
        outline.push_back({x + 0.5, y + 0.5});
    }
    if (outline.size() > 1 && outline.back() == outline.front()) outline.pop_back();
    return outline;
}

}  // namespace orvel
