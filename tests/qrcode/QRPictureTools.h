#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/VekImage.h"

namespace orvel::test {

// A QR symbol rendered by zint with its quiet zone at `modulePixels` pixels per
// module, written to `path` (.bmp) and loaded; none when zint fails.
std::optional<TVekImage> renderQRPicture(const std::string& zintArguments, int modulePixels,
                                         const std::filesystem::path& path);

// The picture turned clockwise by quarters x 90 degrees (exact).
TVekImage rotateQuarters(const TVekImage& image, int quarters);

// The picture turned clockwise by any angle about its centre, on a white
// canvas large enough to hold it; grey levels interpolated bilinearly.
TVekImage rotateByDegrees(const TVekImage& image, double degrees);

// Two pictures side by side on white, `gap` pixels apart, tops aligned.
TVekImage sideBySide(const TVekImage& left, const TVekImage& right, int gap);

// The picture compressed as a baseline JPEG by libjpeg.
std::vector<uint8_t> encodeJpeg(const TVekImage& image, int quality);
// The picture after a JPEG round trip through libjpeg and the library's decoder.
TVekImage jpegRoundTrip(const TVekImage& image, int quality);
void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace orvel::test
