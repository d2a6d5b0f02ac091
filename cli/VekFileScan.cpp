#include "cli/VekFileScan.h"

#include <chrono>
#include <exception>
#include <system_error>

#include "foundation/VekPictureLoader.h"
#include "foundation/VekROrvelConfiguration.h"
#include "scan/VekFolderScan.h"
#include "scan/VekScanStep.h"

namespace orvel {

std::vector<std::filesystem::path> collectClassicFiles(const std::vector<std::string>& paths) {
    std::vector<std::filesystem::path> files;
    for (const std::string& path : paths) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            for (const std::string& name : listPictures(path)) files.push_back(std::filesystem::path(path) / name);
        } else {
            files.emplace_back(path);
        }
    }
    return files;
}

TVekFileReport scanFileClassic(const std::filesystem::path& file, const std::vector<TVekScanFamily>& families) {
    const auto start = std::chrono::steady_clock::now();
    TVekFileReport report;
    report.file = file.string();
    try {
        TVekImage image = loadPictureFile(file);
        for (TVekScanFamily family : families) {
            // Each family as if its button were the first one clicked, so a
            // file's results do not depend on the other families chosen.
            orvelConfiguration = TVekROrvelConfiguration{};
            writeStartOfClickSettings(family);
            TVekScanResults results = scanPicture(family, image);
            for (TVekScanResult& result : results) report.results.push_back(std::move(result));
        }
    } catch (const std::exception& failure) {
        report.error = failure.what();
    }
    report.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return report;
}

}  // namespace orvel
