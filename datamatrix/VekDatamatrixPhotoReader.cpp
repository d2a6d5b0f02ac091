#include "datamatrix/VekDatamatrixPhotoReader.h"

#include <algorithm>

#include "datamatrix/VekDatamatrixContent.h"
#include "datamatrix/VekDatamatrixCornerFinder.h"
#include "datamatrix/VekDatamatrixGreyReader.h"
#include "datamatrix/VekDatamatrixGridDecoder.h"
#include "datamatrix/VekDatamatrixOutlines.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"
#include "datamatrix/VekDatamatrixTimingEdges.h"

namespace orvel {

namespace {

// The smallest symbol: 10 x 10 modules at two pixels each, its L sides a
// little shorter after binarization.
constexpr int32_t MIN_REGION_SIDE = 14;
constexpr double MIN_L_SIDE = 12;
// Two sides of MIN_L_SIDE at a right angle span at least this much across
// and down however they are turned: thinner regions (strokes, lines) hold no
// L, and the L alone has twice its side in pixels.
constexpr int32_t MIN_REGION_SHORT_SIDE = 8;
// Regions looked at in one pass, the largest first.
constexpr size_t MAX_OUTLINES = 96;
// Pictures up to this side are also read enlarged, for modules of one or
// two pixels.
constexpr int32_t MAX_UPSCALED_SIDE = 1000;

// Outlines of one read looked at again in the grey picture: the same
// outline comes back from each binarization, and clutter makes many.
constexpr size_t MAX_GREY_LOOKS = 3;

// How much a found symbol's outline is grown to cover Ls found again.
constexpr double KNOWN_MARGIN = 1.2;
// Frames whose fourth corners lie closer than this (modules) are the same.
constexpr double SAME_FRAME = 0.5;
// A frame whose finder and clock modules, sampled at one of its sizes, read
// no more wrong than this looks like a symbol: it earns the later passes
// (the other binarization inverted, the enlarged picture, the grey
// picture), which cost many times the first. Most clutter that happens to count a symbol size's dark
// modules along two edges reads more than a fifth of them wrong; symbols
// that only the costly passes read, about a sixth at worst.
constexpr double STRONG_PATTERN_ERRORS = 0.2;

constexpr uint32_t COLOUR_L = 0x00FF00;
constexpr uint32_t COLOUR_FRAME = 0x0000FF;

std::array<TVekPointF, 4> scaled(const std::array<TVekPointF, 4>& corners, double scale) {
    std::array<TVekPointF, 4> result{};
    for (size_t i = 0; i < 4; ++i) result[i] = (1.0 / scale) * corners[i];
    return result;
}

bool isOneRegion(int32_t sizeIndex) {
    return symbolSizeRow(sizeIndex)[DM_REGION_COUNT] == 1;
}

}  // namespace

bool TVekDatamatrixPhotoReader::readFirstPass(TVekBinaryCache& picture) {
    first_ = firstBinarizer(picture);
    readPass({picture.binary(first_), false, 1.0, &looks_}, found_);
    // No strong frame: the other binarization, which sees an L under uneven light
    // (and costs nothing more when another family made it), then the first
    // inverted, where a light symbol's L is dark.
    if (!sawStrongFrame_ && !isDone(found_)) {
        readPass({picture.binary(secondBinarizer()), false, 1.0, &looks_}, found_);
        readSecondFirst_ = true;
    }
    if (!sawStrongFrame_ && options_.tryInvert && !isDone(found_)) {
        TVekBitMatrix inverted = picture.binary(first_);
        inverted.flipAll();
        readPass({inverted, true, 1.0}, found_);
        readInvertedFirst_ = true;
    }
    return sawStrongFrame_ && !isDone(found_);
}

void TVekDatamatrixPhotoReader::readLaterPasses(TVekBinaryCache& picture) {
    if (isDone(found_)) return;
    readPasses(picture);
    if (!isDone(found_)) readGrey(picture.grey(), looks_, found_);
}

void TVekDatamatrixPhotoReader::readGrey(const TVekGreyImage& grey, const std::vector<TGreyLook>& looks,
                                         TVekBarcodes& found) const {
    for (const TGreyLook& look : looks) {
        const TVekPointF corner = (1.0 / look.scale) * look.frame.corners[3];
        const bool known = std::any_of(found.begin(), found.end(), [&](const TVekBarcode& b) {
            return b.isValid && isInside(corner, b, KNOWN_MARGIN);
        });
        if (known) continue;
        auto barcode = TVekDatamatrixGreyReader::read(grey, look.frame, look.scale, look.dark);
        if (!barcode) continue;
        add(std::move(*barcode), look.scale, found);
        if (isDone(found)) return;
    }
}

void TVekDatamatrixPhotoReader::readPasses(TVekBinaryCache& picture) {
    const TVekBinarizerKind second = secondBinarizer();
    // Both binarizers before either inversion: dark on light is the common
    // case, and an inverted light picture is one huge region, slow to trace.
    if (!readSecondFirst_) readPass({picture.binary(second), false, 1.0, &looks_}, found_);
    if (isDone(found_)) return;
    if (options_.tryInvert) {
        for (TVekBinarizerKind kind : {first_, second}) {
            if (kind == first_ && readInvertedFirst_) continue;
            TVekBitMatrix inverted = picture.binary(kind);
            inverted.flipAll();
            readPass({inverted, true, 1.0}, found_);
            if (isDone(found_)) return;
        }
    }
    const TVekGreyImage& grey = picture.grey();
    if (std::max(grey.width(), grey.height()) <= MAX_UPSCALED_SIDE) {
        const TVekBitMatrix enlarged = binarize(grey.upscaled(2), TVekBinarizerKind::local);
        readPass({enlarged, false, 2.0, &looks_}, found_);
    }
}

// The global binarization first, whichever other families use: it takes
// about half the time of the local one, the solid L with its quiet zone is
// among the darkest and lightest of the picture, so the one threshold finds
// it about as often, and an L with timing edges seen there (of either shade)
// earns the local pass.
TVekBinarizerKind TVekDatamatrixPhotoReader::firstBinarizer(const TVekBinaryCache&) const {
    return TVekBinarizerKind::global;
}

bool TVekDatamatrixPhotoReader::isDone(const TVekBarcodes& found) const {
    const auto valid = std::count_if(found.begin(), found.end(), [](const TVekBarcode& b) { return b.isValid; });
    if (options_.maxSymbols > 0 && valid >= options_.maxSymbols) return true;
    return valid > 0 && !options_.tryHarder;
}

// Inside the symbol's outline grown by a little, so that a point on the
// outline (the corner of its own L) counts.
bool TVekDatamatrixPhotoReader::isInside(TVekPointF point, const TVekBarcode& barcode, double margin) {
    const TVekPointF centre = barcode.centre();
    std::array<TVekPointF, 4> q{};
    for (size_t i = 0; i < 4; ++i) q[i] = centre + margin * (barcode.position[i] - centre);
    int32_t positive = 0, negative = 0;
    for (size_t i = 0; i < 4; ++i) {
        const double c = cross(q[(i + 1) % 4] - q[i], point - q[i]);
        positive += c > 0;
        negative += c < 0;
    }
    return positive == 0 || negative == 0;
}

// A region whose bounding box lies within a symbol found already (its data
// modules, its own L seen again) gives only Ls whose corners are known: the
// symbol's outline without the margin leaves room for a corner a little
// outside the box.
bool TVekDatamatrixPhotoReader::isWithinFound(const TVekDatamatrixOutlines::TRegion& region, double scale,
                                              const TVekBarcodes& found) {
    if (found.empty()) return false;
    const double left = region.left / scale, top = region.seedY / scale;
    const double right = (region.left + region.width) / scale, bottom = (region.seedY + region.height) / scale;
    const std::array<TVekPointF, 4> box = {TVekPointF{left, top}, TVekPointF{right, top}, TVekPointF{right, bottom},
                                           TVekPointF{left, bottom}};
    return std::any_of(found.begin(), found.end(), [&](const TVekBarcode& b) {
        return std::all_of(box.begin(), box.end(), [&](TVekPointF p) { return isInside(p, b, 1.0); });
    });
}

// A symbol read in a picture enlarged by `scale`, in the picture's own
// coordinates. A failure on the same symbol from another L or pass is
// dropped when it decodes.
void TVekDatamatrixPhotoReader::add(TVekBarcode barcode, double scale, TVekBarcodes& found) {
    barcode.position = scaled(barcode.position, scale);
    barcode.setOrientationFromPosition();
    if (barcode.isValid) {
        std::erase_if(found, [&](const TVekBarcode& b) {
            return !b.isValid && isInside(b.centre(), barcode, KNOWN_MARGIN);
        });
    }
    found.push_back(std::move(barcode));
}

void TVekDatamatrixPhotoReader::readPass(const TPass& pass, TVekBarcodes& found) {
    for (const auto& region : TVekDatamatrixOutlines::largestRegions(pass.picture, MIN_REGION_SIDE, MAX_OUTLINES)) {
        if (std::min(region.width, region.height) < MIN_REGION_SHORT_SIDE ||
            region.pixels < static_cast<size_t>(2 * MIN_L_SIDE) || isWithinFound(region, pass.scale, found))
            continue;
        const auto outline = TVekDatamatrixOutlines::trace(pass.picture, region);
        for (const TVekDatamatrixL& l : TVekDatamatrixCornerFinder::find(pass.picture, outline, MIN_L_SIDE)) {
            const TVekPointF corner = (1.0 / pass.scale) * l.corner;
            const bool known = std::any_of(found.begin(), found.end(), [&](const TVekBarcode& b) {
                return isInside(corner, b, KNOWN_MARGIN);
            });
            if (known) continue;
            if (debug_ != nullptr) {
                debug_->line(l.firstEnd, l.corner, COLOUR_L);
                debug_->line(l.corner, l.secondEnd, COLOUR_L);
            }
            auto barcode = readCandidate(pass, l);
            if (!barcode) continue;
            barcode->isInverted = pass.inverted;
            add(std::move(*barcode), pass.scale, found);
            if (isDone(found) && options_.maxSymbols > 0) return;
        }
    }
}

std::optional<TVekBarcode> TVekDatamatrixPhotoReader::readCandidate(const TPass& pass, const TVekDatamatrixL& l) {
    const auto module = TVekDatamatrixTimingEdges::module(pass.picture, l);
    if (!module) return std::nullopt;
    const auto wide = TVekDatamatrixTimingEdges::frame(pass.picture, l, *module, TVekDatamatrixEdgeSearch::wide);
    auto barcode = wide ? readFrame(pass, *wide) : std::nullopt;
    if (barcode && barcode->isValid) return barcode;
    // A line printed around the symbol a quiet zone away can pass for its
    // timing edges; edges looked for within the quiet zone leave it out.
    const auto narrow =
        TVekDatamatrixTimingEdges::frame(pass.picture, l, *module, TVekDatamatrixEdgeSearch::withinQuietZone);
    if (!narrow || (wide && distance(narrow->corners[1], wide->corners[1]) < SAME_FRAME * wide->moduleSize))
        return barcode;
    auto inside = readFrame(pass, *narrow);
    return inside && (inside->isValid || !barcode) ? inside : barcode;
}

std::optional<TVekBarcode> TVekDatamatrixPhotoReader::readFrame(const TPass& pass, const TVekDatamatrixFrame& frame) {
    if (debug_ != nullptr) {
        for (size_t i = 0; i < 4; ++i) debug_->line(frame.corners[i], frame.corners[(i + 1) % 4], COLOUR_FRAME);
    }
    const auto dark = TVekDatamatrixTimingEdges::darkModules(pass.picture, frame);
    if (debug_ != nullptr) {
        std::string text = "Data Matrix outline";
        for (const TVekPointF& p : frame.corners) text += " " + std::to_string(p.x) + "," + std::to_string(p.y);
        debug_->note(text + " module " + std::to_string(frame.moduleSize) + " dark modules " +
                     std::to_string(dark[0]) + " x " + std::to_string(dark[1]));
    }
    std::optional<TVekBarcode> failure;
    double patternErrors = 1;
    for (const bool mirrored : {false, true}) {
        // Seen from behind, the side that looks like the left one is the
        // bottom one: the same outline with its top-left and bottom-right
        // corners exchanged.
        const auto& c = frame.corners;
        const std::array<TVekPointF, 4> corners = mirrored ? std::array{c[2], c[1], c[0], c[3]} : c;
        const auto sizes = TVekDatamatrixGridDecoder::sizesFor(dark[mirrored ? 1 : 0], dark[mirrored ? 0 : 1]);
        for (const int32_t size : sizes) {
            for (const auto grid : {TVekDatamatrixGridDecoder::TGrid::even, TVekDatamatrixGridDecoder::TGrid::clocked,
                                    TVekDatamatrixGridDecoder::TGrid::bent}) {
                // Only symbols of several regions have the inner lines a bent grid is measured on.
                if (grid == TVekDatamatrixGridDecoder::TGrid::bent && isOneRegion(size)) continue;
                std::string error;
                const auto codewords = TVekDatamatrixGridDecoder::decode(pass.picture, corners, size, grid, error,
                                                                         &patternErrors);
                if (debug_ != nullptr && !codewords) debug_->note("size " + std::to_string(size) + ": " + error);
                TVekBarcode barcode;
                barcode.format = TVekBarcodeFormat::dataMatrix;
                barcode.position = corners;
                barcode.isMirrored = mirrored;
                if (codewords) {
                    TVekDatamatrixContent::decode(*codewords, barcode);
                    if (barcode.isValid) return barcode;
                } else {
                    if (error != "Cannot solve RS errors") continue;
                    barcode.isValid = false;
                    barcode.error = error;
                }
                if (!failure) failure = std::move(barcode);
            }
        }
    }
    const bool strong = patternErrors <= STRONG_PATTERN_ERRORS;
    sawStrongFrame_ = sawStrongFrame_ || strong;
    if (strong && pass.looks != nullptr && pass.looks->size() < MAX_GREY_LOOKS)
        pass.looks->push_back({frame, pass.scale, dark});
    return failure;
}

}  // namespace orvel
