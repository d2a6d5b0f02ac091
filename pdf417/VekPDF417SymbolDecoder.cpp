#include "pdf417/VekPDF417SymbolDecoder.h"

#include <algorithm>

#include "pdf417/VekPDF417CWDecoder.h"
#include "pdf417/VekPDF417RS.h"

namespace orvel {

namespace {

constexpr int32_t ECI_USER = 925;     // one codeword: 810900 + c
constexpr int32_t ECI_GENERAL = 926;  // two codewords: 900 + 900 c1 + c2
constexpr int32_t ECI_CHARSET = 927;  // one codeword: c

bool isEci(int32_t codeword) { return codeword >= ECI_USER && codeword <= ECI_CHARSET; }

TVekBarcodeFormat formatOf(const TVekPDF417Grid& grid) {
    return grid.isMicro() ? TVekBarcodeFormat::microPdf417 : TVekBarcodeFormat::pdf417;
}

TVekBarcode failed(const TVekPDF417Grid& grid, const std::string& why) {
    TVekBarcode barcode;
    barcode.format = formatOf(grid);
    barcode.isValid = false;
    barcode.error = why;
    barcode.position = grid.corners;
    return barcode;
}

}  // namespace

TVekBarcode TVekPDF417SymbolDecoder::decode(const TVekPDF417Grid& grid) {
    TVectorInteger codewords = grid.codewords;
    TVectorInteger erasures;
    for (size_t i = 0; i < codewords.size(); ++i) {
        if (codewords[i] >= 0) continue;
        erasures.push_back(static_cast<int32_t>(i));
        codewords[i] = 0;
    }
    const int32_t eccCount = grid.eccCount();
    // Two check codewords stay spare (when there are more than two), so that
    // a symbol read badly is found out rather than miscorrected.
    const auto erased = static_cast<int32_t>(erasures.size());
    const int32_t spare = eccCount > 2 ? 2 : 0;
    if (erased > eccCount - spare) return failed(grid, "too many codewords unread");
    const TVekPDF417RS rs;
    const int32_t corrected = rs.correct(codewords, eccCount, erasures);
    if (corrected < 0) return failed(grid, "error correction failed");
    const int32_t errors = std::max(corrected - erased, 0);
    if (erased + 2 * errors > eccCount - spare) return failed(grid, "too many codewords wrong");
    const int32_t dataCount = static_cast<int32_t>(codewords.size()) - eccCount;
    TVectorInteger data;
    if (grid.isMicro()) {
        // No length descriptor: all data codewords (the padding 900s decode
        // to nothing), with the count put in front for the decoder.
        if (dataCount < 1) return failed(grid, "no data codewords");
        data.push_back(dataCount + 1);
        data.insert(data.end(), codewords.begin(), codewords.begin() + dataCount);
    } else {
        if (codewords[0] < 1 || codewords[0] > dataCount) return failed(grid, "bad symbol length descriptor");
        data.assign(codewords.begin(), codewords.begin() + codewords[0]);
    }

    TVekBarcode barcode;
    barcode.format = formatOf(grid);
    barcode.symbologyIdentifier = "]L2";
    barcode.position = grid.corners;
    barcode.setOrientationFromPosition();
    barcode.isMirrored = cross(grid.corners[1] - grid.corners[0], grid.corners[3] - grid.corners[0]) < 0;
    if (!grid.isMicro()) barcode.ecLevel = intToStr(grid.ecLevel);
    try {
        decodeData(data, barcode);
    } catch (const TVekInvalidCWException& e) {
        return failed(grid, e.what());
    }
    return barcode;
}

void TVekPDF417SymbolDecoder::decodeData(const TVectorInteger& data, TVekBarcode& barcode) {
    TVekPDF417CWDecoder decoder;
    decoder.setOpenByteRuns(true);
    TVectorInteger part{0};
    TVectorInteger values;
    // A byte run goes on across ECI designators: the latch it ran under
    // opens the next part unless that part begins with a mode of its own.
    int32_t openLatch = 0;
    const auto flush = [&](size_t next) {
        if (part.size() <= 1) return;
        part[0] = static_cast<int32_t>(part.size());
        decoder.setRunGoesOn(next < data.size() && data[next] < 900);
        decoder.decode(part, values);
        openLatch = decoder.openByteLatch();
        for (int32_t value : values) barcode.bytes.push_back(static_cast<char>(value & 0xFF));
        // The index's two codewords hold at most five digits after the
        // first: an index that has digits has its number.
        if (const std::optional<int32_t> index = decoder.getMacroSegmentIndex()) {
            TVekStructuredAppend& append = barcode.structuredAppend;
            append.index = *index;
            append.id = decoder.getMacroStringFields()[TVekPDF417CWDecoder::MACRO_FILE_ID];
            append.count = decoder.getMacroSegmentCount().value_or(-1);
        }
        part.resize(1);
    };
    for (size_t pos = 1; pos < data.size(); ++pos) {
        const int32_t c = data[pos];
        if (!isEci(c)) {
            if (part.size() == 1 && openLatch != 0 && c < 900) part.push_back(openLatch);
            openLatch = 0;
            part.push_back(c);
            continue;
        }
        const size_t needed = c == ECI_GENERAL ? 2 : 1;
        flush(pos + needed + 1);
        if (pos + needed >= data.size()) {
            throw TVekInvalidCWException("ECI designator cut short");
        }
        int eci = 0;
        if (c == ECI_CHARSET) eci = data[pos + 1];
        if (c == ECI_GENERAL) eci = 900 + 900 * data[pos + 1] + data[pos + 2];
        if (c == ECI_USER) eci = 810900 + data[pos + 1];
        pos += needed;
        barcode.eciMarks.push_back({barcode.bytes.size(), eci});
    }
    flush(data.size());
}

}  // namespace orvel
