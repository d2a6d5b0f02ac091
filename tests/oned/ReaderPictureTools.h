#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/VekImage.h"

namespace orvel::test {

// A linear symbol rendered by zint at a whole number of pixels per module,
// with a white margin around it; none when zint fails.
std::optional<TVekImage> renderLinearSymbol(const std::string& zintArguments, int modulePixels,
                                            const std::filesystem::path& path, int margin = 20);

// The picture turned by quarter turns clockwise (exact pixel moves).
TVekImage turnQuarters(const TVekImage& image, int quarters);
// The picture turned by any angle (degrees, clockwise on screen), grey levels
// interpolated bilinearly, on a white background large enough to hold it.
TVekImage turnByDegrees(const TVekImage& image, double degrees);
// Two pictures next to each other with a white gap, tops aligned.
TVekImage placeSideBySide(const TVekImage& left, const TVekImage& right, int gap);
// Two pictures above each other with a white gap, left edges aligned.
TVekImage placeAbove(const TVekImage& top, const TVekImage& bottom, int gap);
// A blank picture of the given size with the picture pasted at (left, top).
TVekImage pasteOnto(const TVekImage& picture, int width, int height, int left, int top);

// Baseline JPEG of the picture at the given quality, made with libjpeg.
std::vector<uint8_t> jpegBytes(const TVekImage& image, int quality);
// The picture after a JPEG round trip.
TVekImage throughJpeg(const TVekImage& image, int quality);

}  // namespace orvel::test
