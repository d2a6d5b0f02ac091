#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/VekException.h"
#include "scan/VekScanFamily.h"

namespace orvel {

// The command line of orvel-scan.
struct TVekScanOptions {
    bool help = false;
    std::optional<std::filesystem::path> demoFolder;  // --demo DIR
    std::vector<TVekScanFamily> families{allScanFamilies.begin(), allScanFamilies.end()};
    bool json = false;
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
