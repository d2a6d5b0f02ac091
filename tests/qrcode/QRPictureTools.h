#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "foundation/VekImage.h"

namespace orvel::test {

// A QR symbol rendered by zint with its quiet zone at `modulePixels` pixels per
// module, written to `path` (.bmp) and loaded; none when zint fails.
std::optional<TVekImage> renderQRPicture(const std::string& zintArguments, int modulePixels,
                                         const std::filesystem::path& path);

}  // namespace orvel::test
