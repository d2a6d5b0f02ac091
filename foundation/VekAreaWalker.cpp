#include "foundation/VekAreaWalker.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
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

namespace {

// How many pixels at the head of the queue lie side by side on one row, each
// `direction` (+1 or -1) from the one before; 1 when the second does not.
// The seed (step 8) never belongs to a run.
size_t runLength(const TVekQueuedPixel* buffer, size_t mask, size_t head, size_t waiting, int32_t& direction) {
    const TVekQueuedPixel& first = buffer[head & mask];
    const TVekQueuedPixel& second = buffer[(head + 1) & mask];
    direction = second.x - first.x;
    if (first.step >= 8 || second.step >= 8 || second.y != first.y || (direction != 1 && direction != -1)) return 1;
    size_t count = 2;
    const size_t most = std::min(waiting, TVekWalkedRun::longest);
    while (count < most) {
        const TVekQueuedPixel& next = buffer[(head + count) & mask];
        if (next.y != first.y || next.step >= 8 || next.x != first.x + direction * static_cast<int32_t>(count)) break;
        ++count;
    }
    return count;
}

// Whether every mark of the `length` cells from `marks` on is set. A plain
// reduction without an early exit, so that it runs as vector code.
bool allVisited(const uint8_t* marks, size_t length) {
    uint8_t unvisited = 0;
    for (size_t k = 0; k < length; ++k) unvisited |= marks[k] == 0 ? 1 : 0;
    return unvisited == 0;
}

// Asks for the cache lines of a stretch of marks and pixels that the walk
// will reach a few layers on: a cold stretch of a large picture.
void fetchStretch(const uint8_t* marks, const uint32_t* pixels, size_t length) {
    for (size_t k = 0; k < length; k += 16) __builtin_prefetch(pixels + k);
    __builtin_prefetch(pixels + length - 1);
    for (size_t k = 0; k < length; k += 64) __builtin_prefetch(marks + k);
    __builtin_prefetch(marks + length - 1);
}

// The outline flags of `count` pixels from `first` on, each `direction`
// further along the row; in loops the compiler vectorises.
void outlineFlags(const uint32_t* first, ptrdiff_t width, int32_t direction, size_t count, bool* onOutline) {
    if (direction == 1) {
        for (size_t k = 0; k < count; ++k) onOutline[k] = isInnerOutlinePixel(first + k, width);
    } else {
        for (size_t k = 0; k < count; ++k) onOutline[k] = isInnerOutlinePixel(first - k, width);
    }
}

}  // namespace

