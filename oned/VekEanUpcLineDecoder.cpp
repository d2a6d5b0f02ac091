#include "oned/VekEanUpcLineDecoder.h"

#include <array>
#include <cmath>
#include <string_view>

#include "foundation/VekGS1CheckDigit.h"
#include "oned/VekCharacterMatcher.h"

namespace orvel {

namespace {

// Set A (odd parity) in the order space, bar, space, bar; set B is each
// pattern backwards; the right half (set C) has set A's widths from a bar.
constexpr std::array<std::string_view, 10> setA = {"3211", "2221", "2122", "1411", "1132",
                                                   "1231", "1114", "1312", "1213", "3112"};
constexpr std::array<std::string_view, 20> setAB = {"3211", "2221", "2122", "1411", "1132", "1231", "1114",
                                                    "1312", "1213", "3112", "1123", "1222", "2212", "1141",
                                                    "2311", "1321", "4111", "2131", "3121", "2113"};
// The parity of the left half of EAN-13 for each leading digit (bit set: set B).
constexpr std::array<int, 10> leadingParity = {0x00, 0x0b, 0x0d, 0x0e, 0x13, 0x19, 0x1c, 0x15, 0x16, 0x1a};
// UPC-E in number system 0: parity of the six digits for each check digit
// (bit set: set B; number system 1 has the complement).
constexpr std::array<int, 10> upcEParity = {0x38, 0x34, 0x32, 0x31, 0x2c, 0x26, 0x23, 0x2a, 0x29, 0x25};

// The parity of the five digits of EAN-5 for each value of its checksum (bit
// 4 for the first digit; set: set B). EAN-2 has the value modulo 4 as its.
constexpr std::array<int, 10> fiveDigitParity = {0x18, 0x14, 0x12, 0x11, 0x0c, 0x06, 0x03, 0x0a, 0x09, 0x05};
// The gap between a symbol and its add-on, in modules: the standard's 7 to
// 12, with room for perspective and for print that stretches it.
constexpr double minimumAddOnGap = 5;
constexpr double maximumAddOnGap = 15;

// A digit whose similar-edge distances are further off than this is no digit.
constexpr double maximumDeviation = 0.75;
// The quiet zone on each side, in modules (the standard asks for 7 to 11;
// photographs are often cropped close).
constexpr double quietModules = 4.5;
// A digit whose score is not clearly better than the next best digit's is a
// guess: such guesses pass the weak check digit one time in ten.
constexpr double maximumAmbiguity = 0.7;
// A digit is seven modules; a lost or a made-up edge changes that.
constexpr double lowWidth = 5.6;
constexpr double highWidth = 8.4;

// Every element of a guard one module wide, by the same distances.
bool isGuard(const TVekBarRow& row, size_t first, size_t count) {
    if (first + count > row.size()) return false;
    const double module = row.sum(first, count) / static_cast<double>(count);
    for (size_t i = first; i + 1 < first + count; ++i)
        if (std::abs((row.width(i) + row.width(i + 1)) / module - 2) > 0.7) return false;
    return true;
}

bool hasQuietZone(const TVekBarRow& row, size_t element, double module) {
    return row.isQuiet(element, quietModules * module);
}

// Reads `count` digits from element `first`; the bit i of `parity` is set
// for a set B digit. `module` follows the characters' widths.
bool readDigits(const TVekBarRow& row, size_t first, size_t count, bool left, double& module, std::string& digits,
                int& parity) {
    for (size_t d = 0; d < count; ++d) {
        const size_t at = first + 4 * d;
        const double width = row.sum(at, 4);
        if (width < lowWidth * module || width > highWidth * module) return false;
        const TVekCharacterMatch match = left ? matchCharacter(row, at, setAB, 7) : matchCharacter(row, at, setA, 7);
        if (match.value < 0 || match.deviation > maximumDeviation) return false;
        if (match.score > maximumAmbiguity * match.runnerUp) return false;
        digits.push_back(static_cast<char>('0' + match.value % 10));
        if (match.value >= 10) parity |= 1 << (count - 1 - d);
        module = 0.5 * module + 0.5 * width / 7;
    }
    return true;
}

}  // namespace

bool hasEanCheckDigit(const std::string& digits) {
    if (digits.size() < 2) return false;
    return gs1CheckDigit(std::string_view(digits).substr(0, digits.size() - 1)) == digits.back();
}

std::string expandUpcE(const std::string& upcE) {
    if (upcE.size() != 8) return {};
    const std::string_view d(upcE.data() + 1, 6);
    std::string body;
    switch (d[5]) {
    case '0': case '1': case '2':
        body = std::string(d.substr(0, 2)) + d[5] + "0000" + std::string(d.substr(2, 3));
        break;
    case '3':
        body = std::string(d.substr(0, 3)) + "00000" + std::string(d.substr(3, 2));
        break;
    case '4':
        body = std::string(d.substr(0, 4)) + "00000" + d[4];
        break;
    default:
        body = std::string(d.substr(0, 5)) + "0000" + d[5];
        break;
    }
    return upcE.substr(0, 1) + body + upcE.substr(7, 1);
}

namespace {

// The six digits after the start guard, of a parity EAN-13, UPC-A or UPC-E
// has, and the guard after them (UPC-E's end guard begins like the centre
// guard).
bool showsLeftHalf(const TVekBarRow& row, size_t start, double module) {
    std::string digits;
    int parity = 0;
    if (start + 32 > row.size() || !readDigits(row, start + 3, 6, true, module, digits, parity) ||
        !isGuard(row, start + 27, 5))
        return false;
    for (size_t k = 0; k < 10; ++k)
        if (parity == leadingParity[k] || parity == upcEParity[k] || parity == (0x3f ^ upcEParity[k])) return true;
    return false;
}

}  // namespace

void TVekEanUpcLineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads,
                                   TVekLinearClues* clues) const {
    using F = TVekBarcodeFormat;
    const bool wants13 = formats_.asks(F::ean13) || formats_.asks(F::upcA);
    const bool wants8 = formats_.asks(F::ean8), wantsE = formats_.asks(F::upcE);
    for (size_t start = 1; start + 33 < row.size(); start += 2) {
        if (!isGuard(row, start, 3)) continue;
        const double module = row.sum(start, 3) / 3;
        if (!hasQuietZone(row, start - 1, module)) continue;
        TVekLinearRead read;
        if ((wants13 && readEan13(row, start, module, read)) || (wants8 && readEan8(row, start, module, read)) ||
            (wantsE && readUpcE(row, start, module, read))) {
            read.firstElement = start;
            const bool withAddOn = addOn_ != TVekEanAddOn::ignore && readAddOn(row, read.lastElement + 1, module, read);
            if (withAddOn || addOn_ != TVekEanAddOn::require) reads.push_back(read);
            start = read.lastElement;
        } else if (clues && showsLeftHalf(row, start, module)) {
            ++clues->partialSymbols;
        }
    }
}

