#include "datamatrix/VekDatamatrixContent.h"

#include <cstdio>

#include "datamatrix/VekDatamatrixCWDecoder.h"
#include "datamatrix/VekDecodeCWException.h"

namespace orvel {

namespace {

constexpr char GROUP_SEPARATOR = 0x1D;
// The header and trailer the two macro codewords stand for.
constexpr const char* MACRO_HEADER = "[)>\x1E";
constexpr const char* MACRO_TRAILER = "\x1E\x04";

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

void TVekDatamatrixContent::applyControl(const std::string& label, bool first, TVekBarcode& barcode,
                                         std::string& trailer) {
    if (label == "FNC1") {
        if (first) barcode.symbologyIdentifier = "]d2";
        else barcode.bytes += GROUP_SEPARATOR;
    } else if (label == "MACRO5" || label == "MACRO6") {
        barcode.bytes += MACRO_HEADER;
        barcode.bytes += label == "MACRO5" ? "05" : "06";
        barcode.bytes += GROUP_SEPARATOR;
        trailer = MACRO_TRAILER;
    } else if (startsWith(label, "ECI: ")) {
        barcode.eciMarks.push_back({barcode.bytes.size(), std::atoi(label.c_str() + 5)});
    } else if (startsWith(label, "STRUCTURED_APPEND: ")) {
        int index = 0, count = 0, file1 = 0, file2 = 0;
        if (std::sscanf(label.c_str() + 19, "%d/%d %d,%d", &index, &count, &file1, &file2) == 4) {
            barcode.structuredAppend.index = index - 1;
            barcode.structuredAppend.count = count;
            barcode.structuredAppend.id = std::to_string(file1 * 256 + file2);
        }
    }
    // Reader Programming carries no content.
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
    std::string trailer;
    bool first = true;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t value = values[static_cast<size_t>(i)];
        const std::string& label = texts[static_cast<size_t>(i)];
        if (value >= 0) {
            barcode.bytes += static_cast<char>(value);
            first = false;
            continue;
        }
        applyControl(label, first, barcode, trailer);
        // Structured append and ECI come before the data and leave the FNC1
        // after them in the first place.
        if (!startsWith(label, "STRUCTURED_APPEND") && !startsWith(label, "ECI")) first = false;
    }
    barcode.bytes += trailer;
    barcode.isValid = true;
    barcode.error.clear();
}

}  // namespace orvel
