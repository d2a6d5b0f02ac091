#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "foundation/VekBitmap.h"
#include "foundation/VekImage.h"

namespace orvel::test {

// Picture helpers shared by the reader tests of every family: turns, layouts
// and JPEG round trips of rendered symbols.

// The picture turned clockwise by quarters x 90 degrees (exact pixel moves).
TVekImage rotateQuarters(const TVekImage& image, int quarters);

// The picture turned clockwise by any angle about its centre, on a white
// canvas large enough to hold it; grey levels interpolated bilinearly.
TVekImage rotateByDegrees(const TVekImage& image, double degrees);

// A blank (white) picture of the given size with the picture pasted at (left, top).
TVekImage pasteOnto(const TVekImage& picture, int width, int height, int left, int top);
// Two pictures side by side on white, `gap` pixels apart, tops aligned.
TVekImage sideBySide(const TVekImage& left, const TVekImage& right, int gap);
// Two pictures above each other on white, `gap` pixels apart, left edges aligned.
TVekImage placeAbove(const TVekImage& top, const TVekImage& bottom, int gap);

// How encodeJpeg writes: grey (one channel, from the blue byte of a BGR raster)
// or colour, baseline or progressive, at a quality.
struct TJpegOptions {
    bool grey = false;
    bool progressive = false;
    int quality = 95;
};

// The raster compressed as a JPEG by libjpeg.
std::vector<uint8_t> encodeJpeg(const TVekBitmap& bitmap, const TJpegOptions& options);
// The picture compressed as a baseline colour JPEG by libjpeg.
std::vector<uint8_t> encodeJpeg(const TVekImage& image, int quality);
// The picture after a JPEG round trip through libjpeg and the library's decoder.
TVekImage jpegRoundTrip(const TVekImage& image, int quality);

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace orvel::test
