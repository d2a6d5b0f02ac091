#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The photo front end of QR Code symbols: finds them in a grey picture and its
// binarizations, samples them through perspective and hands them to the
// family's decoding. Nothing here touches process-wide state.
//
// The first pass reads the options' binarization (and, showing no finder,
// its inversion); finder patterns seen there earn the later ones: the other binarizer, both inverted, the
// picture doubled (small finders, or a small picture) and halved (a large one).
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
    // The symbols of one binarized picture at `scale` times the picture's size.
    void readBits(const TVekBitMatrix& bits, double scale, bool inverted);
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
    bool readSecondFirst_ = false;  // the first pass read the second binarizer's picture too
    // The most finder candidates one pass at the picture's size saw.
    size_t mostFinders_ = 0;
    // Finder-like patterns everywhere: noise or texture, which stays so
    // inverted or enlarged.
    bool crowded_ = false;
    // The picture at twice its size, made once for both shades.
    TVekGreyImage larger_;
    // The first pass read the options' binarization inverted too.
    bool readInvertedFirst_ = false;
};

}  // namespace orvel
