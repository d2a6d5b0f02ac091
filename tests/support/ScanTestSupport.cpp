#include "support/ScanTestSupport.h"

#include <fstream>

namespace orvel::test {

std::filesystem::path blankPicture(const std::string& name) {
    return std::filesystem::path(ORVEL_SOURCE_DIR) / "tests" / "data" / "shell" / name;
}

void placeBlankPicture(const std::string& name, const std::filesystem::path& target) {
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(blankPicture(name), target, std::filesystem::copy_options::overwrite_existing);
}

void placeJunkFile(const std::filesystem::path& target) {
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << "this is not a picture";
}

std::vector<std::string> readLines(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> emptyFolderScanLog(const std::vector<std::string>& names) {
    std::vector<std::string> lines;
    for (const std::string& name : names) {
        lines.push_back("Scanning " + name);
        lines.push_back("No barcode found ");
        lines.push_back("");
    }
    lines.push_back("");
    lines.push_back("Done.");
    return lines;
}

}  // namespace orvel::test
