#include "qrcode/VekQRPhotoReader.h"

#include <algorithm>
#include <cmath>
#include <vector>
#include <optional>

#include "qrcode/VekGreyDoubler.h"
#include "qrcode/VekQRBinaryReader.h"

namespace orvel {

namespace {

constexpr size_t kTriplets = 16;
constexpr size_t kTripletsTryingHarder = 48;
constexpr size_t kMaxFailures = 4;
// Finders with modules this small read better from a picture twice the size.
constexpr double kSmallModule = 3.0;
// Pictures from this size on are also read at half their size.
constexpr int32_t kDownscaleSide = 800;
// Pictures up to this size with no finder at all are also read at twice their size.
constexpr int32_t kUpscaleSide = 1024;
// Beyond this size a picture is never doubled (memory and time).
constexpr int32_t kMaxUpscaleSide = 2048;

void scalePosition(TVekBarcode& b, double factor) {
    for (auto& p : b.position) p = factor * p;
}

bool sameSymbol(const TVekBarcode& a, const TVekBarcode& b) {
    return distance(a.centre(), b.centre()) < distance(a.position[0], a.position[2]) / 2;
}

}  // namespace

bool TVekQRPhotoReader::enough() const {
    if (options_.maxSymbols > 0 && decoded_.size() >= static_cast<size_t>(options_.maxSymbols)) return true;
    return !decoded_.empty() && !options_.tryHarder;
}

void TVekQRPhotoReader::readBits(const TVekBitMatrix& bits, double scale, bool inverted) {
    const size_t maxTriplets = options_.tryHarder ? kTripletsTryingHarder : kTriplets;
    TVekQRBinaryFinds finds = TVekQRBinaryReader::read(bits, maxTriplets, debug_);
    crowded_ = crowded_ || (finds.crowded && scale == 1.0);
    if (scale == 1.0) mostFinders_ = std::max(mostFinders_, finds.finders);
    if (finds.smallestModule > 0 && scale == 1.0 && (smallestModule_ == 0 || finds.smallestModule < smallestModule_))
        smallestModule_ = finds.smallestModule;
    for (auto& b : finds.symbols) {
        scalePosition(b, scale);
        b.isInverted = inverted;
        b.setOrientationFromPosition();
        auto& list = b.isValid ? decoded_ : failed_;
        if (std::any_of(decoded_.begin(), decoded_.end(), [&](const TVekBarcode& d) { return sameSymbol(d, b); }))
            continue;
        if (!b.isValid &&
            (failed_.size() >= kMaxFailures ||
             std::any_of(failed_.begin(), failed_.end(), [&](const TVekBarcode& d) { return sameSymbol(d, b); })))
            continue;
        list.push_back(std::move(b));
    }
}

// The options' binarization; when it shows no finder pattern, the same one
// inverted, where a light symbol's finders are dark (the finder search is
// cheap next to the later passes it saves).
bool TVekQRPhotoReader::readFirstPass(TVekBinaryCache& picture) {
    if (picture.grey().empty()) return false;
    readBits(picture.binary(firstKind()), 1.0, false);
    if (smallestModule_ == 0 && options_.tryInvert && !enough()) {
        TVekBitMatrix bits = picture.binary(firstKind());
        bits.flipAll();
        readBits(bits, 1.0, true);
        readInvertedFirst_ = true;
    }
    // A local threshold can lose every finder of a symbol printed without a
    // quiet zone (the block means of large dark areas); the other
    // binarizer's picture, which the other families make anyway, shows them.
    if (smallestModule_ == 0 && !enough()) {
        readBits(picture.binary(secondKind()), 1.0, false);
        readSecondFirst_ = true;
    }
    // One finder alone, of modules the binarizer measures well, is some
    // other square: a symbol shows two at least, or finders too small to
    // be sure of, which the doubled picture may show better.
    const bool smallFinders = smallestModule_ > 0 && smallestModule_ < kSmallModule;
    return (mostFinders_ >= 2 || smallFinders || !failed_.empty()) && !enough();
}

void TVekQRPhotoReader::readLaterPasses(TVekBinaryCache& picture) {
    const TVekGreyImage& grey = picture.grey();
    if (grey.empty()) return;
    for (const bool inverted : {false, true}) {
        if (inverted && (!options_.tryInvert || crowded_)) break;
        for (const TVekBinarizerKind kind : {firstKind(), secondKind()}) {
            if (enough()) break;
            if (!inverted) {
                // The first pass read the first one, and the second when it saw no finder.
                if (kind != firstKind() && !readSecondFirst_) readBits(picture.binary(kind), 1.0, false);
            } else if (kind != firstKind() || !readInvertedFirst_) {
                TVekBitMatrix bits = picture.binary(kind);
                bits.flipAll();
                readBits(bits, 1.0, true);
            }
        }
        // Small finders, or a small picture: modules may be too small for
        // the binarizer and the run proportions (round dots too, whatever
        // their size). The doubled picture is made once for both shades.
        const bool smallPicture = std::max(grey.width(), grey.height()) <= kUpscaleSide;
        const bool smallFinders = smallestModule_ > 0 && smallestModule_ < kSmallModule;
        if (!enough() && !crowded_ && std::max(grey.width(), grey.height()) <= kMaxUpscaleSide &&
            (smallFinders || smallPicture)) {
            if (larger_.empty()) larger_ = TVekGreyDoubler::doubled(grey);
            readBits(binarizeLocal(inverted ? larger_.inverted() : larger_), 0.5, inverted);
        }
        if (!enough() && options_.tryDownscale && std::max(grey.width(), grey.height()) >= kDownscaleSide) {
            TVekGreyImage smaller = grey.downscaled(2);
            if (inverted) smaller = smaller.inverted();
            readBits(binarizeLocal(smaller), 2.0, inverted);
        }
        if (!decoded_.empty()) break;
    }
}

TVekBarcodes TVekQRPhotoReader::take() {
    // Failures inside a symbol decoded by a later pass are no failures.
    std::erase_if(failed_, [&](const TVekBarcode& f) {
        return std::any_of(decoded_.begin(), decoded_.end(), [&](const TVekBarcode& d) { return sameSymbol(d, f); });
    });
    if (options_.maxSymbols > 0 && decoded_.size() > static_cast<size_t>(options_.maxSymbols))
        decoded_.resize(options_.maxSymbols);
    TVekBarcodes result = std::move(decoded_);
    result.insert(result.end(), failed_.begin(), failed_.end());
    decoded_.clear();
    failed_.clear();
    return result;
}

}  // namespace orvel
