#pragma once

#include <memory>

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The photo front end of Aztec symbols: finds them in a grey picture and its
// binarizations, samples them through perspective and hands them to the
// family's decoding. Nothing here touches process-wide state.
//
// The first pass reads the options' binarization; a bull's-eye seen there
// earns the later ones: the other binarizer, both inverted, and the picture
// doubled for modules of a pixel or so.
class TVekAztecPhotoReader : public TVekPhotoReader {
public:
    explicit TVekAztecPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr);
    ~TVekAztecPhotoReader() override;

    // Both stages as the schedule of readBarcodes runs them.
    TVekBarcodes read(TVekBinaryCache& picture) { return readAll(picture, options_.tryHarder); }

    bool readFirstPass(TVekBinaryCache& picture) override;
    void readLaterPasses(TVekBinaryCache& picture) override;
    TVekBarcodes take() override;

private:
    class TFoundSymbols;

    void readPass(const TVekBitMatrix& bits, const TVekGreyImage& grey, bool inverted, double scale);
    bool enough() const;
    // A later pass only when the earlier ones left something to find: no
    // symbol yet, or a symbol found but not decoded.
    bool wantMore() const;
    TVekBinarizerKind firstKind() const { return options_.binarizer; }
    TVekBinarizerKind secondKind() const {
        return firstKind() == TVekBinarizerKind::local ? TVekBinarizerKind::global : TVekBinarizerKind::local;
    }

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
    std::unique_ptr<TFoundSymbols> found_;
    bool sawSmallModules_ = false;
    bool sawCandidates_ = false;
};

}  // namespace orvel
