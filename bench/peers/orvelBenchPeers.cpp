// orvel_bench_peers CORPUS [--formats LIST] [--runs N] [--try-harder] [--families] [--misses]
//
// Loads every picture of a corpus folder once, then reads each, on the same
// decoded pixels, with readBarcodes and (when it was found at build time)
// ZXing-C++'s ReadBarcodes with its default options, best of N runs (3) per
// file. Prints which peer it linked, then per format: files, decoded by each
// (against manifest.tsv when present), the median and 90th percentile
// milliseconds of each and the ratios of the medians and of the 90th
// percentiles. --try-harder sets it on our side only (the peer's defaults
// try hard already). --families also reads every picture with each family
// alone on both sides and prints each family's cost on the pictures that
// hold none of its symbols. The machine is shared, so only the ratio of two
// readers timed in the same run means much.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "foundation/VekPictureLoader.h"
#include "peers/CorpusTruth.h"
#include "peers/PeerZXing.h"
#include "read/VekReadBarcodes.h"

#include <sys/wait.h>
#include <unistd.h>

namespace orvel::bench {
namespace {

struct TOptions {
    std::filesystem::path corpus;
    TVekBarcodeFormats formats;
    int runs = 3;
    bool tryHarder = false;
    bool families = false;
    bool misses = false;
};

struct TOutcome {
    bool decoded = false;
    double ms = 0;
    bool crashed = false;
};

// The families one reader front end each, as the corpus names their symbologies.
struct TFamily {
    const char* name;
    TVekBarcodeFormats formats;
};

// The later symbologies come last, grouped as they share a reader (or, for
// DataBar, a line decoder family inside the linear reader).
constexpr size_t familyCount = 10;

const std::array<TFamily, familyCount>& families() {
    using F = TVekBarcodeFormat;
    static const std::array<TFamily, familyCount> list = {
        TFamily{"qr", {F::qrCode}},
        TFamily{"datamatrix", {F::dataMatrix}},
        TFamily{"aztec", {F::aztec}},
        TFamily{"pdf417", {F::pdf417}},
        TFamily{"linear", {F::code128, F::ean13, F::ean8, F::upcA, F::upcE, F::code39, F::interleaved25, F::identcode,
                           F::codabar}},
        TFamily{"linear-new", {F::code93, F::code39Extended, F::code32, F::pzn, F::telepen}},
        TFamily{"databar-dx", {F::dataBar, F::dataBarLimited, F::dataBarExpanded, F::dxFilmEdge}},
        TFamily{"microqr-rmqr", {F::microQrCode, F::rmqrCode}},
        TFamily{"micropdf417", {F::microPdf417}},
        TFamily{"maxicode", {F::maxiCode}}};
    return list;
}

struct TFileResult {
    std::string symbology;
    std::string file;
    TOutcome ours, peer;
    // Each family alone, in the order of families().
    std::array<TOutcome, familyCount> familyOurs{}, familyPeer{};
};

bool holdsFamily(const std::string& symbology, const TFamily& family) {
    const auto format = formatFromName(symbology);
    return format && family.formats.contains(*format);
}

// The picture's pixels as packed RGB, the layout both readers take.
struct TRgbPicture {
    std::vector<uint8_t> pixels;
    int width = 0, height = 0;
};

TRgbPicture rgbOf(const TVekImage& image) {
    TRgbPicture picture{std::vector<uint8_t>(static_cast<size_t>(image.width) * image.height * 3), image.width,
                        image.height};
    const std::vector<uint32_t>& colours = image.pixelData();
    for (size_t i = 0; i < colours.size(); ++i) {
        picture.pixels[3 * i] = static_cast<uint8_t>(colours[i] >> 16);
        picture.pixels[3 * i + 1] = static_cast<uint8_t>(colours[i] >> 8);
        picture.pixels[3 * i + 2] = static_cast<uint8_t>(colours[i]);
    }
    return picture;
}

template <typename F>
double bestMilliseconds(int runs, F&& read) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        read();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

bool sameSymbology(const std::string& truth, const std::string& found) {
    if (truth.empty() || truth == found) return true;
    const auto isEanUpc = [](const std::string& s) { return s == "EAN13" || s == "UPCA"; };
    // An Identcode is an Interleaved 2 of 5 symbol; ZXing-C++ knows it only
    // as that, and so does our reader when both are asked for.
    if (truth == "IDENTCODE" && found == "INTERLEAVED25") return true;
    return isEanUpc(truth) && isEanUpc(found);
}

TOutcome readOurs(const TRgbPicture& picture, const TCorpusEntry& entry, const TVekBarcodeFormats& formats,
                  const TOptions& options) {
    TVekReaderOptions readerOptions;
    readerOptions.formats = formats;
    readerOptions.tryHarder = options.tryHarder;
    const TVekImageView view(picture.pixels.data(), picture.width, picture.height, TVekPixelFormat::rgb);
    TVekBarcodes found;
    TOutcome outcome;
    outcome.ms = bestMilliseconds(options.runs, [&] { found = readBarcodes(view, readerOptions); });
    for (const TVekBarcode& barcode : found) {
        if (!barcode.isValid || !sameSymbology(entry.symbology, formatName(barcode.format))) continue;
        if (entry.symbology.empty() || matchesTruth(entry.symbology, barcode.bytes, barcode.text(), entry.expected))
            outcome.decoded = true;
    }
    return outcome;
}

#ifdef ORVEL_HAVE_ZXING
ZXing::BarcodeFormats peerFormats(const TVekBarcodeFormats& formats) {
    using Z = ZXing::BarcodeFormat;
    static const std::pair<TVekBarcodeFormat, Z> pairs[] = {
        {TVekBarcodeFormat::code128, Z::Code128}, {TVekBarcodeFormat::ean13, Z::EAN13},
        {TVekBarcodeFormat::ean8, Z::EAN8},       {TVekBarcodeFormat::upcA, Z::UPCA},
        {TVekBarcodeFormat::upcE, Z::UPCE},       {TVekBarcodeFormat::code39, Z::Code39},
        {TVekBarcodeFormat::interleaved25, Z::ITF}, {TVekBarcodeFormat::identcode, Z::ITF},
        {TVekBarcodeFormat::codabar, Z::Codabar}, {TVekBarcodeFormat::pdf417, Z::PDF417},
        {TVekBarcodeFormat::dataMatrix, Z::DataMatrix}, {TVekBarcodeFormat::qrCode, Z::QRCode},
        {TVekBarcodeFormat::aztec, Z::Aztec}};
#if ZXING_VERSION_MAJOR >= 3
    static const std::pair<TVekBarcodeFormat, Z> later[] = {
        {TVekBarcodeFormat::code93, Z::Code93},           {TVekBarcodeFormat::code39Extended, Z::Code39Ext},
        {TVekBarcodeFormat::code32, Z::Code32},           {TVekBarcodeFormat::pzn, Z::PZN},
        {TVekBarcodeFormat::telepen, Z::Telepen},         {TVekBarcodeFormat::dataBar, Z::DataBar},
        {TVekBarcodeFormat::dataBarLimited, Z::DataBarLtd}, {TVekBarcodeFormat::dataBarExpanded, Z::DataBarExp},
        {TVekBarcodeFormat::dxFilmEdge, Z::DXFilmEdge},   {TVekBarcodeFormat::microQrCode, Z::MicroQRCode},
        {TVekBarcodeFormat::rmqrCode, Z::RMQRCode},       {TVekBarcodeFormat::microPdf417, Z::MicroPDF417},
        {TVekBarcodeFormat::maxiCode, Z::MaxiCode}};
    std::vector<Z> list;
    for (const auto& [ours, theirs] : later)
        if (formats.contains(ours)) list.push_back(theirs);
    for (const auto& [ours, theirs] : pairs)
        if (formats.contains(ours) && std::find(list.begin(), list.end(), theirs) == list.end()) list.push_back(theirs);
    return ZXing::BarcodeFormats(std::move(list));
#else
    ZXing::BarcodeFormats result;
    for (const auto& [ours, theirs] : pairs)
        if (formats.contains(ours)) result |= theirs;
    return result;
#endif
}

// The peer with its default options (every format unless asked for some).
TOutcome readPeerHere(const TRgbPicture& picture, const TCorpusEntry& entry, const TVekBarcodeFormats& formats,
                      const TOptions& options) {
    TPeerOptions peerOptions;
    if (!formats.empty()) peerOptions.setFormats(peerFormats(formats));
    const ZXing::ImageView view(picture.pixels.data(), picture.width, picture.height, ZXing::ImageFormat::RGB);
    std::vector<TPeerResult> found;
    TOutcome outcome;
    outcome.ms = bestMilliseconds(options.runs, [&] {
        auto results = ZXing::ReadBarcodes(view, peerOptions);
        found.assign(results.begin(), results.end());
    });
    for (const TPeerResult& result : found) {
        if (!result.isValid() || !sameSymbology(entry.symbology, peerSymbologyName(result.format()))) continue;
        const auto& raw = result.bytes();
        const std::string bytes(raw.begin(), raw.end());
        if (entry.symbology.empty() || matchesTruth(entry.symbology, bytes, result.text(), entry.expected))
            outcome.decoded = true;
    }
    return outcome;
}

// The peer in a child process: Debian's build keeps its assertions, and one
// of them fails on a corpus picture; a crash there must not end the run.
TOutcome readPeer(const TRgbPicture& picture, const TCorpusEntry& entry, const TVekBarcodeFormats& formats,
                  const TOptions& options) {
    int channel[2];
    if (pipe(channel) != 0) return readPeerHere(picture, entry, formats, options);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const TOutcome outcome = readPeerHere(picture, entry, formats, options);
        const ssize_t written = write(channel[1], &outcome, sizeof outcome);
        _exit(written == sizeof outcome ? 0 : 1);
    }
    close(channel[1]);
    TOutcome outcome;
    const bool received = child > 0 && read(channel[0], &outcome, sizeof outcome) == sizeof outcome;
    close(channel[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    if (!received) outcome = TOutcome{false, 0, true};
    return outcome;
}
#endif

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5));
    return values[at];
}

