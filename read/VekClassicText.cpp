#include "read/VekClassicText.h"

#include <algorithm>

#include "foundation/VekSymbology.h"
#include "oned/VekEanUpcLineDecoder.h"

namespace orvel {

namespace {

using F = TVekBarcodeFormat;

// Code 128 content with its function characters applied: FNC1 first marks
// GS1 data (identifier "]C1"), a later FNC1 is GS; a single FNC4 lifts the
// next data byte by 128, a double FNC4 (two marks at one place, no single
// FNC4 pending) lifts every byte up to the next double FNC4; FNC2 and FNC3
// carry nothing.
void applyCode128Functions(const TVekLinearContent& content, TVekBarcode& barcode) {
    using Function = TVekFunctionCharacter;
    const std::vector<TVekFunctionMark>& marks = content.functions;
    std::string bytes;
    bool extended = false;   // latched by a double FNC4
    bool shiftNext = false;  // a single FNC4 before the next character
    size_t next = 0;         // the first mark not applied yet
    for (size_t at = 0; at <= content.bytes.size(); ++at) {
        while (next < marks.size() && marks[next].at == at) {
            const Function kind = marks[next].kind;
            const bool doubled = kind == Function::fnc4 && next + 1 < marks.size() && marks[next + 1].at == at &&
                                 marks[next + 1].kind == Function::fnc4;
            if (doubled && !shiftNext) {
                extended = !extended;
                next += 2;
                continue;
            }
            if (kind == Function::fnc4) shiftNext = true;
            if (kind == Function::fnc1) {
                if (next == 0 && at == 0) barcode.symbologyIdentifier = "]C1";
                else bytes += '\x1D';
            }
            ++next;
        }
        if (at == content.bytes.size()) break;
        const auto c = static_cast<unsigned char>(content.bytes[at]);
        bytes += static_cast<char>(extended != shiftNext ? c | 0x80 : c);
        shiftNext = false;
    }
    barcode.bytes = std::move(bytes);
}

bool isDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The six UPC-E digits of a manufacturer and product number, by the zero
// suppression rules; "" when the number has no UPC-E form.
std::string suppressZeros(const std::string& m, const std::string& p) {
    if (m.substr(3, 2) == "00" && m[2] <= '2' && p.substr(0, 2) == "00") return m.substr(0, 2) + p.substr(2, 3) + m[2];
    if (m.substr(3, 2) == "00" && p.substr(0, 3) == "000") return m.substr(0, 3) + p.substr(3, 2) + "3";
    if (m[4] == '0' && p.substr(0, 4) == "0000") return m.substr(0, 4) + p[4] + "4";
    if (m[4] != '0' && p.substr(0, 4) == "0000" && p[4] >= '5') return m + p[4];
    return "";
}

}  // namespace

std::string upcEDigits(const std::string& expanded) {
    if (expanded.size() != 11 || !isDigits(expanded)) return "";
    for (const char numberSystem : {'0', '1'}) {
        const std::string upcA = numberSystem + expanded;
        if (!hasEanCheckDigit(upcA)) continue;
        const std::string six = suppressZeros(upcA.substr(1, 5), upcA.substr(6, 5));
        if (!six.empty()) return numberSystem + six + upcA[11];
    }
    return "";
}

TVekBarcode classicLinearBarcode(TVekBarcodeFormat format, const TVekLinearContent& content, bool upcAAsked) {
    TVekBarcode barcode;
    barcode.format = format;
    barcode.bytes = content.bytes;
    if (format == F::code128) {
        applyCode128Functions(content, barcode);
    } else if (format == F::ean13 && upcAAsked && content.bytes.size() == 13 && content.bytes[0] == '0') {
        barcode.format = F::upcA;
        barcode.bytes = content.bytes.substr(1);
    } else if (format == F::upcE) {
        const std::string digits = upcEDigits(content.bytes);
        if (!digits.empty()) barcode.bytes = digits;
    }
    if (barcode.symbologyIdentifier.empty()) barcode.symbologyIdentifier = symbologyOf(barcode.format).identifier;
    return barcode;
}

}  // namespace orvel