bool TVekEanUpcLineDecoder::readAddOn(const TVekBarRow& row, size_t gap, double module, TVekLinearRead& read) {
    if (gap >= row.size() || row.width(gap) < minimumAddOnGap * module || row.width(gap) > maximumAddOnGap * module)
        return false;
    // The two digits of EAN-2 are the start of an EAN-5 that lost its end:
    // the longer is tried first, and the shorter needs its quiet zone.
    return readAddOnOf(row, gap, 5, module, read) || readAddOnOf(row, gap, 2, module, read);
}

// The add-on: guard 1011, then digits of set A or B parted by 01.
bool TVekEanUpcLineDecoder::readAddOnOf(const TVekBarRow& row, size_t gap, size_t count, double module,
                                        TVekLinearRead& read) {
    const size_t guard = gap + 1, quiet = guard + 6 * count + 1;
    if (quiet >= row.size()) return false;
    double own = row.sum(guard, 3) / 4;
    if (std::abs(own / module - 1) > 0.35) return false;
    if (std::abs((row.width(guard) + row.width(guard + 1)) / own - 2) > 0.7 ||
        std::abs((row.width(guard + 1) + row.width(guard + 2)) / own - 3) > 0.7)
        return false;
    std::string digits;
    int parity = 0;
    for (size_t d = 0; d < count; ++d) {
        const size_t at = guard + 3 + 6 * d;
        int set = 0;
        if (!readDigits(row, at, 1, true, own, digits, set)) return false;
        parity = parity << 1 | set;
        if (d + 1 < count && std::abs((row.width(at + 4) + row.width(at + 5)) / own - 2) > 0.7) return false;
    }
    if (!row.isQuiet(quiet, quietModules * own)) return false;
    int value = 0;
    for (const char digit : digits) value = 10 * value + (digit - '0');
    if (count == 2 && parity != value % 4) return false;
    if (count == 5) {
        const auto at = [&](size_t i) { return digits[i] - '0'; };
        const int checksum = (3 * (at(0) + at(2) + at(4)) + 9 * (at(1) + at(3))) % 10;
        if (parity != fiveDigitParity[static_cast<size_t>(checksum)]) return false;
    }
    read.bytes += digits;
    read.identifier = "]E3";
    read.lastElement = quiet - 1;
    return true;
}

