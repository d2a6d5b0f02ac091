// The dark regions behind the photo front end's L search, checked against a
// plain flood fill on random blobs: the same regions, from the same first
// pixel, with the same size limit.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "datamatrix/VekDatamatrixOutlines.h"

namespace orvel::test {
namespace {

// First pixels (reading order) of the 8-connected dark regions whose bounding
// box has a side of at least minSide, found the slow and obvious way.
std::vector<std::pair<int32_t, int32_t>> floodFillSeeds(const TVekBitMatrix& picture, int32_t minSide) {
    const int32_t w = picture.width(), h = picture.height();
    std::vector<uint8_t> seen(static_cast<size_t>(w) * h, 0);
    std::vector<std::pair<int32_t, int32_t>> seeds;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            if (!picture.get(x, y) || seen[static_cast<size_t>(y) * w + x]) continue;
            int32_t left = x, right = x, top = y, bottom = y;
            std::vector<std::pair<int32_t, int32_t>> stack = {{x, y}};
            seen[static_cast<size_t>(y) * w + x] = 1;
            while (!stack.empty()) {
                const auto [px, py] = stack.back();
                stack.pop_back();
                left = std::min(left, px), right = std::max(right, px);
                top = std::min(top, py), bottom = std::max(bottom, py);
                for (int32_t dy = -1; dy <= 1; ++dy) {
                    for (int32_t dx = -1; dx <= 1; ++dx) {
                        const int32_t nx = px + dx, ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h || !picture.get(nx, ny)) continue;
                        uint8_t& mark = seen[static_cast<size_t>(ny) * w + nx];
                        if (mark) continue;
                        mark = 1;
                        stack.push_back({nx, ny});
                    }
                }
            }
            if (std::max(right - left + 1, bottom - top + 1) >= minSide) seeds.push_back({x, y});
        }
    }
    std::sort(seeds.begin(), seeds.end());
    return seeds;
}

TEST(DatamatrixOutlinesTest, RegionsOfRandomBlobsMatchAFloodFill) {
    std::mt19937 random(17);
    for (int round = 0; round < 40; ++round) {
        const int32_t w = 20 + static_cast<int32_t>(random() % 90), h = 20 + static_cast<int32_t>(random() % 90);
        TVekBitMatrix picture(w, h);
        // Rectangles, U shapes and diagonal chains that join late and by corners only.
        const int blobs = 5 + static_cast<int>(random() % 40);
        for (int b = 0; b < blobs; ++b) {
            const int32_t x = static_cast<int32_t>(random() % w), y = static_cast<int32_t>(random() % h);
            const int32_t bw = 1 + static_cast<int32_t>(random() % 12), bh = 1 + static_cast<int32_t>(random() % 12);
            if (random() % 3 == 0) {
                for (int32_t k = 0; k < bw + bh && x + k < w && y + k < h; ++k) picture.set(x + k, y + k);
            } else {
                picture.setRegion(x, y, std::min(bw, w - x), std::min(bh, h - y));
            }
        }
        for (int32_t minSide : {1, 6}) {
            std::vector<std::pair<int32_t, int32_t>> starts;
            for (const auto& outline : TVekDatamatrixOutlines::find(picture, minSide, 100000)) {
                ASSERT_FALSE(outline.empty());
                starts.push_back({static_cast<int32_t>(outline[0].x), static_cast<int32_t>(outline[0].y)});
            }
            std::sort(starts.begin(), starts.end());
            EXPECT_EQ(starts, floodFillSeeds(picture, minSide)) << "round " << round << " minSide " << minSide;
        }
    }
}

}  // namespace
}  // namespace orvel::test
