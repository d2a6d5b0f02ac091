#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/VekImage.h"
#include "foundation/VekPoint.h"

namespace orvel {

// One pixel position of a walk: two integers, so queueing costs no allocation.
struct TVekPixel {
    int32_t x = 0;
    int32_t y = 0;
};

// Whether a pixel whose four direct neighbours all lie inside the picture is
// on a region's outline: one of them (east, west, south, north) is not dark.
// `width` is the picture's row length.
inline bool isInnerOutlinePixel(const uint32_t* pixel, ptrdiff_t width) {
    return (pixel[1] | pixel[-1] | pixel[width] | pixel[-width]) != BLACK;
}

// A pixel waiting in a walk, with the step that found it: 0 ... 7 for a
// neighbour east, south-east, south, south-west, west, north-west, north or
// north-east of the pixel that queued it, 8 for the seed.
struct TVekQueuedPixel {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t step = 0;
};

// A stretch of pixels the walk has passed, in walk order, column by column so
// that a caller's loop over it stays simple. onOutline[k] tells whether a
// direct neighbour (east, south, west or north) of pixel k is missing or not
// dark. Only the first `count` entries are set.
struct TVekWalkedBlock {
    static constexpr size_t capacity = 256;
    int32_t x[capacity];
    int32_t y[capacity];
    bool onOutline[capacity];
    size_t count;
};

// A run the walk has passed: `count` pixels side by side on row y, the
// first at column `first` and each next one `direction` (+1 or -1) further,
// with their outline flags in the same order. Inside a large region most
// pixels come in runs, and a caller can take a run as a whole.
struct TVekWalkedRun {
    static constexpr size_t longest = 256;
    int32_t first;
    int32_t direction;
    int32_t y;
    bool onOutline[longest];
    size_t count;

    int32_t x(size_t k) const { return first + direction * static_cast<int32_t>(k); }
};

// First-in first-out queue of pixels on a ring buffer. The buffer is borrowed
// from a per-thread pool when the queue is made and handed back when it goes,
// so consecutive walks reuse one allocation instead of allocating per pixel or
// per region. Queues may nest (each borrows its own buffer).
class TVekPixelQueue {
public:
    TVekPixelQueue();
    ~TVekPixelQueue();
    TVekPixelQueue(const TVekPixelQueue&) = delete;
    TVekPixelQueue& operator=(const TVekPixelQueue&) = delete;

    bool empty() const { return count_ == 0; }
    size_t size() const { return count_; }

    void push(int32_t x, int32_t y, uint32_t step) {
        if (count_ == buffer_.size()) grow();
        buffer_[(head_ + count_) & mask_] = TVekQueuedPixel{x, y, step};
        ++count_;
    }

    TVekQueuedPixel pop() {
        const TVekQueuedPixel pixel = buffer_[head_];
        head_ = (head_ + 1) & mask_;
        --count_;
        return pixel;
    }

    // The same queue seen through a cursor that a walk loop keeps in
    // registers: positions count up without wrapping and are masked on use.
    // The queue itself is stale while a cursor is out; `store` brings it
    // back up to date.
    struct TCursor {
        TVekQueuedPixel* buffer;
        size_t mask;
        size_t head;
        size_t tail;

