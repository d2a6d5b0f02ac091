#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/VekBarcode.h"
#include "foundation/VekException.h"
#include "foundation/VekReaderOptions.h"
#include "scan/VekScanFamily.h"

namespace orvel {

// The command line of orvel-scan.
struct TVekScanOptions {
    bool help = false;
    std::optional<std::filesystem::path> demoFolder;  // --demo DIR
    bool classic = false;                             // --classic: the demo's scan steps per file
    std::vector<TVekScanFamily> families{allScanFamilies.begin(), allScanFamilies.end()};
    // What readBarcodes is asked for: --formats and --family (both add to the
    // formats), --try-harder, --no-rotate, --no-invert, --pure, --errors.
    TVekReaderOptions reader;
    bool json = false;
    TVekTextMode textMode = TVekTextMode::plain;  // --text-mode
    bool merge = false;        // --merge: structured-append parts joined within a picture
    bool mergeAcross = false;  // --merge-across: and across the pictures of the run
    int jobs = 1;     // -j N: files read at once
    bool recurse = false;  // -r: folders' sub-folders too
    std::optional<std::filesystem::path> annotate;  // --annotate OUT.png
    std::optional<std::filesystem::path> debugPng;  // --debug-png OUT.png
    std::vector<std::string> paths;
};

// A command line orvel-scan does not understand; the message says why.
class TVekUsageError : public TVekException {
public:
    using TVekException::TVekException;
};

// Parses the arguments after the program name. Raises TVekUsageError.
TVekScanOptions parseScanOptions(const std::vector<std::string>& arguments);

// The text of --help.
std::string scanHelpText();

}  // namespace orvel
