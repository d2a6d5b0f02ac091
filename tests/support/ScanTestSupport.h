#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvel::test {

// Pictures without any symbol, committed under tests/data/shell/:
// "blank.bmp" (24-bit bitmap) and "blank.jpg".
std::filesystem::path blankPicture(const std::string& name);

// Copies a blank picture to target, creating its folder.
void placeBlankPicture(const std::string& name, const std::filesystem::path& target);

// Writes a file that is no picture at all, creating its folder.
void placeJunkFile(const std::filesystem::path& target);

// The lines of a text file, without their line breaks.
std::vector<std::string> readLines(const std::filesystem::path& path);

// The log lines of one scan-button click on a folder in which every picture
// holds no symbol: "Scanning " + name, "No barcode found ", "" for each name,
// then "" and "Done.".
std::vector<std::string> emptyFolderScanLog(const std::vector<std::string>& names);

}  // namespace orvel::test
