#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/VekBitmap.h"
#include "foundation/VekPoint.h"

namespace orvel {

constexpr uint32_t BLACK = 0x000000;
constexpr uint32_t WHITE = 0xFFFFFF;

// The picture model of every reader: width × height colour values 0x00RRGGBB
// indexed [x][y] (stored row-major in one buffer), with one visited mark per
// pixel for region walks. Reads outside the picture return WHITE; writes
// outside it are ignored.
class TVekImage {
public:
    int32_t width = 0;
    int32_t height = 0;
    bool blackAndWhite = false;  // every pixel read from the bitmap is BLACK or WHITE

    // Blank picture, every pixel WHITE.
    TVekImage(int32_t width, int32_t height);
    // Takes the raster over; the image keeps it.
    explicit TVekImage(TVekBitmap bitmap);
    // Decodes the JPEG picture into a raster; the image keeps both. Raises
    // TVekException when the data is not a decodable JPEG picture.
    explicit TVekImage(TVekJpegPicture jpeg);

    TVekImage(TVekImage&&) noexcept = default;
    TVekImage& operator=(TVekImage&&) noexcept = default;
    TVekImage(const TVekImage&) = delete;
    TVekImage& operator=(const TVekImage&) = delete;

    // An independent copy of the picture, whatever it was built from; the
    // visited marks start empty. A picture loaded from a raster is copied as
    // loaded (pixels changed since, e.g. by a contrast stretch, are not
    // carried over); a blank picture copies its pixels.
    TVekImage getCopy() const;

    uint32_t getPixelInt(int32_t x, int32_t y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return WHITE;
        return pixels_[static_cast<size_t>(y) * width + x];
    }
    uint32_t getPixel(double x, double y) const;
    uint32_t getPixelAt(const TVekPoint* point) const;
    uint32_t getPixelAt(const TVekPoint& point) const { return getPixel(point.x, point.y); }
    bool isBlack(int32_t x, int32_t y) const { return getPixelInt(x, y) == BLACK; }

    void setPixel(int32_t x, int32_t y, uint32_t value) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        pixels_[static_cast<size_t>(y) * width + x] = value;
    }

    // Grey level 0 ... 255 of the pixel nearest to (x, y).
    int32_t getGrey(double x, double y) const;

    // Visited marks. Outside the picture a position counts as visited and
    // cannot be marked, so a walk never leaves the picture.
    void clearVisited();
    void setVisited(int32_t x, int32_t y) {
        if (x < 0 || y < 0 || x >= width || y >= height || visited_.empty()) return;
        visited_[static_cast<size_t>(y) * width + x] = 1;
    }
    void setVisitedAt(const TVekPoint& point);
    bool isVisited(int32_t x, int32_t y) const {
        if (x < 0 || y < 0 || x >= width || y >= height || visited_.empty()) return true;
        return visited_[static_cast<size_t>(y) * width + x] != 0;
    }
    bool isVisitedAt(const TVekPoint& point) const;
    // The marks themselves, row-major like the pixels; empty until the first
    // clearVisited. Region walks read and write them directly.
    const std::vector<uint8_t>& visitedMarks() const { return visited_; }
    std::vector<uint8_t>& visitedMarks() { return visited_; }
    // The seed search of a walk over every region: from pixel `index` on, in
    // row-major order, marks each unvisited pixel it passes and stops at the
    // first unvisited BLACK one (marked too). Returns that pixel's index, or
    // width × height when there is none. Sets up missing marks.
    size_t markToNextUnvisitedBlack(size_t index);

    // The neighbouring pixel in direction 1 ... 8 (east, south-east, south,
    // south-west, west, north-west, north, north-east), or none outside.
    std::optional<TVekPoint> getNeighbour(const TVekPoint& point, int direction) const;
    // True when a direct neighbour is missing or not BLACK.
    bool isEdgePixel(const TVekPoint& point) const;

    void fillWhiteHoles();
    void removeHorizontalLines();

    const std::optional<TVekBitmap>& bitmap() const { return bitmap_; }
    const std::optional<TVekJpegPicture>& jpegImage() const { return jpegImage_; }
    // The pixel buffer, row-major (index y × width + x).
    const std::vector<uint32_t>& pixelData() const { return pixels_; }
    std::vector<uint32_t>& pixelData() { return pixels_; }

private:
    void loadBitmap(TVekBitmap bitmap);

    std::vector<uint32_t> pixels_;
    std::vector<uint8_t> visited_;
    std::optional<TVekJpegPicture> jpegImage_;
    std::optional<TVekBitmap> bitmap_;
};

// Grey level of a colour value: Round(R·0.3333 + G·0.3333 + B·0.3333 + 0.5).
int32_t greyOf(uint32_t colour);

}  // namespace orvel