void printHeader(const char* first) {
    std::printf("%-14s %5s %7s %7s %9s %9s %9s %9s %7s %7s\n", first, "files", "orvel", "zxing", "orvel-med",
                "orvel-p90", "zxing-med", "zxing-p90", "r-med", "r-p90");
}

void printTimes(const std::string& name, size_t files, int oursDecoded, int peerDecoded, const std::vector<double>& ours,
                const std::vector<double>& peer, bool withPeer) {
    const double oursMedian = percentile(ours, 0.5), oursP90 = percentile(ours, 0.9);
    const double peerMedian = percentile(peer, 0.5), peerP90 = percentile(peer, 0.9);
    std::printf("%-14s %5zu %7d %7d %9.2f %9.2f", name.c_str(), files, oursDecoded, withPeer ? peerDecoded : 0,
                oursMedian, oursP90);
    if (withPeer)
        std::printf(" %9.2f %9.2f %7.2f %7.2f\n", peerMedian, peerP90, peerMedian > 0 ? oursMedian / peerMedian : 0.0,
                    peerP90 > 0 ? oursP90 / peerP90 : 0.0);
    else
        std::printf("         -         -       -       -\n");
}

void printRow(const std::string& name, const std::vector<const TFileResult*>& rows, bool withPeer) {
    std::vector<double> ours, peer;
    int oursDecoded = 0, peerDecoded = 0;
    for (const TFileResult* row : rows) {
        ours.push_back(row->ours.ms);
        peer.push_back(row->peer.ms);
        oursDecoded += row->ours.decoded;
        peerDecoded += row->peer.decoded;
    }
    printTimes(name, rows.size(), oursDecoded, peerDecoded, ours, peer, withPeer);
}

