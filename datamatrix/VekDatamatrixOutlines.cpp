#include "datamatrix/VekDatamatrixOutlines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace orvel {

namespace {

// Regions kept for tracing before the largest are chosen: noise in a big
// picture makes many small regions, which are dropped by size first.
constexpr size_t MAX_REGIONS = 4096;
// Labels of regions of any size, and the mark of a run without one.
constexpr size_t MAX_LABELS = size_t{1} << 20;
constexpr uint32_t NO_LABEL = UINT32_MAX;

// The eight neighbours clockwise (y grows downwards) from east.
constexpr std::array<int32_t, 8> DX = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr std::array<int32_t, 8> DY = {0, 1, 1, 1, 0, -1, -1, -1};

// Rows are read eight pixels at a time: most of a picture is long light or
// dark runs.
constexpr uint64_t LOW_BYTES = 0x0101010101010101ULL;
constexpr uint64_t HIGH_BITS = 0x8080808080808080ULL;
// The lowest bits of a word read from memory are its first pixel.
constexpr bool IS_LITTLE_ENDIAN = std::endian::native == std::endian::little;

uint64_t eightAt(const uint8_t* bits) {
    uint64_t word = 0;
    std::memcpy(&word, bits, sizeof word);
    return word;
}

// The first dark pixel at or after x, or w.
int32_t nextDark(const uint8_t* bits, int32_t x, int32_t w) {
    for (; IS_LITTLE_ENDIAN && x + 8 <= w; x += 8) {
        const uint64_t word = eightAt(bits + x);
        if (word != 0) return x + std::countr_zero(word) / 8;
    }
    while (x < w && bits[x] == 0) ++x;
    return x;
}

// The first light pixel at or after x, or w.
int32_t nextLight(const uint8_t* bits, int32_t x, int32_t w) {
    for (; IS_LITTLE_ENDIAN && x + 8 <= w; x += 8) {
        const uint64_t word = eightAt(bits + x);
        // The lowest byte that is zero sets the lowest flag exactly.
        const uint64_t zeros = (word - LOW_BYTES) & ~word & HIGH_BITS;
        if (zeros != 0) return x + std::countr_zero(zeros) / 8;
    }
    while (x < w && bits[x] != 0) ++x;
    return x;
}

constexpr int32_t directionOf(int32_t dx, int32_t dy) {
    for (int32_t k = 0; k < 8; ++k) {
        if (DX[k] == dx && DY[k] == dy) return k;
    }
    return 4;
}

// After a step in direction k the light neighbour passed just before it
// (direction k - 1 from the old pixel) seen from the new pixel.
constexpr std::array<int32_t, 8> lightBehind() {
    std::array<int32_t, 8> result{};
    for (int32_t k = 0; k < 8; ++k) {
        const int32_t light = (k + 7) & 7;
        result[static_cast<size_t>(k)] = directionOf(DX[light] - DX[k], DY[light] - DY[k]);
    }
    return result;
}
constexpr std::array<int32_t, 8> LIGHT_BEHIND = lightBehind();

}  // namespace

std::vector<TVekDatamatrixOutlines::TOutline> TVekDatamatrixOutlines::find(const TVekBitMatrix& picture,
                                                                            int32_t minSide, size_t maxCount) {
    const std::vector<TRegion> found = largestRegions(picture, minSide, maxCount);
    std::vector<TOutline> outlines;
    outlines.reserve(found.size());
    for (const TRegion& region : found) outlines.push_back(trace(picture, region));
    return outlines;
}

std::vector<TVekDatamatrixOutlines::TRegion> TVekDatamatrixOutlines::largestRegions(const TVekBitMatrix& picture,
                                                                                    int32_t minSide,
                                                                                    size_t maxCount) {
    std::vector<TRegion> found = regions(picture, minSide);
    std::sort(found.begin(), found.end(), [](const TRegion& a, const TRegion& b) {
        return std::max(a.width, a.height) > std::max(b.width, b.height);
    });
    if (found.size() > maxCount) found.resize(maxCount);
    return found;
}

