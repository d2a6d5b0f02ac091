#include "foundation/VekAreaWalker.h"

#include <utility>

#include "foundation/VekUtil.h"

namespace orvel {

namespace {

// Buffers handed back by finished queues, ready for the next walk.
std::vector<std::vector<TVekQueuedPixel>>& bufferPool() {
    thread_local std::vector<std::vector<TVekQueuedPixel>> pool;
    return pool;
}

constexpr size_t initialCapacity = 1024;

}  // namespace

TVekPixelQueue::TVekPixelQueue() {
    auto& pool = bufferPool();
    if (!pool.empty()) {
        buffer_ = std::move(pool.back());
        pool.pop_back();
    }
    if (buffer_.size() < initialCapacity) buffer_.resize(initialCapacity);
    mask_ = buffer_.size() - 1;
}

TVekPixelQueue::~TVekPixelQueue() {
    // Keep a few buffers only: nested walks are rare and shallow.
    auto& pool = bufferPool();
    if (pool.size() < 4) pool.push_back(std::move(buffer_));
}

void TVekPixelQueue::grow() {
    std::vector<TVekQueuedPixel> larger(buffer_.size() * 2);
    for (size_t k = 0; k < count_; ++k) larger[k] = buffer_[(head_ + k) & mask_];
    buffer_ = std::move(larger);
    mask_ = buffer_.size() - 1;
    head_ = 0;
}

TVekAreaWalker::TVekAreaWalker(TVekImage& image, bool clearMarks, const TVekPoint& seed)
    : start(seed), image(image) {
    if (clearMarks || image.visitedMarks().empty()) image.clearVisited();
    const int32_t x = vekRoundInt(seed.x);
    const int32_t y = vekRoundInt(seed.y);
    image.setVisited(x, y);
    queue.push(x, y, 8);
}

std::optional<TVekPoint> TVekAreaWalker::nextPoint() {
    TVekPixel pixel;
    if (!nextPixel(pixel)) return std::nullopt;
    return TVekPoint(pixel.x, pixel.y);
}

void TVekAreaWalker::examineAt(int64_t x, int64_t y, uint32_t step) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    const size_t index = static_cast<size_t>(y) * image.width + static_cast<size_t>(x);
    uint8_t& mark = image.visitedMarks()[index];
    if (mark != 0) return;
    mark = 1;
    if (image.pixelData()[index] == BLACK) queue.push(static_cast<int32_t>(x), static_cast<int32_t>(y), step);
}

bool TVekAreaWalker::isDark(int64_t x, int64_t y) const {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return false;
    return image.pixelData()[static_cast<size_t>(y) * image.width + static_cast<size_t>(x)] == BLACK;
}

bool TVekAreaWalker::queueBorderNeighbours(int32_t x, int32_t y) {
    for (uint32_t k = 0; k < 8; ++k) examineAt(int64_t{x} + stepX[k], int64_t{y} + stepY[k], k);
    const int64_t px = x, py = y;
    return !isDark(px + 1, py) || !isDark(px, py + 1) || !isDark(px - 1, py) || !isDark(px, py - 1);
}

}  // namespace orvel
