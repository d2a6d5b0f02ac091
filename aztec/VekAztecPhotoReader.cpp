#include "aztec/VekAztecPhotoReader.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "aztec/VekAztecBullsEyeFinder.h"
#include "aztec/VekAztecSymbolReader.h"
#include "foundation/VekBinarizer.h"

namespace orvel {

namespace {

constexpr uint32_t kCandidateColour = 0xFF8000;
constexpr uint32_t kSymbolColour = 0x00C000;
// Candidates come most regular first; after this many in a row that are no
// symbol, the rest of a pass is background.
constexpr int32_t kMaxMisses = 16;
// Pictures up to this many pixels are read again at twice their size when
// nothing was found: larger ones are photographs whose modules are not that small.
constexpr int64_t kMaxUpscaledArea = 1 << 20;
// Up to this many pixels the doubled picture is always read: a symbol of
// one-pixel modules fills a small picture and shows no bull's-eye before.
// A larger picture is doubled only for a bull's-eye seen with modules this
// small that did not decode (or when trying harder): a picture without one
// cost four times its area for nothing.
constexpr int64_t kAlwaysUpscaledArea = 1 << 16;
constexpr double kSmallModule = 2.0;
// Pictures up to this many pixels (192 x 192) are doubled without a
// bull's-eye seen: doubled, such a picture costs about what one binarization
// of a usual photograph does.
constexpr int64_t kTinyArea = 192 * 192;

// True when the point lies inside the quadrilateral (either winding).
bool inside(const std::array<TVekPointF, 4>& quad, TVekPointF p) {
    bool anyLeft = false, anyRight = false;
    for (size_t i = 0; i < 4; ++i) {
        const double side = cross(quad[(i + 1) % 4] - quad[i], p - quad[i]);
        anyLeft = anyLeft || side > 0;
        anyRight = anyRight || side < 0;
    }
    return !(anyLeft && anyRight);
}

}  // namespace

// The symbols read so far: a bull's-eye inside a decoded symbol is that
// symbol again; a decoded symbol replaces the failed record at its place.
class TVekAztecPhotoReader::TFoundSymbols {
public:
    bool covers(TVekPointF centre) const {
        return std::any_of(barcodes_.begin(), barcodes_.end(),
                           [&](const TVekBarcode& b) { return b.isValid && inside(b.position, centre); });
    }

    void add(TVekBarcode barcode) {
        const TVekPointF centre = barcode.centre();
        for (TVekBarcode& kept : barcodes_) {
            if (!inside(kept.position, centre) && !inside(barcode.position, kept.centre())) continue;
            if (barcode.isValid && !kept.isValid) kept = std::move(barcode);
            return;
        }
        if (barcode.isValid) ++valid_;
        barcodes_.push_back(std::move(barcode));
    }

    int32_t validCount() const { return valid_; }
    bool hasFailed() const { return static_cast<int32_t>(barcodes_.size()) > valid_; }
    TVekBarcodes take() { return std::move(barcodes_); }

private:
    TVekBarcodes barcodes_;
    int32_t valid_ = 0;
};

TVekAztecPhotoReader::TVekAztecPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug)
    : options_(options), debug_(debug), found_(std::make_unique<TFoundSymbols>()) {}

TVekAztecPhotoReader::~TVekAztecPhotoReader() = default;

bool TVekAztecPhotoReader::enough() const {
    return options_.maxSymbols > 0 && found_->validCount() >= options_.maxSymbols && !options_.tryHarder;
}

bool TVekAztecPhotoReader::wantMore() const {
    return !enough() && (options_.tryHarder || found_->validCount() == 0 || found_->hasFailed());
}

void TVekAztecPhotoReader::readPass(const TVekBitMatrix& bits, const TVekGreyImage& grey, bool inverted, double scale) {
    int32_t misses = 0;
    for (const TVekAztecBullsEyeCandidate& candidate : TVekAztecBullsEyeFinder::find(bits, options_.tryHarder ? 1 : 2)) {
        if (enough() || misses >= kMaxMisses) return;
        sawCandidates_ = true;
        if (found_->covers(candidate.centre)) continue;
        if (debug_) debug_->point(candidate.centre, kCandidateColour);
        std::optional<TVekBarcode> barcode = TVekAztecSymbolReader::read(bits, grey, inverted, candidate);
        if ((!barcode || !barcode->isValid) && candidate.moduleSize < kSmallModule) sawSmallModules_ = true;
        if (!barcode) {
            ++misses;
            continue;
        }
        misses = 0;
        barcode->isInverted = inverted;
        for (TVekPointF& corner : barcode->position) corner = scale * corner;
        if (debug_ && barcode->isValid)
            for (size_t i = 0; i < 4; ++i)
                debug_->line(barcode->position[i], barcode->position[(i + 1) % 4], kSymbolColour);
        found_->add(std::move(*barcode));
    }
}

// The shared binarization both ways: the bull's-eye finder is cheap, and a
// light symbol shows no dark bull's-eye to earn the later passes.
bool TVekAztecPhotoReader::readFirstPass(TVekBinaryCache& picture) {
    readPass(picture.binary(firstKind()), picture.grey(), false, 1.0);
    if (options_.tryInvert && wantMore()) {
        TVekBitMatrix inverted = picture.binary(firstKind());
        inverted.flipAll();
        readPass(inverted, picture.grey(), true, 1.0);
    }
    // A picture this small may be one symbol of modules of a pixel or so,
    // which shows no bull's-eye before it is doubled.
    const TVekGreyImage& grey = picture.grey();
    const bool tiny = static_cast<int64_t>(grey.width()) * grey.height() <= kTinyArea;
    return (sawCandidates_ || tiny) && wantMore();
}

void TVekAztecPhotoReader::readLaterPasses(TVekBinaryCache& picture) {
    if (wantMore()) readPass(picture.binary(secondKind()), picture.grey(), false, 1.0);
    const TVekGreyImage& grey = picture.grey();
    const int64_t area = static_cast<int64_t>(grey.width()) * grey.height();
    if (options_.tryInvert && wantMore()) {
        TVekBitMatrix inverted = picture.binary(secondKind());
        inverted.flipAll();
        readPass(inverted, picture.grey(), true, 1.0);
    }
    // Modules of a pixel or so: the picture at twice its size, each pixel
    // four, gives the rings runs the finder can tell from noise.
    const bool hinted = options_.tryHarder || area <= kAlwaysUpscaledArea || sawSmallModules_;
    if (wantMore() && hinted && area <= kMaxUpscaledArea) {
        const TVekGreyImage larger = grey.upscaled(2);
        TVekBitMatrix bits = binarize(larger, firstKind());
        readPass(bits, larger, false, 0.5);
        if (options_.tryInvert && wantMore()) {
            bits.flipAll();
            readPass(bits, larger, true, 0.5);
        }
    }
}

TVekBarcodes TVekAztecPhotoReader::take() { return found_->take(); }

}  // namespace orvel
