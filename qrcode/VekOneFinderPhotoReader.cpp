#include "qrcode/VekOneFinderPhotoReader.h"

#include <algorithm>

#include "foundation/VekGridSampler.h"
#include "qrcode/VekGreyDoubler.h"
#include "qrcode/VekMicroQRLocator.h"
#include "qrcode/VekMicroQRMatrixDecoder.h"
#include "qrcode/VekQRFinderScanner.h"
#include "qrcode/VekQRTripletPicker.h"
#include "qrcode/VekRMQRLocator.h"
#include "qrcode/VekRMQRMatrixDecoder.h"

namespace orvel {

namespace {

constexpr uint32_t kGridColour = 0x00C000;
// Finders tried per binarization, the most confirmed first.
constexpr size_t kFinders = 24;
constexpr size_t kFindersTryingHarder = 64;
// Finders with modules this small read better from a picture twice the size.
constexpr double kSmallModule = 3.0;
// Pictures up to this size are read at twice their size when nothing was
// found; up to the larger one when they hold a finder of tiny modules.
constexpr int32_t kTinySide = 64;
constexpr int32_t kSmallSide = 256;
constexpr double kTinyModule = 2.0;
// Beyond this size a picture is never doubled (memory and time): a symbol of
// small modules in a large picture is small beside it.
constexpr int32_t kMaxUpscaleSide = 1024;
// Pictures from this size on are also read at half their size when trying
// harder: these symbols are small, their modules seldom too large.
constexpr int32_t kDownscaleSide = 800;

bool inside(const std::array<TVekPointF, 4>& quad, TVekPointF p) {
    int positive = 0;
    for (size_t i = 0; i < 4; ++i) positive += cross(quad[(i + 1) % 4] - quad[i], p - quad[i]) > 0;
    return positive == 0 || positive == 4;
}

// A finder's centre, three modules high, is crossed by about three scan
// rows a module (every other row, each counted twice); a tilted one by
// fewer. One crossed by at least this many looks like a finder from every
// side, not a chance run of the proportions; tiny ones need two rows.
constexpr double kWellConfirmedCountPerModule = 1.5;
constexpr int32_t kMinWellConfirmedCount = 4;

bool isWellConfirmed(const TVekQRFinderCandidate& finder) {
    return finder.count >= kMinWellConfirmedCount && finder.count >= kWellConfirmedCountPerModule * finder.moduleSize;
}

bool sameSymbol(const TVekBarcode& a, const TVekBarcode& b) {
    return distance(a.centre(), b.centre()) < distance(a.position[0], a.position[2]) / 2;
}

// The Micro QR symbol of one finder, decoded, or none; `started` as the locator says.
std::optional<TVekBarcode> readMicroQR(const TVekBitMatrix& bits, const TVekQRFinderCandidate& finder, bool& started) {
    for (const TVekQRGrid& grid : TVekMicroQRLocator::grids(bits, finder, &started)) {
        const auto modules = TVekGridSampler::sample(bits, grid.dimension, grid.dimension, grid.moduleToPicture);
        if (!modules) continue;
        TVekBarcode result = TVekMicroQRMatrixDecoder::decode(*modules);
        if (!result.isValid) continue;
        const double n = grid.dimension;
        const auto& t = grid.moduleToPicture;
        // Clockwise from the symbol's own top-left; the mirrored reading is
        // the transposed grid.
        result.position = result.isMirrored
                              ? std::array<TVekPointF, 4>{t.map({0, 0}), t.map({0, n}), t.map({n, n}), t.map({n, 0})}
                              : std::array<TVekPointF, 4>{t.map({0, 0}), t.map({n, 0}), t.map({n, n}), t.map({0, n})};
        return result;
    }
    return std::nullopt;
}

// The rMQR symbol of one finder, decoded, or none; `started` as the locator says.
std::optional<TVekBarcode> readRMQR(const TVekBitMatrix& bits, const TVekQRFinderCandidate& finder, bool& started) {
    for (const TVekRMQRGrid& grid : TVekRMQRLocator::grids(bits, finder, &started)) {
        const auto modules = TVekGridSampler::sample(bits, grid.width, grid.height, grid.moduleToPicture);
        if (!modules) continue;
        TVekBarcode result = TVekRMQRMatrixDecoder::decode(*modules);
        if (!result.isValid) continue;
        const double w = grid.width, h = grid.height;
        const auto& t = grid.moduleToPicture;
        result.position = {t.map({0, 0}), t.map({w, 0}), t.map({w, h}), t.map({0, h})};
        result.isMirrored = grid.mirrored;
        return result;
    }
    return std::nullopt;
}

}  // namespace

bool TVekOneFinderPhotoReader::enough() const {
    if (options_.maxSymbols > 0 && decoded_.size() >= static_cast<size_t>(options_.maxSymbols)) return true;
    return !decoded_.empty() && !options_.tryHarder;
}

size_t TVekOneFinderPhotoReader::readBits(const TVekBitMatrix& bits, double scale, bool inverted) {
    const size_t maxFinders = options_.tryHarder ? kFindersTryingHarder : kFinders;
    auto candidates = TVekQRFinderScanner::scan(bits);
    const size_t seen = candidates.size();
    if (seen >= TVekQRFinderScanner::maxCandidatesFor(bits)) {
        crowded_ = crowded_ || scale == 1.0;
        return seen;
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.count > b.count; });
    if (candidates.size() > maxFinders) candidates.resize(maxFinders);
    for (size_t i = 0; i < candidates.size(); ++i) {
        const TVekQRFinderCandidate& finder = candidates[i];
        const TVekPointF at = scale * finder.centre;
        if (std::any_of(decoded_.begin(), decoded_.end(), [&](const TVekBarcode& b) { return inside(b.position, at); }))
            continue;
        bool started = false;
        std::optional<TVekBarcode> result;
        if (readsMicroQR_) result = readMicroQR(bits, finder, started);
        if (!result && readsRMQR_) {
            bool rmqrStarted = false;
            result = readRMQR(bits, finder, rmqrStarted);
            started = started || rmqrStarted;
        }
        if (!result) {
            // Small modules whose patterns seemed to start: worth the
            // picture at twice the size.
            if (started && scale == 1.0 && finder.moduleSize < kSmallModule) smallFinders_ = true;
            if (scale == 1.0 && !(loneFinder_ && qrFinders_) && (started || isWellConfirmed(finder))) {
                if (TVekQRTripletPicker::inSomeTriplet(candidates, i)) {
                    qrFinders_ = true;
                } else {
                    loneFinder_ = true;
                    if (finder.moduleSize < kTinyModule) tinyFinders_ = true;
                }
            }
            continue;
        }
        for (auto& p : result->position) p = scale * p;
        result->isInverted = inverted;
        result->setOrientationFromPosition();
        if (std::any_of(decoded_.begin(), decoded_.end(), [&](const TVekBarcode& b) { return sameSymbol(b, *result); }))
            continue;
        if (debug_)
            for (size_t i = 0; i < 4; ++i)
                debug_->line(result->position[i], result->position[(i + 1) % 4], kGridColour);
        decoded_.push_back(std::move(*result));
    }
    return seen;
}