        bool empty() const { return head == tail; }
        bool hasRoomFor(size_t count) const { return tail - head + count <= mask + 1; }
        TVekQueuedPixel pop() { return buffer[head++ & mask]; }
        void push(int32_t x, int32_t y, uint32_t step) { buffer[tail++ & mask] = TVekQueuedPixel{x, y, step}; }
    };
    TCursor cursor() { return TCursor{buffer_.data(), mask_, head_, head_ + count_}; }
    void store(const TCursor& cursor) {
        head_ = cursor.head & mask_;
        count_ = cursor.tail - cursor.head;
    }
    // Doubles the buffer; the cursor must have been stored.
    void grow();

private:
    std::vector<TVekQueuedPixel> buffer_;  // capacity is a power of two
    size_t mask_ = 0;
    size_t head_ = 0;
    size_t count_ = 0;
};

// Enumerates the dark pixels 8-connected to a seed, breadth first, using the
// picture's visited marks. Neighbours are examined east, south-east, south,
// south-west, west, north-west, north, north-east; every neighbour examined is
// marked visited, dark or not, and only dark ones are queued.
//
// The seed is marked visited when the walk starts: otherwise its first dark
// neighbour would queue it again and the walk would return it twice. A seed
// that is not dark is still returned (first), followed by the dark pixels
// around it. Coordinates are whole pixels; a fractional seed is rounded.
class TVekAreaWalker {
public:
    // When clearMarks is true every visited mark of the picture is cleared
    // first. A picture whose marks were never set up gets them here, because a
    // walk without marks could not tell where it has been.
    TVekAreaWalker(TVekImage& image, bool clearMarks, const TVekPoint& seed);

    TVekAreaWalker(const TVekAreaWalker&) = delete;
    TVekAreaWalker& operator=(const TVekAreaWalker&) = delete;

    // The next pixel of the region, or none when the walk is over.
    std::optional<TVekPoint> nextPoint();
    // The same without building a point: false when the walk is over.
    bool nextPixel(TVekPixel& pixel) {
        bool onOutline;
        return nextPixel(pixel, onOutline);
    }
    // Also tells whether the pixel lies on the region's outline: a direct
    // neighbour (east, south, west or north) is missing or not dark.
    bool nextPixel(TVekPixel& pixel, bool& onOutline) {
        if (queue.empty()) return false;
        walkPixels(
            1,
            [&](int32_t x, int32_t y, bool outline) {
                pixel = TVekPixel{x, y};
                onOutline = outline;
            },
            [](const TVekWalkedRun&) {});
        return true;
    }

    // The rest of the walk in one loop, handed over in blocks:
    // visit(const TVekWalkedBlock&) for consecutive stretches of the order
    // nextPixel would give. This is the fast way through a large region: the
    // walk and the caller's work on the pixels each run in a tight loop of
    // their own.
    template <class VisitBlock>
    void forEachBlock(VisitBlock&& visit) {
        forEachBlockAndRun(visit, [&visit](const TVekWalkedRun& run) {
            TVekWalkedBlock block;  // left uninitialised: only filled entries are read
            block.count = run.count;
            for (size_t k = 0; k < run.count; ++k) {
                block.x[k] = run.x(k);
                block.y[k] = run.y;
                block.onOutline[k] = run.onOutline[k];
            }
            visit(static_cast<const TVekWalkedBlock&>(block));
        });
    }

    // The same with runs handed over as runs: visitBlock for the pixels
    // expanded one by one, visitRun(const TVekWalkedRun&) for each run, in
    // walk order (a block is handed over before the run that follows it).
    template <class VisitBlock, class VisitRun>
    void forEachBlockAndRun(VisitBlock&& visitBlock, VisitRun&& visitRun) {
        TVekWalkedBlock block;  // left uninitialised: only filled entries are read
        size_t filled = 0;
        // Handing over stays out of line, so that whatever the caller does
        // cannot crowd the registers of the walk loop.
        auto handOver = [&]() __attribute__((noinline)) {
            block.count = filled;
            visitBlock(static_cast<const TVekWalkedBlock&>(block));
            filled = 0;
        };
        auto addPixel = [&](int32_t x, int32_t y, bool onOutline) {
            block.x[filled] = x;
            block.y[filled] = y;
            block.onOutline[filled] = onOutline;
            if (++filled == TVekWalkedBlock::capacity) handOver();
        };
        auto addRun = [&](const TVekWalkedRun& run) __attribute__((noinline)) {
            if (filled > 0) handOver();
            visitRun(run);
        };
        walkPixels(SIZE_MAX, addPixel, addRun);
        if (filled > 0) handOver();
    }

    const TVekPoint& getStart() const { return start; }

    TVekPoint start;  // the seed as given

private:
    static constexpr int stepX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
    static constexpr int stepY[8] = {0, 1, 1, 1, 0, -1, -1, -1};

