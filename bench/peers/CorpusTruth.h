#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/VekBarcode.h"

namespace orvel::bench {

// One picture of a corpus and what it holds.
struct TCorpusEntry {
    std::filesystem::path file;
    std::string symbology;  // "QRCODE", ...; empty without a manifest
    std::string expected;   // the expected bytes; empty without a manifest
};

// The pictures of a corpus folder: the rows of its manifest.tsv (columns
// file, symbology, expected_hex), or else every picture file below it.
std::vector<TCorpusEntry> corpusEntries(const std::filesystem::path& folder);

// True when a decoded content matches the ground truth, allowing for the
// corpus's conventions (UPC as EAN-13 numbers, Codabar with its start and stop
// characters, Code 39 Full ASCII, trailing blanks, text already in UTF-8).
bool matchesTruth(const std::string& symbology, const std::string& bytes, const std::string& utf8Text,
                  const std::string& expected);

}  // namespace orvel::bench