// How a run expands. Take a run going left, its pixels at x = hi, hi - 1, ...,
// lo on row y, with row y - 1 visited from lo - 1 to hi + 1 ("behind"). In
// walk order each pixel examines east, south-east, south, south-west, west,
// north-west, north, north-east. Behind and the run's own pixels are visited
// already, and the first pixel's south and south-west are the next pixel's
// south-east and south; so all that is new is, in this order: the first
// pixel's east, the row below from hi + 1 down to lo - 1 (south-east, south,
// then south-west of each pixel), and the last pixel's west. The other three
// cases follow the same way; each cell is examined once, so its mark at the
// start of the run decides it, as it would pixel by pixel.
bool TVekAreaWalker::expandRun(const TRaster& raster, TVekPixelQueue::TCursor& cursor, TVekWalkedRun& run) {
    const size_t waiting = cursor.tail - cursor.head;
    if (waiting < shortestRun) {
        run.count = 1;
        return false;
    }
    int32_t direction = 0;
    const size_t count = runLength(cursor.buffer, cursor.mask, cursor.head, waiting, direction);
    run.count = count;
    const TVekQueuedPixel first = cursor.buffer[cursor.head & cursor.mask];
    const int32_t y = first.y;
    if (count < shortestRun || y < 1 || y > raster.rows - 2) return false;
    const int32_t last = first.x + direction * static_cast<int32_t>(count - 1);
    const int32_t lo = std::min(first.x, last), hi = std::max(first.x, last);
    if (lo < 1 || hi > raster.columns - 2) return false;

    // Locals, not the cursor and raster behind references: mark writes go
    // through byte pointers and would force those to be read again each time.
    uint8_t* const marks = raster.marks;
    const uint32_t* const pixels = raster.pixels;
    TVekQueuedPixel* const buffer = cursor.buffer;
    const size_t mask = cursor.mask;
    size_t tail = cursor.tail;
    const size_t w = raster.width;
    auto at = [w](int32_t x, int32_t cellY) { return static_cast<size_t>(cellY) * w + static_cast<size_t>(x); };

    const size_t span = static_cast<size_t>(hi - lo) + 3;  // the run and a cell beyond each end
    int32_t ahead;  // +1 when the run grows downwards (row above behind), -1 upwards
    if (allVisited(marks + at(lo - 1, y - 1), span)) {
        ahead = 1;
    } else if (allVisited(marks + at(lo - 1, y + 1), span)) {
        ahead = -1;
    } else {
        return false;
    }
    const int32_t fetchY = y + 8 * ahead;
    if (fetchY >= 0 && fetchY < raster.rows) fetchStretch(marks + at(lo - 1, fetchY), pixels + at(lo - 1, fetchY), span);

    const int32_t far = y + ahead;
    auto look = [&](int32_t x, int32_t cellY, uint32_t step) {
        const size_t n = at(x, cellY);
        if (marks[n] != 0) return;
        marks[n] = 1;
        if (pixels[n] == BLACK) buffer[tail++ & mask] = TVekQueuedPixel{x, cellY, step};
    };
    // The stretch of the row ahead from one column to another, each cell
    // found by `step`. Inside a large region the stretch is usually all new
    // and dark: then one pass marks it and another queues it, with no test
    // per cell.
    auto lookAlong = [&](int32_t from, int32_t to, int32_t along, uint32_t step) {
        if ((to - from) * along < 0) return;
        const size_t start = at(std::min(from, to), far);
        const size_t length = static_cast<size_t>(std::abs(to - from)) + 1;
        uint32_t seen = 0, light = 0;
        for (size_t k = 0; k < length; ++k) {
            seen |= marks[start + k];
            light |= pixels[start + k];
        }
        if (seen != 0 || light != 0) {
            for (int32_t x = from; x != to + along; x += along) look(x, far, step);
            return;
        }
        std::memset(marks + start, 1, length);
        for (int32_t x = from; x != to + along; x += along) buffer[tail++ & mask] = TVekQueuedPixel{x, far, step};
    };
    if (ahead == 1 && direction == -1) {
        look(hi + 1, y, 0);
        look(hi + 1, far, 1);
        look(hi, far, 2);
        lookAlong(hi - 1, lo, -1, 3);
        look(lo - 1, far, 3);
        look(lo - 1, y, 4);
    } else if (ahead == 1) {
        look(lo + 1, far, 1);
        look(lo, far, 2);
        look(lo - 1, far, 3);
        look(lo - 1, y, 4);
        lookAlong(lo + 2, hi, 1, 1);
        look(hi + 1, y, 0);
        look(hi + 1, far, 1);
    } else if (direction == -1) {
        look(hi + 1, y, 0);
        look(hi - 1, far, 5);
        look(hi, far, 6);
        look(hi + 1, far, 7);
        lookAlong(hi - 2, lo, -1, 5);
        look(lo - 1, y, 4);
        look(lo - 1, far, 5);
    } else {
        look(lo - 1, y, 4);
        look(lo - 1, far, 5);
        look(lo, far, 6);
        look(lo + 1, far, 7);
        lookAlong(lo + 2, hi, 1, 7);
        look(hi + 1, y, 0);
        look(hi + 1, far, 7);
    }
    cursor.head += count;
    cursor.tail = tail;

    outlineFlags(pixels + at(first.x, y), static_cast<ptrdiff_t>(w), direction, count, run.onOutline);
    run.first = first.x;
    run.direction = direction;
    run.y = y;
    return true;
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
