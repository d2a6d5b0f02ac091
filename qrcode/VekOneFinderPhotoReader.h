#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The photo front end of the QR kinds with one finder pattern, Micro QR and
// rMQR: the family's finder scan on the binarizations of a grey picture, then
// from each finder a Micro QR grid (the timing patterns that run from it) or
// an rMQR grid (its format information and the top and bottom rows),
// sampling and decoding; one scan serves both. A finder without either's
// patterns (one of a QR Code's three) gives no grid.
//
// The first pass reads the options' binarization (and, showing no finder
// that looked like a symbol's, its inversion). A lone finder seen there that
// started a grid or was confirmed by many scan rows earns the later passes:
// the other binarizer, both shades, the picture doubled (small finders that
// looked like a symbol, or a small picture) and, trying harder, halved. A
// QR Code's finders (corners of a triplet) and the chance finder-like runs
// of texture earn nothing.
class TVekOneFinderPhotoReader : public TVekPhotoReader {
public:
    // Reads the kinds the options ask for.
    explicit TVekOneFinderPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options),
          debug_(debug),
          readsMicroQR_(options.formats.asks(TVekBarcodeFormat::microQrCode)),
          readsRMQR_(options.formats.asks(TVekBarcodeFormat::rmqrCode)) {}

    // Both stages as the schedule of readBarcodes runs them.
    TVekBarcodes read(TVekBinaryCache& picture) { return readAll(picture, options_.tryHarder); }

    bool readFirstPass(TVekBinaryCache& picture) override;
    void readLaterPasses(TVekBinaryCache& picture) override;
    TVekBarcodes take() override;

private:
    // The symbols of one binarized picture at `scale` times the picture's
    // size; the number of finder candidates it held.
    size_t readBits(const TVekBitMatrix& bits, double scale, bool inverted);
    void readShade(TVekBinaryCache& picture, TVekBinarizerKind kind, bool inverted);
    bool enough() const;

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
    bool readsMicroQR_;
    bool readsRMQR_;
    TVekBarcodes decoded_;
    bool crowded_ = false;
    // A lone finder of modules under two pixels at the picture's size.
    bool tinyFinders_ = false;
    // A finder of small modules that looked like one of these symbols but
    // did not read.
    bool smallFinders_ = false;
    bool readInvertedFirst_ = false;
    // At the picture's size, a finder that did not read but is no corner of
    // a QR Code's triplet and either started a grid (a Micro QR symbol's
    // timing patterns, an rMQR symbol's format information) or was
    // confirmed by many scan rows.
    bool loneFinder_ = false;
    // At the picture's size, such a finder that is a corner of a triplet.
    bool qrFinders_ = false;
};

}  // namespace orvel