    // The neighbours a pixel found by `step` still has to examine. The pixel
    // that found it examined (and so marked) its own eight neighbours; those
    // shared with this pixel can only be visited by now, and examining a
    // visited pixel changes nothing. Skipping them keeps the walk order exact.
    static constexpr unsigned neighboursLeftAfter(uint32_t step) {
        if (step >= 8) return 0xFF;
        unsigned left = 0;
        for (uint32_t k = 0; k < 8; ++k) {
            const int dx = stepX[step] + stepX[k];  // the neighbour, seen from the finder
            const int dy = stepY[step] + stepY[k];
            if (dx < -1 || dx > 1 || dy < -1 || dy > 1) left |= 1u << k;
        }
        return left;
    }

    // The picture as the walk loop reads it, copied into locals: marks are
    // written through byte pointers, which may alias anything, so fields
    // read through `image` would be fetched again after every mark.
    struct TRaster {
        uint8_t* marks;
        const uint32_t* pixels;
        size_t width;
        int32_t columns;
        int32_t rows;
    };

    // Pops and expands up to `limit` pixels, calling visit(x, y, onOutline)
    // for each pixel expanded alone and visitRun(run) for each run. Kept in
    // the header so that both are inlined.
    template <class Visit, class VisitRun>
    void walkPixels(size_t limit, Visit&& visit, VisitRun&& visitRun) {
        const TRaster raster{image.visitedMarks().data(), image.pixelData().data(),
                             static_cast<size_t>(image.width), image.width, image.height};
        TVekPixelQueue::TCursor cursor = queue.cursor();
        const bool runsAllowed = limit >= TVekWalkedRun::longest;
        TVekWalkedRun run;
        size_t singlesLeft = 0;  // pixels to expand one by one before looking for a run again
        for (size_t done = 0; done < limit && !cursor.empty();) {
            if (!cursor.hasRoomFor(mostRunPushes)) {
                queue.store(cursor);
                queue.grow();
                cursor = queue.cursor();
            }
            if (runsAllowed && singlesLeft == 0 && mayStartRun(cursor)) {
                if (expandRun(raster, cursor, run)) {
                    visitRun(static_cast<const TVekWalkedRun&>(run));
                    done += run.count;
                    continue;
                }
                // Whatever the failed look covered is no run either.
                singlesLeft = run.count;
            }
            if (singlesLeft > 0) --singlesLeft;
            const TVekQueuedPixel pixel = cursor.pop();
            bool onOutline;
            // One unsigned comparison per axis: 1 <= x <= columns - 2.
            const bool inside = static_cast<uint32_t>(pixel.x - 1) < static_cast<uint32_t>(raster.columns - 2) &&
                                static_cast<uint32_t>(pixel.y - 1) < static_cast<uint32_t>(raster.rows - 2);
            if (!inside) {
                queue.store(cursor);
                onOutline = queueBorderNeighbours(pixel.x, pixel.y);
                cursor = queue.cursor();
            } else {
                onOutline = expandInside(raster, cursor, pixel);
            }
            visit(pixel.x, pixel.y, onOutline);
            ++done;
        }
        queue.store(cursor);
    }

    // A run: consecutive queued pixels on one row, each one step left or each
    // one step right of the one before, with the row on one side of them
    // already visited all along. Expanded together they examine each cell of
    // the other row once, in an order that follows from the direction of the
    // run; see expandRun.
    static constexpr size_t shortestRun = 4;
    static constexpr size_t mostRunPushes = TVekWalkedRun::longest + 8;  // the far row's cells plus both ends, with room to spare
    // A cheap first look: the pixel three places on is on the same row,
    // three columns away.
    static bool mayStartRun(const TVekPixelQueue::TCursor& cursor) {
        if (cursor.tail - cursor.head < shortestRun) return false;
        const TVekQueuedPixel& first = cursor.buffer[cursor.head & cursor.mask];
        const TVekQueuedPixel& fourth = cursor.buffer[(cursor.head + 3) & cursor.mask];
        const int32_t apart = fourth.x - first.x;
        return fourth.y == first.y && (apart == 3 || apart == -3);
    }
    // Pops and expands the run at the head of the queue, exactly as popping
    // its pixels one by one would, and fills `run` with them. False (nothing
    // done) when the head of the queue is no such run; run.count then tells
    // how many queued pixels the look covered (at least one).
    static bool expandRun(const TRaster& raster, TVekPixelQueue::TCursor& cursor, TVekWalkedRun& run);