// Each family alone: on the pictures holding none of its symbols (its cost
// where there is nothing to find), and on all pictures.
void printFamilies(const std::vector<TFileResult>& results, bool withPeer) {
    std::printf("\neach family alone, on the pictures holding none of its symbols (-none) and on all (-all)\n");
    printHeader("family");
    for (size_t f = 0; f < families().size(); ++f) {
        std::vector<double> oursNone, peerNone, oursAll, peerAll;
        int oursDecoded = 0, peerDecoded = 0;
        for (const TFileResult& result : results) {
            oursAll.push_back(result.familyOurs[f].ms);
            peerAll.push_back(result.familyPeer[f].ms);
            oursDecoded += result.familyOurs[f].decoded;
            peerDecoded += result.familyPeer[f].decoded;
            if (holdsFamily(result.symbology, families()[f])) continue;
            oursNone.push_back(result.familyOurs[f].ms);
            peerNone.push_back(result.familyPeer[f].ms);
        }
        const std::string name = families()[f].name;
        printTimes(name + "-none", oursNone.size(), 0, 0, oursNone, peerNone, withPeer);
        printTimes(name + "-all", oursAll.size(), oursDecoded, peerDecoded, oursAll, peerAll, withPeer);
    }
}

int usage() {
    std::fprintf(stderr,
                 "usage: orvel_bench_peers CORPUS [--formats LIST] [--runs N] [--try-harder] [--families] [--misses]\n");
    return 2;
}

}  // namespace
}  // namespace orvel::bench