void TVekOneFinderPhotoReader::readShade(TVekBinaryCache& picture, TVekBinarizerKind kind, bool inverted) {
    if (!inverted) {
        readBits(picture.binary(kind), 1.0, false);
        return;
    }
    TVekBitMatrix bits = picture.binary(kind);
    bits.flipAll();
    readBits(bits, 1.0, true);
}

bool TVekOneFinderPhotoReader::readFirstPass(TVekBinaryCache& picture) {
    const TVekGreyImage& grey = picture.grey();
    if (grey.empty()) return false;
    readBits(picture.binary(options_.binarizer), 1.0, false);
    // A light symbol on a dark ground shows no finder of its own here (a QR
    // Code's finders say the symbols here are dark).
    if (!loneFinder_ && !qrFinders_ && options_.tryInvert && !enough()) {
        TVekBitMatrix bits = picture.binary(options_.binarizer);
        bits.flipAll();
        readBits(bits, 1.0, true);
        readInvertedFirst_ = true;
    }
    const int32_t side = std::max(grey.width(), grey.height());
    const bool tinyPicture = side <= kTinySide || (tinyFinders_ && side <= kSmallSide);
    // A lone finder that looked like one of these symbols' in either shade,
    // or a picture of tiny modules, earns the later passes.
    return !enough() && !crowded_ && (loneFinder_ || tinyPicture);
}

void TVekOneFinderPhotoReader::readLaterPasses(TVekBinaryCache& picture) {
    const TVekGreyImage& grey = picture.grey();
    if (grey.empty()) return;
    const TVekBinarizerKind firstKind = options_.binarizer;
    const TVekBinarizerKind secondKind =
        firstKind == TVekBinarizerKind::local ? TVekBinarizerKind::global : TVekBinarizerKind::local;
    const int32_t side = std::max(grey.width(), grey.height());
    for (const bool inverted : {false, true}) {
        if (inverted && (!options_.tryInvert || crowded_)) break;
        if (inverted && !readInvertedFirst_ && !enough()) readShade(picture, firstKind, true);
        if (!enough()) readShade(picture, secondKind, inverted);
        // Modules of a pixel or two: the binarizer and the run proportions
        // need them larger (tilted, they are smaller than the finders say). A
        // small picture that showed finder patterns costs little doubled.
        if (!enough() && !crowded_ && side <= kMaxUpscaleSide && (smallFinders_ || side <= kSmallSide)) {
            TVekGreyImage larger = TVekGreyDoubler::doubled(grey);
            if (inverted) larger = larger.inverted();
            readBits(binarizeLocal(larger), 0.5, inverted);
        }
        if (!enough() && options_.tryHarder && options_.tryDownscale && side >= kDownscaleSide) {
            TVekGreyImage smaller = grey.downscaled(2);
            if (inverted) smaller = smaller.inverted();
            readBits(binarizeLocal(smaller), 2.0, inverted);
        }
        if (!decoded_.empty()) break;
    }
}

TVekBarcodes TVekOneFinderPhotoReader::take() {
    if (options_.maxSymbols > 0 && decoded_.size() > static_cast<size_t>(options_.maxSymbols))
        decoded_.resize(options_.maxSymbols);
    return std::move(decoded_);
}

}  // namespace orvel