    // Examines the neighbours of a pixel that has all eight inside the
    // picture, and tells whether it is on the outline.
    [[gnu::always_inline]] static bool expandInside(const TRaster& raster, TVekPixelQueue::TCursor& cursor,
                                                    const TVekQueuedPixel& pixel) {
        const size_t w = raster.width;
        const size_t index = static_cast<size_t>(pixel.y) * w + static_cast<size_t>(pixel.x);
        fetchRowAhead(raster, pixel);
        switch (pixel.step) {
            case 0: examine<neighboursLeftAfter(0)>(raster, cursor, index, pixel); break;
            case 1: examine<neighboursLeftAfter(1)>(raster, cursor, index, pixel); break;
            case 2: examine<neighboursLeftAfter(2)>(raster, cursor, index, pixel); break;
            case 3: examine<neighboursLeftAfter(3)>(raster, cursor, index, pixel); break;
            case 4: examine<neighboursLeftAfter(4)>(raster, cursor, index, pixel); break;
            case 5: examine<neighboursLeftAfter(5)>(raster, cursor, index, pixel); break;
            case 6: examine<neighboursLeftAfter(6)>(raster, cursor, index, pixel); break;
            case 7: examine<neighboursLeftAfter(7)>(raster, cursor, index, pixel); break;
            default: examine<0xFF>(raster, cursor, index, pixel); break;
        }
        return isInnerOutlinePixel(raster.pixels + index, static_cast<ptrdiff_t>(w));
    }

    template <unsigned Neighbours>
    [[gnu::always_inline]] static void examine(const TRaster& raster, TVekPixelQueue::TCursor& cursor, size_t index,
                                               const TVekQueuedPixel& pixel) {
        const size_t w = raster.width;
        auto look = [&](uint32_t k, size_t n) {
            if ((Neighbours >> k & 1u) == 0 || raster.marks[n] != 0) return;
            raster.marks[n] = 1;
            if (raster.pixels[n] == BLACK) cursor.push(pixel.x + stepX[k], pixel.y + stepY[k], k);
        };
        look(0, index + 1);
        look(1, index + w + 1);
        look(2, index + w);
        look(3, index + w - 1);
        look(4, index - 1);
        look(5, index - w - 1);
        look(6, index - w);
        look(7, index - w + 1);
    }

    // A walk grows row by row along its vertical steps, and every new row is a
    // cold stretch of a large picture. Asking for the row a few layers ahead
    // hides most of that wait; it changes no result. One request per eight
    // pixels covers each cache line of pixels.
    [[gnu::always_inline]] static void fetchRowAhead(const TRaster& raster, const TVekQueuedPixel& pixel) {
        if ((pixel.x & 7) != 0 || pixel.step >= 8 || stepY[pixel.step] == 0) return;
        constexpr int64_t rowsAhead = 8;
        const int64_t aheadY = pixel.y + rowsAhead * stepY[pixel.step];
        if (aheadY < 0 || aheadY >= raster.rows) return;
        const size_t ahead = static_cast<size_t>(aheadY) * raster.width + static_cast<size_t>(pixel.x);
        __builtin_prefetch(raster.pixels + ahead);
        __builtin_prefetch(raster.marks + ahead);
    }

    bool queueBorderNeighbours(int32_t x, int32_t y);
    void examineAt(int64_t x, int64_t y, uint32_t step);
    bool isDark(int64_t x, int64_t y) const;

    TVekImage& image;
    TVekPixelQueue queue;
};

}  // namespace orvel
