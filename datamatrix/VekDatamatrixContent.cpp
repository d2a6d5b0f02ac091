#include "datamatrix/VekDatamatrixContent.h"

#include "datamatrix/VekDatamatrixCWDecoder.h"
#include "datamatrix/VekDecodeCWException.h"

namespace orvel {

namespace {

using Kind = TVekDatamatrixControl::TKind;

constexpr char GROUP_SEPARATOR = 0x1D;
// The header and trailer the two macro codewords stand for.
constexpr const char* MACRO_HEADER = "[)>\x1E";
constexpr const char* MACRO_TRAILER = "\x1E\x04";

}  // namespace

void TVekDatamatrixContent::applyControl(const TVekDatamatrixControl& control, bool first, TVekBarcode& barcode,
                                         std::string& trailer) {
    switch (control.kind) {
    case Kind::fnc1:
        if (first) barcode.symbologyIdentifier = "]d2";
        else barcode.bytes += GROUP_SEPARATOR;
        return;
    case Kind::macro05:
    case Kind::macro06:
        barcode.bytes += MACRO_HEADER;
        barcode.bytes += control.kind == Kind::macro05 ? "05" : "06";
        barcode.bytes += GROUP_SEPARATOR;
        trailer = MACRO_TRAILER;
        return;
    case Kind::eci:
        barcode.eciMarks.push_back({barcode.bytes.size(), control.eci});
        return;
    case Kind::structuredAppend:
        barcode.structuredAppend.index = control.append.position - 1;
        barcode.structuredAppend.count = control.append.count;
        barcode.structuredAppend.id = std::to_string(control.append.file1 * 256 + control.append.file2);
        return;
    case Kind::readerProgramming:  // carries no content
        return;
    }
}

void TVekDatamatrixContent::decode(const TVectorInteger& codewords, TVekBarcode& barcode) {
    barcode.format = TVekBarcodeFormat::dataMatrix;
    barcode.bytes.clear();
    barcode.eciMarks.clear();
    barcode.symbologyIdentifier = "]d1";
    // Each codeword gives at most three values (C40, Text and X12 pairs give
    // three per two, EDIFACT four per three).
    const size_t room = codewords.size() * 3 + 8;
    TVectorString texts(room);
    TVectorInteger values(room);
    int32_t pos = 0;
    int32_t count = 0;
    TVekDatamatrixCWDecoder decoder;
    decoder.setExtended(true);
    try {
        decoder.decode(pos, codewords, texts, values, count);
    } catch (const TVekDecodeCWException& e) {
        barcode.isValid = false;
        barcode.error = e.what();
        return;
    }
    const TVekDatamatrixControls& controls = decoder.controls();
    size_t nextControl = 0;
    std::string trailer;
    bool first = true;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t value = values[static_cast<size_t>(i)];
        if (value >= 0) {
            barcode.bytes += static_cast<char>(value);
            first = false;
            continue;
        }
        // The control entries come in output order. A -1 without one is the
        // ASCII codeword 0, which encoders never write: no byte, but it ends
        // the first place all the same.
        if (nextControl >= controls.size() || controls[nextControl].output != i) {
            first = false;
            continue;
        }
        const TVekDatamatrixControl& control = controls[nextControl++];
        applyControl(control, first, barcode, trailer);
        // Structured append and ECI come before the data and leave the FNC1
        // after them in the first place.
        if (control.kind != Kind::structuredAppend && control.kind != Kind::eci) first = false;
    }
    barcode.bytes += trailer;
    barcode.isValid = true;
    barcode.error.clear();
}

}  // namespace orvel
