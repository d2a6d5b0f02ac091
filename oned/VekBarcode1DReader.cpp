#include "oned/VekBarcode1DReader.h"

#include <algorithm>
#include <memory>

#include "foundation/VekHistogram.h"
#include "foundation/VekImageTools.h"
#include "foundation/VekROrvelConfiguration.h"
#include "oned/VekBarcode1DFinder.h"
#include "oned/VekBarsReader.h"
#include "oned/VekCodabarParser.h"
#include "oned/VekCode128Parser.h"
#include "oned/VekCode25InterleavedParser.h"
#include "oned/VekCode39Parser.h"
#include "oned/VekCodeEAN13Parser.h"
#include "oned/VekCodeEAN8Parser.h"
#include "oned/VekCodeUPCAParser.h"
#include "oned/VekCodeUPCEParser.h"
#include "oned/VekIdentcodeParser.h"
#include "oned/VekPAVectorizer.h"

namespace orvel {

namespace {

// The parsers in the order they are tried on a candidate; the first that reads
// it wins, so a symbol both EAN-13 and UPC-A could read is reported as EAN-13.
struct TParserChoice {
    int32_t flag;
    std::unique_ptr<TVekBarcodeParser> (*make)();
};

template <class TParser>
std::unique_ptr<TVekBarcodeParser> makeParser() {
    return std::make_unique<TParser>();
}

constexpr TParserChoice parserOrder[] = {
    {SYMBOLOGY_CODE128, makeParser<TVekCode128Parser>},
    {SYMBOLOGY_EAN8, makeParser<TVekCodeEAN8Parser>},
    {SYMBOLOGY_EAN13, makeParser<TVekCodeEAN13Parser>},
    {SYMBOLOGY_CODE39, makeParser<TVekCode39Parser>},
    {SYMBOLOGY_UPCE, makeParser<TVekCodeUPCEParser>},
    {SYMBOLOGY_UPCA, makeParser<TVekCodeUPCAParser>},
    {SYMBOLOGY_INTERLEAVED25, makeParser<TVekCode25InterleavedParser>},
    {SYMBOLOGY_IDENTCODE, makeParser<TVekIdentcodeParser>},
    {SYMBOLOGY_CODABAR, makeParser<TVekCodabarParser>},
};

}  // namespace

void writeLinearPictureSettings(TVekROrvelConfiguration& settings) {
    settings.maxObjectSize = 10000;
    settings.minObjectSize = 15;
    settings.minBarLength = 10;
    settings.maxBarLength = 500;
    settings.maxAngleDifference = 10;
}

TVekBarcode1DReader::TVekBarcode1DReader() : debug(orvelConfiguration.debug) {}

TVekBarcode1DReader::TVekBarcode1DReader(const TVekROrvelConfiguration& settings)
    : debug(settings.debug), settings_(settings) {}

void TVekBarcode1DReader::scan(TVekImage& image, bool returnCandidates, TVekBarcodeDataArray& results) {
    results = scan(image, returnCandidates);
}

TVekBarcodeDataArray TVekBarcode1DReader::scan(TVekImage& image, bool returnCandidates) {
    TVekBarcodeDataArray results = scanInternal(image, returnCandidates);
    const bool nothingDecoded = std::all_of(results.begin(), results.end(),
                                            [](const TVekBarcodeData& record) { return record.getCandidate(); });
    if (!nothingDecoded) return results;
    // Retry on a copy with the contrast stretch switched; enhanceContrast keeps
    // its new value.
    TVekImage copy = image.getCopy();
    enhanceContrast = !enhanceContrast;
    TVekBarcodeDataArray second = scanInternal(copy, returnCandidates);
    return second.empty() ? results : second;
}

TVekBarcodeDataArray TVekBarcode1DReader::scanInternal(TVekImage& image, bool returnCandidates) {
    if (enhanceContrast) TVekHistogram(image).stretchContrast();

    std::optional<TVekImage> thresholded;
    if (!(acceptBlackAndWhite && image.blackAndWhite)) thresholded = toBlackAndWhite(image);
    TVekImage& working = thresholded ? *thresholded : image;
    if (fillHoles) working.fillWhiteHoles();
    if (removeLines) working.removeHorizontalLines();

    TVekPAVectorizer vectorizer = settings_ ? TVekPAVectorizer(*settings_) : TVekPAVectorizer();
    TVekVectorizedImage vectorized = vectorizer.vectorize(working, true);
    TVekBarcode1DFinder finder = settings_ ? TVekBarcode1DFinder(*settings_) : TVekBarcode1DFinder();
    finder.minBars = minBars;
    std::vector<TVekBarcode1DObject> candidates = finder.findCandidates(vectorized, working, false);

    TVekBarcodeDataArray results;
    const TVekBarsReader barsReader;
    for (auto candidate = candidates.rbegin(); candidate != candidates.rend(); ++candidate) {
        if (debug) debugWrite("Barcode candidate found " + intToStr(static_cast<int64_t>(candidate->bars.size())));
        TVectorDouble widths;
        barsReader.readBars(BARS_FROM_REGIONS, working, *candidate, widths);
        std::optional<TVekBarcodeData> record = decode(widths);
        if (record) {
            record->setX(vekRoundInt(candidate->corner1.x));
            record->setY(vekRoundInt(candidate->corner1.y));
            results.push_back(std::move(*record));
        } else if (returnCandidates) {
            TVekBarcodeData candidateRecord;
            candidateRecord.setCandidate(true);
            results.push_back(std::move(candidateRecord));
        }
    }
    return results;
}

std::optional<TVekBarcodeData> TVekBarcode1DReader::decode(const TVectorDouble& widths) const {
    for (const TParserChoice& choice : parserOrder) {
        if ((symbologies & choice.flag) == 0) continue;
        std::unique_ptr<TVekBarcodeParser> parser = choice.make();
        if (auto record = parseBarcode(*parser, widths)) return record;
    }
    return std::nullopt;
}

std::optional<TVekBarcodeData> TVekBarcode1DReader::parseBarcode(TVekBarcodeParser& parser,
                                                                 const TVectorDouble& widths) {
    parser.setWidths(widths);
    if (!parser.parse()) return std::nullopt;
    TVekBarcodeData record;
    record.setValue(parser.getCode());
    record.setContent(parser.getContent());
    record.setSymbology(parser.getSymbology());
    return record;
}

}  // namespace orvel
