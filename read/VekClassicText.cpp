#include "read/VekClassicText.h"

#include <algorithm>
#include <string_view>

#include "foundation/VekSymbology.h"
#include "oned/VekEanUpcLineDecoder.h"

namespace orvel {

namespace {

using F = TVekBarcodeFormat;


// The Code 128 function character a marker at text[at] stands for, with its
// length; none for plain data.
enum class TFunction { none, fnc1, fnc2, fnc3, fnc4 };

TFunction functionAt(std::string_view text, size_t at, size_t& length) {
    static constexpr std::pair<std::string_view, TFunction> markers[] = {
        {"~d202", TFunction::fnc1}, {"_100", TFunction::fnc4}, {"_101", TFunction::fnc4},
        {"_97", TFunction::fnc2},   {"_96", TFunction::fnc3}};
    for (const auto& [marker, function] : markers) {
        if (text.substr(at, marker.size()) == marker) {
            length = marker.size();
            return function;
        }
    }
    return TFunction::none;
}

void decodeCode128Markers(const std::string& text, TVekBarcode& barcode) {
    std::string bytes;
    bool extended = false;   // latched by a double FNC4
    bool shiftNext = false;  // a single FNC4 before the next character
    size_t at = 0;
    while (at < text.size()) {
        size_t length = 1;
        const TFunction function = functionAt(text, at, length);
        if (function == TFunction::fnc4) {
            size_t nextLength = 1;
            if (functionAt(text, at + length, nextLength) == TFunction::fnc4 && !shiftNext) {
                extended = !extended;
                at += length + nextLength;
            } else {
                shiftNext = true;
                at += length;
            }
            continue;
        }
        if (function == TFunction::fnc1) {
            if (at == 0) barcode.symbologyIdentifier = "]C1";
            else bytes += '\x1D';
        } else if (function == TFunction::none) {
            const auto c = static_cast<unsigned char>(text[at]);
            bytes += static_cast<char>(extended != shiftNext ? c | 0x80 : c);
            shiftNext = false;
        }
        at += length;
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

TVekBarcode classicLinearBarcode(TVekBarcodeFormat format, const std::string& text, bool upcAAsked) {
    TVekBarcode barcode;
    barcode.format = format;
    barcode.bytes = text;
    if (format == F::code128) {
        decodeCode128Markers(text, barcode);
    } else if (format == F::ean13 && upcAAsked && text.size() == 13 && text[0] == '0') {
        barcode.format = F::upcA;
        barcode.bytes = text.substr(1);
    } else if (format == F::upcE) {
        const std::string digits = upcEDigits(text);
        if (!digits.empty()) barcode.bytes = digits;
    }
    if (barcode.symbologyIdentifier.empty()) barcode.symbologyIdentifier = symbologyOf(barcode.format).identifier;
    return barcode;
}

TVekBarcode classicDatamatrixBarcode(const TVectorInteger& values) {
    TVekBarcode barcode;
    barcode.format = F::dataMatrix;
    barcode.symbologyIdentifier = "]d1";
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i] == -1) {
            if (i > 0) barcode.bytes += '\x1D';
            continue;
        }
        barcode.bytes += static_cast<char>(values[i] & 0xFF);
    }
    return barcode;
}

}  // namespace orvel
