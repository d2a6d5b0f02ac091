#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The photo front end of linear (1D) symbols: finds them in a grey picture and its
// binarizations, samples them through perspective and hands them to the
// family's decoding. Nothing here touches process-wide state.
//
// The first pass reads dark bars on light along the grey picture's lines,
// then light on dark along a quarter of them; a line that read a light
// symbol no other line confirmed earns the later pass, every line light on
// dark.
class TVekLinearPhotoReader : public TVekPhotoReader {
public:
    explicit TVekLinearPhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug = nullptr)
        : options_(options), debug_(debug) {}

    // Both stages as the schedule of readBarcodes runs them.
    TVekBarcodes read(TVekBinaryCache& picture) { return readAll(picture, options_.tryHarder); }

    bool readFirstPass(TVekBinaryCache& picture) override;
    void readLaterPasses(TVekBinaryCache& picture) override;
    TVekBarcodes take() override { return std::move(found_); }

private:
    // Reads the lines of one shade in the first `rounds` rounds; true when
    // some line read a symbol.
    bool readShade(const TVekGreyImage& grey, bool inverted, size_t rounds);

    TVekReaderOptions options_;
    TVekDebugSink* debug_;
    TVekBarcodes found_;
};

}  // namespace orvel
