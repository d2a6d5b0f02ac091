#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "scan/VekScanFamily.h"
#include "scan/VekScanResult.h"

namespace orvel {

// What orvel-scan --classic found in one file.
struct TVekFileReport {
    std::string file;
    double ms = 0.0;                   // time to load and scan
    std::optional<std::string> error;  // why the file could not be loaded or scanned
    TVekScanResults results;
};

// The files named by the command line: a folder stands for its pictures
// (the demo's name rules, sorted by name), anything else for itself.
std::vector<std::filesystem::path> collectClassicFiles(const std::vector<std::string>& paths);

// Loads the file and runs the families on it in the given order, each from
// the default settings and with its button's settings. Never raises: a
// failure is the report's error, with the results found before it.
TVekFileReport scanFileClassic(const std::filesystem::path& file, const std::vector<TVekScanFamily>& families);

}  // namespace orvel
