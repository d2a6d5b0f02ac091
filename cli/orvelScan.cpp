// orvel-scan: the command-line scanner. Reads pictures with readBarcodes;
// --classic runs the demonstration program's scan steps on each picture, and
// --demo replays its five buttons on the demo's folders.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/VekAnnotation.h"
#include "cli/VekFileScan.h"
#include "cli/VekJsonWriter.h"
#include "cli/VekOrderedPool.h"
#include "cli/VekPictureCollector.h"
#include "cli/VekPictureScan.h"
#include "cli/VekReportMerger.h"
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
        const std::filesystem::path familyPath = folder / familyFolder(family);
        if (const std::string problem = folderProblem(familyPath); !problem.empty())
            std::cerr << "orvel-scan: " << toUtf8(familyPath.string()) << ": " << problem << '\n';
        try {
            scanFolder(family, familyPath, printLine);
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

int runClassic(const TVekScanOptions& options) {
    const std::vector<std::filesystem::path> files = collectClassicFiles(options.paths);
    int status = exitAllLoaded;
    TProgressCounter progress(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        progress.show(i, files[i].string());
        const TVekFileReport report = scanFileClassic(files[i], options.families);
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

// The text with each control character as \xHH, so that one symbol stays on
// one line.
std::string printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out;
}

void printPictureReport(const TVekPictureReport& report, TVekTextMode mode) {
    if (report.error) {
        std::cout.flush();
        std::cerr << "orvel-scan: " << toUtf8(*report.error) << '\n';
        return;
    }
    std::cout << toUtf8(report.file) << '\n';
    for (const TVekBarcode& barcode : report.barcodes) {
        std::cout << "  " << formatName(barcode.format) << ": ";
        if (barcode.isValid) {
            std::cout << printable(toUtf8(barcode.text(mode))) << '\n';
        } else {
            std::cout << "(not decoded: " << toUtf8(barcode.error) << ")\n";
        }
    }
    for (const std::string& part : report.partsJoinedElsewhere) std::cout << "  " << toUtf8(part) << '\n';
    if (report.barcodes.empty() && report.partsJoinedElsewhere.empty())
        std::cout << "  " << noBarcodeFoundLine << '\n';
}

// Writes the annotated picture and the debug picture after the read, as part
// of the file's work.
TVekPictureSink pictureSink(const TVekScanOptions& options, const TVekDebugDrawing& drawing) {
    if (!options.annotate && !options.debugPng) return {};
    return [&options, &drawing](const TVekImage& image, const TVekBarcodes& barcodes) {
        if (options.annotate) writePngFile(*options.annotate, annotatePicture(image, barcodes));
        if (options.debugPng) writePngFile(*options.debugPng, drawDebugPicture(image, drawing));
    };
}

int runPictures(const TVekScanOptions& options) {
    const TVekPictureList list = collectPictures(options.paths, options.recurse);
    int status = exitAllLoaded;
    for (const std::string& note : list.notes) {
        std::cerr << "orvel-scan: " << toUtf8(note) << '\n';
        status = exitSomeFailed;
    }
    if (options.debugPng && list.files.size() != 1) {
        std::cerr << "orvel-scan: --debug-png needs exactly one picture, not " << list.files.size()
                  << "\nTry 'orvel-scan --help' for more information.\n";
        return exitUsage;
    }
    if (options.annotate && list.files.size() != 1) {
        std::cerr << "orvel-scan: --annotate needs exactly one picture, not " << list.files.size()
                  << "\nTry 'orvel-scan --help' for more information.\n";
        return exitUsage;
    }
    const std::vector<std::string>& files = list.files;
    std::vector<TVekPictureReport> reports(files.size());
    TVekDebugDrawing drawing;
    const TVekPictureSink sink = pictureSink(options, drawing);
    TVekDebugDrawing* debug = options.debugPng ? &drawing : nullptr;
    const auto print = [&](const TVekPictureReport& report) {
        if (report.error) status = exitSomeFailed;
        if (options.json) {
            std::cout << pictureReportToJson(report, options.textMode) << '\n';
        } else {
            printPictureReport(report, options.textMode);
        }
        std::cout.flush();
    };
    TProgressCounter progress(files.size());
    if (!files.empty()) progress.show(0, files[0]);
    TVekOrderedPool(options.jobs).run(
        files.size(),
        [&](size_t i) {
            reports[i] = readPictureFile(files[i], options.reader, sink, debug);
            if (options.merge && !options.mergeAcross) mergeWithinPicture(reports[i]);
        },
        [&](size_t i) {
            progress.clear();
            // Across pictures, nothing is printed before the last one is read.
            if (!options.mergeAcross) print(std::exchange(reports[i], {}));
            if (i + 1 < files.size()) progress.show(i + 1, files[i + 1]);
        });
    if (options.mergeAcross) {
        mergeAcrossPictures(reports);
        for (const TVekPictureReport& report : reports) print(report);
    }
    return status;
}

}  // namespace

// A scan whose results could not be written (a full disk, a closed pipe) has
// failed whatever it read: say so instead of leaving an empty or cut output
// behind a success status.
int withOutputChecked(int status) {
    std::cout.flush();
    errno = 0;
    const bool written = std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout.good();
    if (written) return status;
    const int error = errno;
    std::cerr << "orvel-scan: cannot write to standard output"
              << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
    return exitSomeFailed;
}

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
        return withOutputChecked(exitAllLoaded);
    }
    if (options.demoFolder) return withOutputChecked(runDemo(*options.demoFolder));
    if (options.classic) return withOutputChecked(runClassic(options));
    return withOutputChecked(runPictures(options));
}
