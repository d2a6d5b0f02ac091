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

TVekRect united(const TVekRect& a, const TVekRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

}  // namespace

bool TVekQRPhotoReader::enough() const {
    if (options_.maxSymbols > 0 && decoded_.size() >= static_cast<size_t>(options_.maxSymbols)) return true;
    return !decoded_.empty() && !options_.tryHarder;
}

void TVekQRPhotoReader::readBits(const TVekBitMatrix& bits, double scale, bool inverted, TVekPointF offset) {
    const size_t maxTriplets = options_.tryHarder ? kTripletsTryingHarder : kTriplets;
    TVekQRBinaryFinds finds = TVekQRBinaryReader::read(bits, maxTriplets, debug_);
    const bool wholeAtSize = scale == 1.0 && offset == TVekPointF{};
    if (wholeAtSize) {
        crowded_ = crowded_ || finds.crowded;
        if (finds.smallestModule > 0 && (smallestModule_ == 0 || finds.smallestModule < smallestModule_))
            smallestModule_ = finds.smallestModule;
        tripletSeen_ = tripletSeen_ || finds.triplets > 0;
        timingSeen_ = timingSeen_ || finds.timingSeen;
        if (finds.smallFinderArea) {
            smallFinderArea_ =
                smallFinderArea_ ? united(*smallFinderArea_, *finds.smallFinderArea) : *finds.smallFinderArea;
            (inverted ? smallFindersLight_ : smallFindersDark_) = true;
        }
    }
    for (auto& b : finds.symbols) {
        scalePosition(b, scale);
        for (auto& p : b.position) p = p + offset;
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
    // Finders placed like a symbol's corners (whose grids did not decode
    // here), or a pair of small ones: texture and other symbologies' data
    // show lone finder-like squares, seldom these.
    return (tripletSeen_ || smallFinderArea_ || !failed_.empty()) && !enough();
}

bool TVekQRPhotoReader::worthDoubling(const TVekGreyImage& grey) const {
    const int32_t side = std::max(grey.width(), grey.height());
    if (crowded_ || side > kMaxUpscaleSide) return false;
    // Small finders, or a small picture: modules may be too small for the
    // binarizer and the run proportions (round dots too, whatever their
    // size). Unless trying harder, only where a grid's timing patterns
    // showed: finders that made no such grid are read around small pairs.
    const bool smallFinders = smallestModule_ > 0 && smallestModule_ < kSmallModule;
    if (options_.tryHarder) return smallFinders || side <= kUpscaleSide;
    return timingSeen_ && (smallFinders || side <= kUpscaleSide);
}

void TVekQRPhotoReader::readSmallFinderArea(const TVekGreyImage& grey, bool inverted) {
    if (!smallFinderArea_ || crowded_ || enough()) return;
    const TVekRect& a = *smallFinderArea_;
    // Like the whole picture, an area this large is never doubled.
    if (std::max(a.right - a.left, a.bottom - a.top) >= kMaxUpscaleSide) return;
    if (largerArea_.empty()) {
        const TVekGreyImage area = grey.cropped(a.left, a.top, a.right - a.left + 1, a.bottom - a.top + 1);
        if (area.empty()) return;
        largerArea_ = TVekGreyDoubler::doubled(area);
    }
    readBits(binarizeLocal(inverted ? largerArea_.inverted() : largerArea_), 0.5, inverted,
             TVekPointF{static_cast<double>(a.left), static_cast<double>(a.top)});
}

void TVekQRPhotoReader::readLaterPasses(TVekBinaryCache& picture) {
    const TVekGreyImage& grey = picture.grey();
    if (grey.empty()) return;
    // Small finders alone: the picture around them, doubled, in the shade
    // they showed in, is enough.
    if (!tripletSeen_ && failed_.empty() && !options_.tryHarder) {
        if (smallFindersDark_) readSmallFinderArea(grey, false);
        if (smallFindersLight_) readSmallFinderArea(grey, true);
        return;
    }
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
        // The doubled picture is made once for both shades.
        if (!enough() && worthDoubling(grey)) {
            if (larger_.empty()) larger_ = TVekGreyDoubler::doubled(grey);
            readBits(binarizeLocal(inverted ? larger_.inverted() : larger_), 0.5, inverted);
        } else {
            readSmallFinderArea(grey, inverted);
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
