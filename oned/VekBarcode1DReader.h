#pragma once

#include <cstdint>
#include <optional>

#include "foundation/VekImage.h"
#include "foundation/VekROrvelConfiguration.h"
#include "foundation/VekUtil.h"
#include "oned/VekBarcodeData.h"
#include "oned/VekBarcodeParser.h"

namespace orvel {

// Reads the linear symbols of a picture: threshold, dark regions, candidates,
// bar and space widths, then the enabled symbology parsers in a fixed order.
// One record per decoded candidate and, on request, one candidate record per
// located symbol that no parser read. A pass that decodes nothing is run once
// more on a copy of the picture with the contrast stretch switched.
// Writes the settings the demonstration program's 1D button writes before it
// reads each picture (region sizes, bar lengths, angle tolerance).
void writeLinearPictureSettings(TVekROrvelConfiguration& settings);

class TVekBarcode1DReader {
public:
    TVekBarcode1DReader();
    // With the given settings instead of the process-wide ones: the reader and
    // the parts it makes never read orvelConfiguration, so readers with
    // settings of their own may run on several threads.
    explicit TVekBarcode1DReader(const TVekROrvelConfiguration& settings);

    void setSymbologies(int32_t flags) { symbologies = flags; }

    // The full read with its retry. The picture may be changed (contrast
    // stretch when enhanceContrast is set); the records belong to the caller.
    void scan(TVekImage& image, bool returnCandidates, TVekBarcodeDataArray& results);
    TVekBarcodeDataArray scan(TVekImage& image, bool returnCandidates);

    // One pass, without the retry.
    TVekBarcodeDataArray scanInternal(TVekImage& image, bool returnCandidates);

    // A record with the parser's text and symbology when it reads the widths.
    static std::optional<TVekBarcodeData> parseBarcode(TVekBarcodeParser& parser, const TVectorDouble& widths);

    int32_t symbologies = SYMBOLOGY_CODE128;
    bool enhanceContrast = false;
    bool acceptBlackAndWhite = false;
    bool debug;
    bool fillHoles = false;
    bool removeLines = false;
    int32_t minBars = 6;

private:
    // The settings given to the constructor; none: the process-wide ones,
    // copied when each part is made.
    std::optional<TVekROrvelConfiguration> settings_;
    std::optional<TVekBarcodeData> decode(const TVectorDouble& widths) const;
};

}  // namespace orvel
