#include "foundation/VekImage.h"

#include <algorithm>
#include <array>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

#include "foundation/VekException.h"
#include "foundation/VekJpegDecoder.h"
#include "foundation/VekUtil.h"

namespace orvel {

namespace {

// The grey formula depends only on R + G + B: the sum k·0.3333 + 0.5 never
// lies exactly on a .5 tie for k ≤ 765, so one table of 766 entries gives the
// same results as the per-channel extended-precision sum.
std::array<uint8_t, 766> makeGreyTable() {
    std::array<uint8_t, 766> table{};
    for (int k = 0; k < 766; ++k) {
        const long double sum = static_cast<long double>(k) * 0.3333L + 0.5L;
        table[k] = static_cast<uint8_t>(std::nearbyintl(sum));
    }
    return table;
}

const std::array<uint8_t, 766>& greyTable() {
    static const std::array<uint8_t, 766> table = makeGreyTable();
    return table;
}

// An empty buffer with room for `count` values. Large buffers ask the kernel
// for 2 MiB pages before the first touch: faulting in 4 KiB pages one by one
// costs a 12-megapixel picture more than thresholding it, and a region walk
// that steps from row to row would miss the address cache at every row. The
// caller fills it (assign), which is the first touch.
template <class T>
std::vector<T> largeBuffer(size_t count) {
    std::vector<T> buffer;
    buffer.reserve(count);
#ifdef __linux__
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(buffer.data());
    const uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t last = (begin + count * sizeof(T)) & ~(kLargePage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);  // only a hint
#endif
    return buffer;
}

template <class T>
std::vector<T> largeBuffer(size_t count, T value) {
    std::vector<T> buffer = largeBuffer<T>(count);
    buffer.assign(count, value);
    return buffer;
}

}  // namespace

int32_t greyOf(uint32_t colour) {
    const uint32_t sum = ((colour >> 16) & 0xFF) + ((colour >> 8) & 0xFF) + (colour & 0xFF);
    return greyTable()[sum];
}

TVekImage::TVekImage(int32_t width, int32_t height)
    : width(width < 0 ? 0 : width), height(height < 0 ? 0 : height),
      pixels_(largeBuffer<uint32_t>(static_cast<size_t>(this->width) * this->height, WHITE)) {}

TVekImage::TVekImage(TVekBitmap bitmap) { loadBitmap(std::move(bitmap)); }

TVekImage::TVekImage(TVekJpegPicture jpeg) {
#ifdef ORVEL_NO_PICTURE_LOADERS
    // A build without the picture loaders is handed decoded pixels only.
    (void)jpeg;
    throw TVekException("this build has no JPEG decoder");
#else
    TVekBitmap bitmap = decodeJpeg(jpeg.data);
    jpegImage_ = std::move(jpeg);
    loadBitmap(std::move(bitmap));
#endif
}

void TVekImage::loadBitmap(TVekBitmap bitmap) {
    blackAndWhite = true;
    width = bitmap.width;
    height = bitmap.height;
    pixels_ = largeBuffer<uint32_t>(static_cast<size_t>(width) * height, WHITE);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = bitmap.row(y);
        uint32_t* out = pixels_.data() + static_cast<size_t>(y) * width;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t value = (uint32_t{row[3 * x + 2]} << 16) | (uint32_t{row[3 * x + 1]} << 8) | row[3 * x];
            out[x] = value;
            if (value != BLACK && value != WHITE) blackAndWhite = false;
        }
    }
    bitmap_ = std::move(bitmap);
}

TVekImage TVekImage::getCopy() const {
    // A picture loaded from a raster is copied from that raster, as it was
    // loaded: the 1D reader's retry relies on getting the picture without the
    // contrast stretch its first pass made in place.
    if (bitmap_) return TVekImage(TVekBitmap(*bitmap_));
    // A picture built blank (and drawn on) has only its pixels to copy.
    TVekImage copy(0, 0);
    copy.width = width;
    copy.height = height;
    copy.blackAndWhite = blackAndWhite;
    copy.pixels_ = largeBuffer<uint32_t>(pixels_.size());
    copy.pixels_.assign(pixels_.begin(), pixels_.end());
    return copy;
}

uint32_t TVekImage::getPixel(double x, double y) const { return getPixelInt(vekRoundInt(x), vekRoundInt(y)); }

uint32_t TVekImage::getPixelAt(const TVekPoint* point) const {
    return point == nullptr ? WHITE : getPixel(point->x, point->y);
}

int32_t TVekImage::getGrey(double x, double y) const { return greyOf(getPixel(x, y)); }

void TVekImage::clearVisited() {
    const size_t count = static_cast<size_t>(width) * height;
    if (visited_.size() == count) {
        std::fill(visited_.begin(), visited_.end(), uint8_t{0});
    } else {
        visited_ = largeBuffer<uint8_t>(count, 0);
    }
}

