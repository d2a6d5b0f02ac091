#include "scan/VekFolderScan.h"

#include <algorithm>
#include <system_error>

#include "foundation/VekPictureLoader.h"
#include "scan/VekScanStep.h"

namespace orvel {

namespace {

// Length in characters of a UTF-8 name (continuation bytes do not count).
size_t characterCount(const std::string& name) {
    return static_cast<size_t>(std::count_if(name.begin(), name.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string asciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

bool isPictureName(const std::string& name) {
    if (characterCount(name) <= 4) return false;
    const std::string extension = asciiLower(name.substr(name.size() - 4));
    return extension == ".jpg" || extension == ".bmp";
}

std::vector<std::string> listFolder(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return names;
    for (const std::filesystem::directory_entry& entry : entries) {
        std::error_code statusError;
        if (entry.is_directory(statusError)) continue;
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string folderProblem(const std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (status.type() == std::filesystem::file_type::not_found) return "no such folder";
    if (error) return "cannot read the folder: " + error.message();
    if (!std::filesystem::is_directory(status)) return "not a folder";
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return "cannot read the folder: " + error.message();
    return "";
}

std::vector<std::string> listPictures(const std::filesystem::path& folder) {
    std::vector<std::string> names = listFolder(folder);
    std::erase_if(names, [](const std::string& name) { return !isPictureName(name); });
    return names;
}

void logResults(const TVekScanResults& results, const TVekLogSink& log) {
    if (results.empty()) {
        log(noBarcodeFoundLine);
        return;
    }
    for (const TVekScanResult& result : results) {
        for (const std::string& line : result.logLines) log(line);
    }
}

void scanFolder(TVekScanFamily family, const std::filesystem::path& folder, const TVekLogSink& log) {
    writeStartOfClickSettings(family);
    for (const std::string& name : listPictures(folder)) {
        TVekImage image = loadPictureFile(folder / name);
        log("Scanning " + name);
        const TVekScanResults results = scanPicture(family, image);
        logResults(results, log);
        log("");
    }
    log("");
    log("Done.");
}

}  // namespace orvel
