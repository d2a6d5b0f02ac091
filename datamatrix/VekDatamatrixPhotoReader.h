#pragma once

#include <array>
#include <vector>

#include "datamatrix/VekDatamatrixOutlines.h"
#include "datamatrix/VekDatamatrixTimingEdges.h"
#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

struct TVekDatamatrixL;

// The photo front end of Data Matrix symbols: finds them in a grey picture and its
// binarizations, samples them through perspective and hands them to the
// family's decoding. Nothing here touches process-wide state.
//
// Passes, cheapest first, until a pass finds a symbol (every pass with
// tryHarder): the global binarization (when it shows no strong frame, the
// local one and the global one inverted); then, when that showed a strong
// frame (an L with timing edges whose finder and clock modules read nearly
// right), the other one, their inversions (tryInvert), small pictures
// enlarged twice, and the strong frames that did not decode read from the
// grey picture.
class TVekDatamatrixPhotoReader : public TVekPhotoReader {
public:
    explicit TVekDatamatrixPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug) {}

    // Both stages as the schedule of readBarcodes runs them.
    TVekBarcodes read(TVekBinaryCache& picture) { return readAll(picture, options_.tryHarder); }

    bool readFirstPass(TVekBinaryCache& picture) override;
    void readLaterPasses(TVekBinaryCache& picture) override;
    TVekBarcodes take() override { return std::move(found_); }

private:
    // An outline found, its scale and dark module counts.
    struct TGreyLook {
        TVekDatamatrixFrame frame;
        double scale;
        std::array<int32_t, 2> dark;
    };

    // What one pass reads: the picture, whether it is inverted, and the
    // factor its coordinates are enlarged by.
    struct TPass {
        const TVekBitMatrix& picture;
        bool inverted;
        double scale;
        // Where outlines whose binarized modules do not decode are kept for
        // a look in the grey picture; none keeps them not.
        std::vector<TGreyLook>* looks = nullptr;
    };

    void readPasses(TVekBinaryCache& picture);
    // Outlines that no pass decoded, read from the grey picture: only once
    // every binarization has failed, so that a picture read the usual way
    // pays nothing for it.
    void readGrey(const TVekGreyImage& grey, const std::vector<TGreyLook>& looks, TVekBarcodes& found) const;
    void readPass(const TPass& pass, TVekBarcodes& found);
    // The symbol on an L, decoded or failed; none when the L leads nowhere.
    std::optional<TVekBarcode> readCandidate(const TPass& pass, const TVekDatamatrixL& l);
    std::optional<TVekBarcode> readFrame(const TPass& pass, const TVekDatamatrixFrame& frame);
    TVekBinarizerKind firstBinarizer(const TVekBinaryCache& picture) const;
    TVekBinarizerKind secondBinarizer() const {
        return first_ == TVekBinarizerKind::local ? TVekBinarizerKind::global : TVekBinarizerKind::local;
    }
    bool isDone(const TVekBarcodes& found) const;
    static void add(TVekBarcode barcode, double scale, TVekBarcodes& found);
    static bool isInside(TVekPointF point, const TVekBarcode& barcode, double margin);
    static bool isWithinFound(const TVekDatamatrixOutlines::TRegion& region, double scale, const TVekBarcodes& found);

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
    TVekBarcodes found_;
    std::vector<TGreyLook> looks_;
    // The binarization the first pass read.
    TVekBinarizerKind first_ = TVekBinarizerKind::global;
    // An L whose timing edges made a frame of a symbol size whose finder and
    // clock modules read nearly right: a candidate of our own.
    bool sawStrongFrame_ = false;
    // The first pass read the other binarization too.
    bool readSecondFirst_ = false;
    // The first pass read its binarization inverted too.
    bool readInvertedFirst_ = false;
};

}  // namespace orvel
