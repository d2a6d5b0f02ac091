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

TVekBarcodes TVekQRPhotoReader::read(TVekBinaryCache& picture) const {
    TVekBarcodes decoded;
    TVekBarcodes failed;
    const TVekGreyImage& grey = picture.grey();
    if (grey.empty()) return decoded;
    const size_t maxTriplets = options_.tryHarder ? kTripletsTryingHarder : kTriplets;
    const TVekBinarizerKind firstKind = options_.binarizer;
    const TVekBinarizerKind secondKind =
        firstKind == TVekBinarizerKind::local ? TVekBinarizerKind::global : TVekBinarizerKind::local;

    double smallestModule = 0;
    // Finder-like patterns everywhere: noise or texture, which stays so
    // inverted or enlarged.
    bool crowded = false;
    auto enough = [&] {
        if (options_.maxSymbols > 0 && decoded.size() >= static_cast<size_t>(options_.maxSymbols)) return true;
        return !decoded.empty() && !options_.tryHarder;
    };
    auto take = [&](const TVekBitMatrix& bits, double scale, bool inverted) {
        TVekQRBinaryFinds finds = TVekQRBinaryReader::read(bits, maxTriplets, debug_);
        crowded = crowded || (finds.crowded && scale == 1.0);
        if (finds.smallestModule > 0 && scale == 1.0 && (smallestModule == 0 || finds.smallestModule < smallestModule))
            smallestModule = finds.smallestModule;
        for (auto& b : finds.symbols) {
            scalePosition(b, scale);
            b.isInverted = inverted;
            b.setOrientationFromPosition();
            auto& list = b.isValid ? decoded : failed;
            if (std::any_of(decoded.begin(), decoded.end(), [&](const TVekBarcode& d) { return sameSymbol(d, b); }))
                continue;
            if (!b.isValid &&
                (failed.size() >= kMaxFailures ||
                 std::any_of(failed.begin(), failed.end(), [&](const TVekBarcode& d) { return sameSymbol(d, b); })))
                continue;
            list.push_back(std::move(b));
        }
    };

    for (const bool inverted : {false, true}) {
        if (inverted && (!options_.tryInvert || crowded)) break;
        for (const TVekBinarizerKind kind : {firstKind, secondKind}) {
            if (enough()) break;
            if (!inverted) {
                take(picture.binary(kind), 1.0, false);
            } else {
                TVekBitMatrix bits = picture.binary(kind);
                bits.flipAll();
                take(bits, 1.0, true);
            }
        }
        // Small finders, or none at all in a small picture: modules may be
        // too small for the binarizer and the run proportions.
        const bool smallPicture = std::max(grey.width(), grey.height()) <= kUpscaleSide;
        const bool smallFinders = smallestModule > 0 && smallestModule < kSmallModule;
        if (!enough() && !crowded && std::max(grey.width(), grey.height()) <= kMaxUpscaleSide &&
            (smallFinders || smallPicture)) {
            TVekGreyImage larger = TVekGreyDoubler::doubled(grey);
            if (inverted) larger = larger.inverted();
            take(binarizeLocal(larger), 0.5, inverted);
        }
        if (!enough() && options_.tryDownscale && std::max(grey.width(), grey.height()) >= kDownscaleSide) {
            TVekGreyImage smaller = grey.downscaled(2);
            if (inverted) smaller = smaller.inverted();
            take(binarizeLocal(smaller), 2.0, inverted);
        }
        if (!decoded.empty()) break;
    }

    // Failures inside a symbol decoded by a later pass are no failures.
    std::erase_if(failed, [&](const TVekBarcode& f) {
        return std::any_of(decoded.begin(), decoded.end(), [&](const TVekBarcode& d) { return sameSymbol(d, f); });
    });
    if (options_.maxSymbols > 0 && decoded.size() > static_cast<size_t>(options_.maxSymbols))
        decoded.resize(options_.maxSymbols);
    decoded.insert(decoded.end(), failed.begin(), failed.end());
    return decoded;
}

}  // namespace orvel
