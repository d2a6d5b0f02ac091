// orvel-scan: the command-line scanner. Runs the same scan steps as the
// demonstration program, on the demo's folders (--demo) or on given pictures.

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/VekFileScan.h"
#include "cli/VekJsonWriter.h"
#include "cli/VekScanOptions.h"
#include "scan/VekFolderScan.h"
#include "scan/VekScanStep.h"

namespace {

using namespace orvel;

constexpr int exitAllLoaded = 0;
constexpr int exitSomeFailed = 1;
constexpr int exitUsage = 2;

void printLine(const std::string& line) { std::cout << latin1ToUtf8(line) << '\n'; }

// The five buttons in order, as one long demo session: settings written by a
// click stay for the next ones. A click that ends with an error leaves its
// message on stderr and the next button still runs.
int runDemo(const std::filesystem::path& folder) {
    int status = exitAllLoaded;
    for (TVekScanFamily family : allScanFamilies) {
        try {
            scanFolder(family, folder / familyFolder(family), printLine);
        } catch (const std::exception& failure) {
            std::cout.flush();
            std::cerr << "orvel-scan: " << toUtf8(failure.what()) << '\n';
            status = exitSomeFailed;
        }
    }
    return status;
}

// "[3/10] name" on one line of stderr while that file is scanned; cleared
// before the file's report is printed, since stdout is often the same
// terminal.
class TProgressCounter {
public:
    explicit TProgressCounter(size_t total) : total_(total), shown_(total > 1 && isatty(STDERR_FILENO)) {}
    ~TProgressCounter() { clear(); }
    void show(size_t index, const std::string& file) {
        if (!shown_) return;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", index + 1, total_, toUtf8(file).c_str());
        std::fflush(stderr);
    }
    void clear() {
        if (!shown_) return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }

private:
    size_t total_;
    bool shown_;
};

void printPlainReport(const TVekFileReport& report) {
    std::cout << toUtf8(report.file) << '\n';
    for (const TVekScanResult& result : report.results) {
        if (result.logLines.empty()) continue;
        std::cout << "  " << familyName(result.family) << ": " << latin1ToUtf8(result.logLines.front()) << '\n';
    }
    if (report.error) {
        std::cout << "  error: " << toUtf8(*report.error) << '\n';
    } else if (report.results.empty()) {
        std::cout << "  " << noBarcodeFoundLine << '\n';
    }
}

int runFiles(const TVekScanOptions& options) {
    const std::vector<std::filesystem::path> files = collectFiles(options.paths);
    int status = exitAllLoaded;
    TProgressCounter progress(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        progress.show(i, files[i].string());
        const TVekFileReport report = scanFile(files[i], options.families);
        progress.clear();
        if (report.error) status = exitSomeFailed;
        if (options.json) {
            std::cout << reportToJson(report) << '\n';
        } else {
            printPlainReport(report);
        }
        std::cout.flush();
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    TVekScanOptions options;
    try {
        options = parseScanOptions(arguments);
    } catch (const TVekUsageError& error) {
        std::cerr << "orvel-scan: " << error.what() << "\nTry 'orvel-scan --help' for more information.\n";
        return exitUsage;
    }
    if (options.help) {
        std::cout << scanHelpText();
        return exitAllLoaded;
    }
    if (options.demoFolder) return runDemo(*options.demoFolder);
    return runFiles(options);
}
