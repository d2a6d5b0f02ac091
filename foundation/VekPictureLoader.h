#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/VekBitmap.h"
#include "foundation/VekImage.h"

namespace orvel {

// Decodes a Windows bitmap file (1-, 4-, 8-bit palette, 16-, 24-, 32-bit;
// bottom-up or top-down; BI_RGB or BI_BITFIELDS) into a 24-bit raster. Every
// header field is checked against the data before anything is allocated;
// anything else raises TVekException naming the problem.
TVekBitmap decodeBmp(const std::vector<uint8_t>& data);

// Loads a picture file into a TVekImage: ".jpg" as a JPEG picture, ".bmp" as a
// bitmap (by extension, any case; other names by their content). Raises
// TVekException with the message "<file>: <problem>" when the file cannot be
// read or decoded.
TVekImage loadPictureFile(const std::filesystem::path& path);

// Decodes a picture held in memory, the first bytes choosing the decoder;
// `name` stands for the file in the message "<name>: <problem>".
TVekImage decodePicture(std::vector<uint8_t> data, const std::string& name);

}  // namespace orvel
