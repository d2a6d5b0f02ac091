#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/VekBitmap.h"
#include "foundation/VekImage.h"
#include "foundation/VekLoadedPixels.h"

namespace orvel {

// Decodes a Windows bitmap file (1-, 4-, 8-bit palette, 16-, 24-, 32-bit;
// bottom-up or top-down; BI_RGB, BI_BITFIELDS, or run-length encoded 8- and
// 4-bit BI_RLE8 and BI_RLE4) into a 24-bit raster. Every header field is
// checked against the data before anything is allocated; anything else
// raises TVekException naming the problem.
TVekBitmap decodeBmp(const std::vector<uint8_t>& data);

// Loads a picture file into a TVekImage: ".jpg" as a JPEG picture, ".bmp" as a
// bitmap (by extension, any case; other names by their content). Raises
// TVekException with the message "<file>: <problem>" when the file cannot be
// read or decoded.
TVekImage loadPictureFile(const std::filesystem::path& path);

// Loads a picture file whatever its name: the first bytes choose the decoder
// (PNG, JPEG or BMP), so a bitmap named ".jpg" loads as a bitmap. Raises
// TVekException with the message "<file>: <problem>".
TVekImage loadPicture(const std::filesystem::path& path);

// Decodes a picture held in memory like loadPicture; `name` stands for the
// file in the message "<name>: <problem>".
TVekImage decodePicture(std::vector<uint8_t> data, const std::string& name);

// Loads a picture file like loadPicture, as rows for readBarcodes: the file's
// own bytes when it is an uncompressed 24-bit bitmap, the decoded raster
// otherwise, and no colour picture. The same pixels and errors as loadPicture.
TVekLoadedPixels loadPicturePixels(const std::filesystem::path& path);

// Decodes a picture held in memory like loadPicturePixels; `name` stands for
// the file in the message "<name>: <problem>".
TVekLoadedPixels decodePicturePixels(std::vector<uint8_t> data, const std::string& name);

// Reads a whole stream (standard input) into memory, refusing more bytes than
// the largest accepted picture file can hold; "<name>: <problem>" otherwise.
std::vector<uint8_t> readPictureStream(std::FILE* stream, const std::string& name);

}  // namespace orvel
