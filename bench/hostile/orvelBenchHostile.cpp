// orvel_bench_hostile [--only NAME] [--timeout SECONDS] [--runs N] [--families] [--classic] [--save DIR]
//                     [--formats LIST] [--try-harder]
//
// Reads pictures made to stress the candidate searches (see HostilePictures)
// with readBarcodes (every family, default options, failed symbols returned
// so that they can be counted) and with ZXing-C++ (when found at build time),
// each in a forked child so that its peak resident memory (ru_maxrss,
// counting the picture it was given) is its own and a reader that runs away
// is stopped (address space 4 GB, a timeout) without ending the run.
// --families also times each family alone, --classic the documented readers,
// --try-harder reads with tryHarder (ZXing with its defaults, which try harder).
// A picture passes when readBarcodes takes at most max(1 s, 5 × ZXing's time)
// and less than 1 GB.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "hostile/HostilePictures.h"
#include "read/VekReadBarcodes.h"

#include "peers/PeerZXing.h"

namespace orvel::bench {
namespace {

enum class TEnd : int { done, timeout, outOfMemory, crashed };

struct TMeasure {
    TEnd end = TEnd::done;
    double ms = 0;
    double peakMB = 0;
    int valid = 0, distinct = 0, failed = 0;
};

struct TCount {
    int valid = 0, distinct = 0, failed = 0;
};

struct TSettings {
    std::string only;
    int timeoutSeconds = 60;
    int runs = 1;
    bool families = false;
    bool classic = false;
    std::string saveDir;  // also write each picture there as a PGM file
    TVekBarcodeFormats formats;  // of readBarcodes' main reading; empty: all
    bool tryHarder = false;
};

constexpr rlim_t addressLimit = rlim_t{4} << 30;

// Runs `read` (best of `runs`) in a child process and reports its time,
// counts and peak memory.
TMeasure measureInChild(int runs, int timeoutSeconds, const std::function<TCount()>& read) {
    int channel[2];
    if (pipe(channel) != 0) return TMeasure{TEnd::crashed};
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const rlimit limit{addressLimit, addressLimit};
        setrlimit(RLIMIT_AS, &limit);
        alarm(static_cast<unsigned>(timeoutSeconds));
        TMeasure measure;
        measure.ms = 1e300;
        try {
            for (int run = 0; run < runs; ++run) {
                const auto start = std::chrono::steady_clock::now();
                const TCount count = read();
                measure.ms = std::min(measure.ms, std::chrono::duration<double, std::milli>(
                                                      std::chrono::steady_clock::now() - start).count());
                measure.valid = count.valid;
                measure.distinct = count.distinct;
                measure.failed = count.failed;
            }
        } catch (const std::bad_alloc&) {
            measure.end = TEnd::outOfMemory;
        }
        const ssize_t written = write(channel[1], &measure, sizeof measure);
        _exit(written == sizeof measure ? 0 : 1);
    }
    close(channel[1]);
    TMeasure measure;
    const bool received = child > 0 && ::read(channel[0], &measure, sizeof measure) == sizeof measure;
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (child > 0) wait4(child, &status, 0, &usage);
    if (!received) {
        measure = TMeasure{};
        measure.end = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM ? TEnd::timeout : TEnd::crashed;
    }
    // The child's own peak, also when it was stopped.
    measure.peakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return measure;
}

TCount countOurs(const TVekBarcodes& found) {
    TCount count;
    std::set<std::string> contents;
    for (const TVekBarcode& barcode : found) {
        if (!barcode.isValid) {
            ++count.failed;
            continue;
        }
        ++count.valid;
        contents.insert(barcode.bytes);
    }
    count.distinct = static_cast<int>(contents.size());
    return count;
}

std::function<TCount()> oursReading(const TGreyPicture& picture, const TVekReaderOptions& options) {
    return [&picture, options] {
        const TVekImageView view(picture.pixels.data(), picture.width, picture.height, TVekPixelFormat::grey);
        return countOurs(readBarcodes(view, options));
    };
}

#ifdef ORVEL_HAVE_ZXING
std::function<TCount()> peerReading(const TGreyPicture& picture) {
    return [&picture] {
        const ZXing::ImageView view(picture.pixels.data(), picture.width, picture.height, ZXing::ImageFormat::Lum);
        TCount count;
        std::set<std::string> contents;
        for (const TPeerResult& result : ZXing::ReadBarcodes(view, TPeerOptions())) {
            if (!result.isValid()) {
                ++count.failed;
                continue;
            }
            ++count.valid;
            contents.insert(result.text());
        }
        count.distinct = static_cast<int>(contents.size());
        return count;
    };
}
#endif

std::string timeText(const TMeasure& measure) {
    char text[32];
    switch (measure.end) {
        case TEnd::timeout: return "timeout";
        case TEnd::outOfMemory: return "no-memory";
        case TEnd::crashed: return "crashed";
        case TEnd::done: break;
    }
    std::snprintf(text, sizeof text, "%.0f", measure.ms);
    return text;
}

bool passes(const TMeasure& ours, const TMeasure* peer, int timeoutSeconds) {
    if (ours.end != TEnd::done || ours.peakMB >= 1024) return false;
    // A peer stopped by the timeout took at least that long.
    const double peerMs = peer == nullptr ? 0
                          : peer->end == TEnd::done ? peer->ms
                          : peer->end == TEnd::timeout ? 1000.0 * timeoutSeconds : 0;
    return ours.ms <= std::max(1000.0, 5 * peerMs);
}

void printPicture(const THostilePicture& entry, const TGreyPicture& picture, const TSettings& settings) {
    TVekReaderOptions options;
    options.returnErrors = true;
    options.formats = settings.formats;
    options.tryHarder = settings.tryHarder;
    const TMeasure ours = measureInChild(settings.runs, settings.timeoutSeconds, oursReading(picture, options));
    const TMeasure* peer = nullptr;
#ifdef ORVEL_HAVE_ZXING
    const TMeasure peerMeasure = measureInChild(settings.runs, settings.timeoutSeconds, peerReading(picture));
    peer = &peerMeasure;
#endif
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", picture.width, picture.height);
    std::printf("%-17s %-10s %8s %7.0f %5d/%-4d %5d", entry.name.c_str(), size, timeText(ours).c_str(), ours.peakMB,
                ours.valid, ours.distinct, ours.failed);
    if (peer != nullptr)
        std::printf(" %8s %7.0f %5d %7.1f", timeText(*peer).c_str(), peer->peakMB, peer->valid,
                    peer->end == TEnd::done && ours.end == TEnd::done ? ours.ms / std::max(0.01, peer->ms) : 0.0);
    else
        std::printf(" %8s %7s %5s %7s", "-", "-", "-", "-");
    std::printf("  %s", passes(ours, peer, settings.timeoutSeconds) ? "ok" : "OVER");
    if (picture.expectedCodes > 0)
        std::printf(" (%d codes: %s)", picture.expectedCodes,
                    ours.valid == picture.expectedCodes && ours.distinct == picture.expectedCodes &&
                            ours.failed <= picture.expectedCodes
                        ? "each once"
                        : "WRONG");
    std::printf("\n");

    if (settings.families) {
        using F = TVekBarcodeFormat;
        const std::pair<const char*, TVekBarcodeFormats> families[] = {
            {"qr", {F::qrCode}}, {"datamatrix", {F::dataMatrix}}, {"aztec", {F::aztec}},
            {"linear", TVekBarcodeFormats::linear()}, {"pdf417", {F::pdf417}}};
        for (const auto& [name, formats] : families) {
            TVekReaderOptions familyOptions = options;
            familyOptions.formats = formats;
            const TMeasure alone = measureInChild(settings.runs, settings.timeoutSeconds, oursReading(picture, familyOptions));
            std::printf("    %-13s %8s ms %7.0f MB %5d/%d\n", name, timeText(alone).c_str(), alone.peakMB, alone.valid,
                        alone.failed);
        }
    }
    if (settings.classic) {
        TVekReaderOptions classicOptions = options;
        classicOptions.classic = true;
        const TMeasure classic = measureInChild(settings.runs, settings.timeoutSeconds, oursReading(picture, classicOptions));
        std::printf("    %-13s %8s ms %7.0f MB %5d/%d\n", "classic", timeText(classic).c_str(), classic.peakMB,
                    classic.valid, classic.failed);
    }
    std::fflush(stdout);
}

void savePgm(const std::string& path, const TGreyPicture& picture) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return;
    std::fprintf(file, "P5\n%d %d\n255\n", picture.width, picture.height);
    std::fwrite(picture.pixels.data(), 1, picture.pixels.size(), file);
    std::fclose(file);
}

