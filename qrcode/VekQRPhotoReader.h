#pragma once

#include <optional>

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekPolygon.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The photo front end of QR Code symbols: finds them in a grey picture and its
// binarizations, samples them through perspective and hands them to the
// family's decoding. Nothing here touches process-wide state.
//
// The first pass reads the options' binarization (and, showing no finder,
// its inversion and the other binarizer's picture). Later passes are earned
// by what looked like a symbol there: three finders placed like a symbol's
// corners earn the other binarizer, both inverted, the picture doubled
// (small finders, or a grid whose timing patterns showed) and halved (a
// large one); two small finders a symbol's distance apart earn only the
// area around them doubled, where the binarizer may have lost the third.
// Lone or scattered finder-like squares (texture, other symbologies' data)
// earn nothing.
class TVekQRPhotoReader : public TVekPhotoReader {
public:
    explicit TVekQRPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug) {}

    // Both stages as the schedule of readBarcodes runs them.
    TVekBarcodes read(TVekBinaryCache& picture) { return readAll(picture, options_.tryHarder); }

    bool readFirstPass(TVekBinaryCache& picture) override;
    void readLaterPasses(TVekBinaryCache& picture) override;
    TVekBarcodes take() override;

private:
    // The symbols of one binarized picture at `scale` times the picture's
    // size, its origin at `offset` in the picture.
    void readBits(const TVekBitMatrix& bits, double scale, bool inverted, TVekPointF offset = {});
    // The area around small finders at twice its size, in both shades.
    void readSmallFinderArea(const TVekGreyImage& grey, bool inverted);
    // Whether the picture doubled is worth reading whole.
    bool worthDoubling(const TVekGreyImage& grey) const;
    bool enough() const;
    TVekBinarizerKind firstKind() const { return options_.binarizer; }
    TVekBinarizerKind secondKind() const {
        return firstKind() == TVekBinarizerKind::local ? TVekBinarizerKind::global : TVekBinarizerKind::local;
    }

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
    TVekBarcodes decoded_;
    TVekBarcodes failed_;
    double smallestModule_ = 0;
    // At the picture's size: a triplet of finders placed like a symbol's,
    // and a triplet's grid with alternating timing patterns.
    bool tripletSeen_ = false;
    bool timingSeen_ = false;
    // Where pairs of small finders lay, at the picture's size, and in which
    // shades.
    std::optional<TVekRect> smallFinderArea_;
    bool smallFindersDark_ = false;
    bool smallFindersLight_ = false;
    bool readSecondFirst_ = false;  // the first pass read the second binarizer's picture too
    // Finder-like patterns everywhere: noise or texture, which stays so
    // inverted or enlarged.
    bool crowded_ = false;
    // The picture at twice its size, and the area around small finders at
    // twice its size, each made once for both shades.
    TVekGreyImage larger_;
    TVekGreyImage largerArea_;
    // The first pass read the options' binarization inverted too.
    bool readInvertedFirst_ = false;
};

}  // namespace orvel