int main(int argc, char** argv) {
    using namespace orvel;
    using namespace orvel::bench;
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--formats" && i + 1 < argc) {
            const auto formats = TVekBarcodeFormats::parse(argv[++i]);
            if (!formats) return usage();
            options.formats = *formats;
        } else if (argument == "--runs" && i + 1 < argc) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--try-harder") {
            options.tryHarder = true;
        } else if (argument == "--families") {
            options.families = true;
        } else if (argument == "--misses") {
            options.misses = true;
        } else if (!argument.empty() && argument[0] != '-' && options.corpus.empty()) {
            options.corpus = argument;
        } else {
            return usage();
        }
    }
    if (options.corpus.empty()) return usage();
#ifdef ORVEL_HAVE_ZXING
    const bool withPeer = true;
    std::printf("peer: ZXing-C++ %s, default options (%s); orvel: %s\n", peerVersion().c_str(),
                options.formats.empty() ? "every format" : "the same formats",
                options.tryHarder ? "tryHarder" : "default options");
#else
    const bool withPeer = false;
    std::printf("peer: none (ZXing-C++ was not found at build time): only readBarcodes is timed\n");
#endif

    std::vector<TFileResult> results;
    for (const TCorpusEntry& entry : corpusEntries(options.corpus)) {
        if (!entry.symbology.empty() && !options.formats.empty()) {
            const auto format = formatFromName(entry.symbology);
            if (format && !options.formats.contains(*format)) continue;
        }
        TRgbPicture picture;
        try {
            picture = rgbOf(loadPictureFile(entry.file));
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "%s\n", failure.what());
            continue;
        }
        TFileResult result{entry.symbology.empty() ? "ALL" : entry.symbology,
                           std::filesystem::relative(entry.file, options.corpus).string(), {}, {}};
        result.ours = readOurs(picture, entry, options.formats, options);
#ifdef ORVEL_HAVE_ZXING
        result.peer = readPeer(picture, entry, options.formats, options);
#endif
        if (options.families) {
            for (size_t f = 0; f < families().size(); ++f) {
                result.familyOurs[f] = readOurs(picture, entry, families()[f].formats, options);
#ifdef ORVEL_HAVE_ZXING
                result.familyPeer[f] = readPeer(picture, entry, families()[f].formats, options);
#endif
            }
        }
        results.push_back(std::move(result));
    }

    std::map<std::string, std::vector<const TFileResult*>> byFormat;
    std::vector<const TFileResult*> all;
    for (const TFileResult& result : results) {
        byFormat[result.symbology].push_back(&result);
        all.push_back(&result);
    }
    printHeader("format");
    for (const auto& [name, rows] : byFormat) printRow(name, rows, withPeer);
    printRow("total", all, withPeer);
    if (options.families) printFamilies(results, withPeer);
    if (options.misses) {
        for (const TFileResult& result : results)
            if (!result.ours.decoded)
                std::printf("miss %-14s %s%s\n", result.symbology.c_str(), result.file.c_str(),
                            result.peer.decoded ? " (zxing reads it)" : result.peer.crashed ? " (zxing crashed)" : "");
    }
    return 0;
}
