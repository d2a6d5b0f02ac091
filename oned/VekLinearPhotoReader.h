#pragma once

#include <memory>

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"
#include "oned/VekEdgeMemo.h"

namespace orvel {

// The photo front end of linear (1D) symbols: finds them in a grey picture and its
// binarizations, samples them through perspective and hands them to the
// family's decoding. Nothing here touches process-wide state.
//
// The first pass reads dark bars on light along the grey picture's lines,
// then light on dark along a quarter of them; a line that read a symbol no
// other line confirmed earns the later pass: the lines beside the one that
// read and the other light lines.
class TVekLinearPhotoReader : public TVekPhotoReader {
public:
    explicit TVekLinearPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr);
    ~TVekLinearPhotoReader() override;

    // Both stages as the schedule of readBarcodes runs them.
    TVekBarcodes read(TVekBinaryCache& picture) { return readAll(picture, options_.tryHarder); }

    bool readFirstPass(TVekBinaryCache& picture) override;
    void readLaterPasses(TVekBinaryCache& picture) override;
    TVekBarcodes take() override { return std::move(found_); }

private:
    struct TShade;

    // Scans the shade's lines up to round `rounds`, unless a symbol is in.
    void scanRounds(TShade& shade, size_t rounds, bool faintToo = true) const;
    bool accepted(const TShade& shade) const;
    static bool sawRead(const TShade& shade);
    // A read, or a symbol's start and a few of its characters.
    static bool promising(const TShade& shade);
    void finish(TShade& shade, const TVekGreyImage& grey);

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
    TVekBarcodeFormats formats_;
    std::unique_ptr<TVekEdgeMemo> memo_;
    std::unique_ptr<TShade> dark_, light_;
    TVekBarcodes found_;
};

}  // namespace orvel
