#include "maxicode/VekMaxiCodePhotoReader.h"

#include <algorithm>
#include <optional>

#include "maxicode/VekMaxiCodeBullsEyeFinder.h"
#include "maxicode/VekMaxiCodeBullsEyeFit.h"
#include "maxicode/VekMaxiCodeDecoder.h"
#include "maxicode/VekMaxiCodeSampler.h"

namespace orvel {

namespace {

constexpr uint32_t kCandidateColour = 0xFF8000;
constexpr uint32_t kSymbolColour = 0x00C000;
// Candidates come most rows first; after this many in a row that are no
// symbol, the rest is background.
constexpr int32_t kMaxMisses = 8;
// Rows the finder looks at by default: every fourth. The light centre of a
// bull's-eye is one and a half ring widths across or more, and a ring is
// about a module wide, so a symbol of modules two and a half pixels wide or
// more is crossed through its centre by at least one such row; a picture
// without MaxiCode costs a quarter of its rows. Trying harder looks at all.
constexpr int32_t kRowStep = 4;

bool inside(const std::array<TVekPointF, 4>& quad, TVekPointF p) {
    bool anyLeft = false, anyRight = false;
    for (size_t i = 0; i < 4; ++i) {
        const double side = cross(quad[(i + 1) % 4] - quad[i], p - quad[i]);
        anyLeft = anyLeft || side > 0;
        anyRight = anyRight || side < 0;
    }
    return !(anyLeft && anyRight);
}

// Reads one placement of the grid, first by grey level, then by the
// binarized picture, whose threshold follows uneven light.
std::optional<TVekBarcode> decodeAt(const TVekMaxiCodeSampler& sampler, const TVekPerspectiveTransform& placement,
                                    const TVekBitMatrix& bits) {
    if (auto barcode = TVekMaxiCodeDecoder::decode(sampler.read(placement))) return barcode;
    return TVekMaxiCodeDecoder::decode(sampler.read(placement, &bits));
}

}  // namespace

TVekBarcodes TVekMaxiCodePhotoReader::read(TVekBinaryCache& picture) const {
    TVekBarcodes found;
    const TVekGreyImage& grey = picture.grey();
    const TVekBitMatrix& bits = picture.binary(options_.binarizer);
    auto enough = [&] {
        return options_.maxSymbols > 0 && static_cast<int32_t>(found.size()) >= options_.maxSymbols && !options_.tryHarder;
    };
    int32_t misses = 0;
    for (const TVekMaxiCodeBullsEyeCandidate& candidate : TVekMaxiCodeBullsEyeFinder::find(bits, options_.tryHarder ? 1 : kRowStep)) {
        if (enough() || misses >= kMaxMisses) break;
        if (std::any_of(found.begin(), found.end(), [&](const TVekBarcode& b) { return inside(b.position, candidate.centre); }))
            continue;
        if (debug_) debug_->point(candidate.centre, kCandidateColour);
        ++misses;
        const std::optional<TVekMaxiCodeBullsEye> eye = TVekMaxiCodeBullsEyeFit::fit(grey, candidate);
        if (!eye) continue;
        const TVekMaxiCodeSampler sampler(grey, *eye);
        const std::optional<TVekPerspectiveTransform> placement = sampler.orient();
        if (!placement) continue;
        TVekPerspectiveTransform used = *placement;
        std::optional<TVekBarcode> barcode = decodeAt(sampler, used, bits);
        if (!barcode) {
            if (const auto fitted = sampler.fitToModules(*placement)) {
                used = *fitted;
                barcode = decodeAt(sampler, used, bits);
            }
        }
        if (!barcode) {
            used = sampler.refine(used);
            barcode = decodeAt(sampler, used, bits);
        }
        if (!barcode) continue;
        misses = 0;
        barcode->position = TVekMaxiCodeSampler::corners(used);
        barcode->setOrientationFromPosition();
        if (debug_)
            for (size_t i = 0; i < 4; ++i)
                debug_->line(barcode->position[i], barcode->position[(i + 1) % 4], kSymbolColour);
        found.push_back(std::move(*barcode));
    }
    return found;
}

}  // namespace orvel
