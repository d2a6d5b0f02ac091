#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "foundation/VekImage.h"
#include "support/PictureTools.h"

namespace orvel::test {

// A linear symbol rendered by zint at a whole number of pixels per module,
// with a white margin around it; none when zint fails.
std::optional<TVekImage> renderLinearSymbol(const std::string& zintArguments, int modulePixels,
                                            const std::filesystem::path& path, int margin = 20);

}  // namespace orvel::test