int usage() {
    std::fprintf(stderr,
                 "usage: orvel_bench_hostile [--only NAME] [--timeout SECONDS] [--runs N] [--families] [--classic]\n"
                 "       [--save DIR] [--formats LIST] [--try-harder]\n");
    return 2;
}

}  // namespace
}  // namespace orvel::bench

int main(int argc, char** argv) {
    using namespace orvel::bench;
    TSettings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--only" && i + 1 < argc) {
            settings.only = argv[++i];
        } else if (argument == "--timeout" && i + 1 < argc) {
            settings.timeoutSeconds = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--runs" && i + 1 < argc) {
            settings.runs = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--try-harder") {
            settings.tryHarder = true;
        } else if (argument == "--families") {
            settings.families = true;
        } else if (argument == "--classic") {
            settings.classic = true;
        } else if (argument == "--formats" && i + 1 < argc) {
            const auto formats = orvel::TVekBarcodeFormats::parse(argv[++i]);
            if (!formats) return usage();
            settings.formats = *formats;
        } else if (argument == "--save" && i + 1 < argc) {
            settings.saveDir = argv[++i];
        } else {
            return usage();
        }
    }
#ifdef ORVEL_HAVE_ZXING
    std::printf("peer: ZXing-C++ %s, default options\n", peerVersion().c_str());
#else
    std::printf("peer: none (ZXing-C++ was not found at build time)\n");
#endif
    std::printf("%-17s %-10s %8s %7s %10s %5s %8s %7s %5s %7s  %s\n", "picture", "size", "orvel-ms", "orvel-MB",
                "valid/dist", "fail", "zxing-ms", "zxing-MB", "valid", "ratio", "verdict");
    for (const THostilePicture& entry : hostilePictures()) {
        if (!settings.only.empty() && entry.name.find(settings.only) == std::string::npos) continue;
        const TGreyPicture picture = entry.make();
        if (picture.pixels.empty()) {
            std::printf("%-17s skipped (zint is missing)\n", entry.name.c_str());
            continue;
        }
        if (!settings.saveDir.empty()) savePgm(settings.saveDir + "/" + entry.name + ".pgm", picture);
        printPicture(entry, picture, settings);
    }
    return 0;
}