// Connected dark regions from the runs of each row: a run takes the label
// of the runs above that touch it (diagonals included) and joins their
// labels, or starts a new one. Labels are numbered in reading order and a
// joined region keeps its smallest, so its first run's start is the region's
// first pixel. Each pixel is read once; memory grows with the regions, not
// the pixels.
std::vector<TVekDatamatrixOutlines::TRegion> TVekDatamatrixOutlines::regions(const TVekBitMatrix& picture,
                                                                             int32_t minSide) {
    struct TLabel {
        uint32_t parent;
        int32_t seedX, seedY;  // top is seedY
        int32_t left, right, bottom;
        size_t pixels;
    };
    struct TRun {
        int32_t x0, x1;
        uint32_t label;
    };
    const int32_t w = picture.width();
    const int32_t h = picture.height();
    std::vector<TLabel> labels;
    std::vector<TRun> above, here;
    auto root = [&labels](uint32_t i) {
        while (labels[i].parent != i) {
            labels[i].parent = labels[labels[i].parent].parent;
            i = labels[i].parent;
        }
        return i;
    };
    auto join = [&labels](uint32_t a, uint32_t b) {
        const uint32_t kept = std::min(a, b);
        TLabel& into = labels[kept];
        TLabel& gone = labels[std::max(a, b)];
        gone.parent = kept;
        into.left = std::min(into.left, gone.left);
        into.right = std::max(into.right, gone.right);
        into.bottom = std::max(into.bottom, gone.bottom);
        into.pixels += gone.pixels;
        return kept;
    };
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* bits = picture.row(y);
        here.clear();
        size_t candidate = 0;
        for (int32_t x = nextDark(bits, 0, w); x < w; x = nextDark(bits, x, w)) {
            const int32_t x0 = x;
            x = nextLight(bits, x, w);
            const int32_t x1 = x - 1;
            // Runs above ending left of this one's reach touch no later run either.
            while (candidate < above.size() && above[candidate].x1 < x0 - 1) ++candidate;
            uint32_t label = NO_LABEL;
            for (size_t k = candidate; k < above.size() && above[k].x0 <= x1 + 1; ++k) {
                const uint32_t other = root(above[k].label);
                label = label == NO_LABEL ? other : (other == label ? label : join(label, other));
            }
            if (label == NO_LABEL) {
                // Past the cap (a picture of noise) new regions are ignored.
                if (labels.size() >= MAX_LABELS) continue;
                label = static_cast<uint32_t>(labels.size());
                labels.push_back({label, x0, y, x0, x1, y, 0});
            }
            TLabel& region = labels[label];
            region.left = std::min(region.left, x0);
            region.right = std::max(region.right, x1);
            region.bottom = y;
            region.pixels += static_cast<size_t>(x1 - x0 + 1);
            here.push_back({x0, x1, label});
        }
        std::swap(above, here);
    }
    std::vector<TRegion> found;
    for (uint32_t i = 0; i < labels.size() && found.size() < MAX_REGIONS; ++i) {
        const TLabel& region = labels[i];
        if (region.parent != i) continue;
        const int32_t width = region.right - region.left + 1;
        const int32_t height = region.bottom - region.seedY + 1;
        if (std::max(width, height) >= minSide) found.push_back({region.seedX, region.seedY, width, height, region.pixels, region.left});
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
    // A solid box's outline is about its perimeter; ragged ones grow from there.
    outline.reserve(std::min(limit, 2 * static_cast<size_t>(region.width + region.height) + 8));
    outline.push_back({x + 0.5, y + 0.5});
    const int32_t w = picture.width();
    const int32_t h = picture.height();
    // Away from the border the neighbours are read at fixed offsets.
    std::array<ptrdiff_t, 8> offsets{};
    for (size_t k = 0; k < 8; ++k) offsets[k] = static_cast<ptrdiff_t>(DY[k]) * w + DX[k];
    while (outline.size() < limit) {
        int32_t next = -1;
        if (x > 0 && y > 0 && x + 1 < w && y + 1 < h) {
            const uint8_t* here = picture.row(y) + x;
            for (int32_t i = 1; i <= 8; ++i) {
                const int32_t k = (back + i) & 7;
                if (here[offsets[static_cast<size_t>(k)]] != 0) {
                    next = k;
                    break;
                }
            }
        } else {
            for (int32_t i = 1; i <= 8; ++i) {
                const int32_t k = (back + i) & 7;
                if (picture.getOrLight(x + DX[k], y + DY[k])) {
                    next = k;
                    break;
                }
            }
        }
        if (next < 0) break;  // a single pixel
        if (x == region.seedX && y == region.seedY) {
            // Leaving the start the way we left it first: the loop is closed.
            if (firstStep < 0) firstStep = next;
            else if (next == firstStep) break;
        }
        x += DX[next];
        y += DY[next];
        back = LIGHT_BEHIND[next];
        outline.push_back({x + 0.5, y + 0.5});
    }
    if (outline.size() > 1 && outline.back() == outline.front()) outline.pop_back();
    return outline;
}

}  // namespace orvel