bool TVekEanUpcLineDecoder::readEan13(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const {
    if (start + 59 >= row.size()) return false;
    std::string digits(1, '0');
    int parity = 0, rightParity = 0;
    if (!readDigits(row, start + 3, 6, true, module, digits, parity)) return false;
    if (!isGuard(row, start + 27, 5)) return false;
    if (!readDigits(row, start + 32, 6, false, module, digits, rightParity)) return false;
    if (!isGuard(row, start + 56, 3) || !hasQuietZone(row, start + 59, module)) return false;
    int leading = 0;
    while (leading < 10 && leadingParity[static_cast<size_t>(leading)] != parity) ++leading;
    if (leading == 10) return false;
    digits[0] = static_cast<char>('0' + leading);
    if (!hasEanCheckDigit(digits)) return false;
    if (leading == 0 && formats_.asks(TVekBarcodeFormat::upcA)) {
        read.format = TVekBarcodeFormat::upcA;
        read.bytes = digits.substr(1);
    } else if (formats_.asks(TVekBarcodeFormat::ean13)) {
        read.format = TVekBarcodeFormat::ean13;
        read.bytes = digits;
    } else {
        return false;
    }
    read.identifier = "]E0";
    read.lastElement = start + 58;
    return true;
}

bool TVekEanUpcLineDecoder::readEan8(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const {
    if (start + 43 >= row.size()) return false;
    std::string digits;
    int parity = 0;
    if (!readDigits(row, start + 3, 4, true, module, digits, parity) || parity != 0) return false;
    if (!isGuard(row, start + 19, 5)) return false;
    if (!readDigits(row, start + 24, 4, false, module, digits, parity)) return false;
    if (!isGuard(row, start + 40, 3) || !hasQuietZone(row, start + 43, module)) return false;
    if (!hasEanCheckDigit(digits)) return false;
    read.format = TVekBarcodeFormat::ean8;
    read.bytes = digits;
    read.identifier = "]E4";
    read.lastElement = start + 42;
    return true;
}

bool TVekEanUpcLineDecoder::readUpcE(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const {
    if (start + 33 >= row.size()) return false;
    std::string digits;
    int parity = 0;
    if (!readDigits(row, start + 3, 6, true, module, digits, parity)) return false;
    if (!isGuard(row, start + 27, 6) || !hasQuietZone(row, start + 33, module)) return false;
    for (int system = 0; system < 2; ++system) {
        for (int check = 0; check < 10; ++check) {
            const int expected = system == 0 ? upcEParity[static_cast<size_t>(check)] : 0x3f ^ upcEParity[static_cast<size_t>(check)];
            if (expected != parity) continue;
            const std::string number = std::string(1, static_cast<char>('0' + system)) + digits +
                                       static_cast<char>('0' + check);
            if (!hasEanCheckDigit(expandUpcE(number))) return false;
            read.format = TVekBarcodeFormat::upcE;
            read.bytes = number;
            read.identifier = "]E0";
            read.lastElement = start + 32;
            return true;
        }
    }
    return false;
}

}  // namespace orvel