size_t TVekImage::markToNextUnvisitedBlack(size_t index) {
    const size_t count = static_cast<size_t>(width) * height;
    if (visited_.size() != count) clearVisited();
    uint8_t* marks = visited_.data();
    const uint32_t* pixels = pixels_.data();
#ifdef __SSE2__
    // Sixteen pixels at a time: a block without an unvisited BLACK pixel ends
    // up all marked, which a single store does (marks are 0 or 1).
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi8(1);
    for (; index + 16 <= count; index += 16) {
        const __m128i* block = reinterpret_cast<const __m128i*>(pixels + index);
        const __m128i black03 = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(block), zero),
                                                _mm_cmpeq_epi32(_mm_loadu_si128(block + 1), zero));
        const __m128i black47 = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(block + 2), zero),
                                                _mm_cmpeq_epi32(_mm_loadu_si128(block + 3), zero));
        const __m128i black = _mm_packs_epi16(black03, black47);
        const __m128i unvisited = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(marks + index)), zero);
        const int seeds = _mm_movemask_epi8(_mm_and_si128(black, unvisited));
        if (seeds == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(marks + index), ones);
            continue;
        }
        const size_t seed = index + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(seeds)));
        std::fill(marks + index, marks + seed + 1, uint8_t{1});
        return seed;
    }
#endif
    for (; index < count; ++index) {
        if (marks[index] != 0) continue;
        marks[index] = 1;
        if (pixels[index] == BLACK) return index;
    }
    return count;
}

void TVekImage::setVisitedAt(const TVekPoint& point) { setVisited(vekRoundInt(point.x), vekRoundInt(point.y)); }

bool TVekImage::isVisitedAt(const TVekPoint& point) const {
    return isVisited(vekRoundInt(point.x), vekRoundInt(point.y));
}

std::optional<TVekPoint> TVekImage::getNeighbour(const TVekPoint& point, int direction) const {
    const double x = point.x;
    const double y = point.y;
    switch (direction) {
        case 1: if (x < width - 1) return TVekPoint(x + 1, y); break;
        case 2: if (y < height - 1 && x < width - 1) return TVekPoint(x + 1, y + 1); break;
        case 3: if (y < height - 1) return TVekPoint(x, y + 1); break;
        case 4: if (x > 0 && y < height - 1) return TVekPoint(x - 1, y + 1); break;
        case 5: if (x > 0) return TVekPoint(x - 1, y); break;
        case 6: if (x > 0 && y > 0) return TVekPoint(x - 1, y - 1); break;
        case 7: if (y > 0) return TVekPoint(x, y - 1); break;
        case 8: if (x < width - 1 && y > 0) return TVekPoint(x + 1, y - 1); break;
        default: break;
    }
    return std::nullopt;
}

bool TVekImage::isEdgePixel(const TVekPoint& point) const {
    for (int direction : {1, 3, 5, 7}) {
        const auto neighbour = getNeighbour(point, direction);
        if (!neighbour || getPixelAt(*neighbour) != BLACK) return true;
    }
    return false;
}

void TVekImage::fillWhiteHoles() {
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            if (getPixelInt(x, y) != WHITE) continue;
            const bool enclosed = isBlack(x, y - 1) && isBlack(x, y + 1) && isBlack(x + 1, y) &&
                                  isBlack(x - 1, y) && isBlack(x - 1, y - 1) && isBlack(x + 1, y + 1) &&
                                  isBlack(x + 1, y - 1) && isBlack(x - 1, y + 1);
            if (enclosed) setPixel(x, y, BLACK);
        }
    }
}

namespace {

// Counts white pixels from (x, y) in steps of `step` rows, stopping when either
// count passes 15 or 30 pixels were taken.
int countWhiteAlongColumn(const TVekImage& image, int32_t x, int32_t y, int step) {
    int white = 0, black = 0;
    for (int m = 0; m < 30 && white <= 15 && black <= 15; ++m) {
        if (image.getPixelInt(x, y + step * m) == WHITE) ++white;
        else ++black;
    }
    return white;
}

}  // namespace

void TVekImage::removeHorizontalLines() {
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            if (getPixelInt(x, y) != BLACK || getPixelInt(x, y - 1) != WHITE) continue;
            const bool darkRight = isBlack(x + 1, y) || isBlack(x + 1, y - 1) || isBlack(x + 1, y + 1);
            const bool darkLeft = isBlack(x - 1, y) || isBlack(x - 1, y - 1) || isBlack(x - 1, y + 1);
            if (!darkRight || !darkLeft) continue;
            if (countWhiteAlongColumn(*this, x, y, -1) > 15 && countWhiteAlongColumn(*this, x, y, 1) > 15) {
                for (int k = 0; k <= 9; ++k) {
                    setPixel(x, y + k, WHITE);
                    setPixel(x, y - k, WHITE);
                }
            }
        }
    }
}

}  // namespace orvel
