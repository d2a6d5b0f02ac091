#pragma once

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

    void push(int32_t x, int32_t y) {
        if (count_ == buffer_.size()) grow();
        buffer_[(head_ + count_) & mask_] = TVekPixel{x, y};
        ++count_;
    }

    TVekPixel pop() {
        const TVekPixel pixel = buffer_[head_];
        head_ = (head_ + 1) & mask_;
        --count_;
        return pixel;
    }

private:
    void grow();

    std::vector<TVekPixel> buffer_;  // capacity is a power of two
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
        if (queue.empty()) return false;
        pixel = queue.pop();
        queueNeighbours(pixel.x, pixel.y);
        return true;
    }

    const TVekPoint& getStart() const { return start; }

    TVekPoint start;  // the seed as given

private:
    // Kept in the header: the region walk calls it once per pixel.
    void queueNeighbours(int32_t x, int32_t y) {
        const int32_t width = image.width;
        if (x <= 0 || y <= 0 || x >= width - 1 || y >= image.height - 1) {
            queueBorderNeighbours(x, y);
            return;
        }
        // Inside the picture every neighbour exists: index arithmetic only.
        uint8_t* marks = image.visitedMarks().data();
        const uint32_t* pixels = image.pixelData().data();
        const size_t w = static_cast<size_t>(width);
        const size_t index = static_cast<size_t>(y) * w + static_cast<size_t>(x);
        auto examine = [&](size_t n, int32_t nx, int32_t ny) {
            if (marks[n] != 0) return;
            marks[n] = 1;
            if (pixels[n] == BLACK) queue.push(nx, ny);
        };
        examine(index + 1, x + 1, y);
        examine(index + w + 1, x + 1, y + 1);
        examine(index + w, x, y + 1);
        examine(index + w - 1, x - 1, y + 1);
        examine(index - 1, x - 1, y);
        examine(index - w - 1, x - 1, y - 1);
        examine(index - w, x, y - 1);
        examine(index - w + 1, x + 1, y - 1);
    }
    void queueBorderNeighbours(int32_t x, int32_t y);
    void examine(int64_t x, int64_t y);

    TVekImage& image;
    TVekPixelQueue queue;
};

}  // namespace orvel
