// Widths of bars and spaces, one byte each (a whole part of 1 to 16 and
// sixteenths above it), starting with a bar, read by every documented parser
// and, as a scan line that starts with a quiet zone of the first byte's
// width, by every line decoder of the photo path, both ways.
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/VekException.h"
#include "oned/VekBarRow.h"
#include "oned/VekBarcode1DReader.h"
#include "oned/VekCodabarLineDecoder.h"
#include "oned/VekCodabarParser.h"
#include "oned/VekCode128LineDecoder.h"
#include "oned/VekCode128Parser.h"
#include "oned/VekCode25InterleavedParser.h"
#include "oned/VekCode39LineDecoder.h"
#include "oned/VekCode39Parser.h"
#include "oned/VekCode93LineDecoder.h"
#include "oned/VekCodeEAN13Parser.h"
#include "oned/VekCodeEAN8Parser.h"
#include "oned/VekCodeUPCAParser.h"
#include "oned/VekCodeUPCEParser.h"
#include "oned/VekEanUpcLineDecoder.h"
#include "oned/VekIdentcodeParser.h"
#include "oned/VekInterleavedLineDecoder.h"
#include "oned/VekTelepenLineDecoder.h"
#include "VekFuzzInput.h"

using namespace orvel;

namespace {

void parseDocumented(const TVectorDouble& widths) {
    std::unique_ptr<TVekBarcodeParser> parsers[] = {
        std::make_unique<TVekCode128Parser>(),  std::make_unique<TVekCodeEAN8Parser>(),
        std::make_unique<TVekCodeEAN13Parser>(), std::make_unique<TVekCode39Parser>(),
        std::make_unique<TVekCodeUPCEParser>(),  std::make_unique<TVekCodeUPCAParser>(),
        std::make_unique<TVekCode25InterleavedParser>(), std::make_unique<TVekIdentcodeParser>(),
        std::make_unique<TVekCodabarParser>()};
    for (auto& parser : parsers) {
        try {
            TVekBarcode1DReader::parseBarcode(*parser, widths);
        } catch (const TVekException&) {
        }
    }
}

void decodeLine(const TVekBarRow& row) {
    const TVekBarcodeFormats all;
    std::vector<TVekLinearRead> reads;
    TVekCode128LineDecoder().decode(row, reads);
    TVekEanUpcLineDecoder(all).decode(row, reads);
    TVekCode39LineDecoder(TVekCode39Interpreter(all, true)).decode(row, reads);
    TVekCode93LineDecoder().decode(row, reads);
    TVekTelepenLineDecoder().decode(row, reads);
    TVekInterleavedLineDecoder(all, 6).decode(row, reads);
    TVekCodabarLineDecoder().decode(row, reads);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TVekFuzzInput input(data, size);
    const double quiet = input.byte();
    TVectorDouble widths;
    while (input.remaining() > 0) {
        const uint8_t b = input.byte();
        widths.push_back(1 + (b & 0x0F) + (b >> 4) / 16.0);
    }
    parseDocumented(widths);

    TVekBarRow row({0, 0}, {1, 0});
    double edge = quiet;
    row.addElement(edge, false);
    for (size_t i = 0; i < widths.size(); ++i) {
        edge += widths[i];
        row.addElement(edge, i % 2 == 0);
    }
    row.finish(edge + quiet);
    decodeLine(row);
    decodeLine(row.reversed());
    return 0;
}
