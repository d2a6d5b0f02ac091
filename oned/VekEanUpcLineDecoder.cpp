#include "oned/VekEanUpcLineDecoder.h"

#include <array>
#include <cmath>
#include <string_view>

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

// A digit whose similar-edge distances are further off than this is no digit.
constexpr double maximumDeviation = 0.75;
// The quiet zone on each side, in modules (the standard asks for 7 to 11;
// photographs are often cropped close).
constexpr double quietModules = 4.5;
// A digit whose score is not clearly better than the next best digit's is a
// guess: such guesses pass the weak check digit one time in ten.
constexpr double maximumAmbiguity = 0.7;
// Digits that fail the parity or the check digit are read again with the
// least certain digit's runner-up in its place, when that digit came at least
// this close (its score over the runner-up's): blur and a curved label swap
// digits whose similar-edge distances differ by one module in one place.
constexpr double minimumCloseness = 0.3;
// A digit is seven modules; a lost or a made-up edge changes that.
constexpr double lowWidth = 5.6;
constexpr double highWidth = 8.4;

// The digits read on a line, with the least certain one's runner-up.
struct TVekDigitsRead {
    std::string digits;
    int parity = 0;
    double closeness = 0;
    size_t weakest = std::string::npos;
    char alternative = '0';
    int alternativeBit = 0;  // its parity bit, 0 in a right half
    bool alternativeInB = false;

    // The same digits with the runner-up in the weakest place, if close enough.
    bool swapWeakest(TVekDigitsRead& other) const {
        if (weakest >= digits.size() || closeness < minimumCloseness) return false;
        other = *this;
        other.digits[weakest] = alternative;
        other.parity = (parity & ~alternativeBit) | (alternativeInB ? alternativeBit : 0);
        other.weakest = std::string::npos;
        return true;
    }
};

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

// Reads `count` digits from element `first` into `read`; the bit i of its
// parity is set for a set B digit of the left half. `module` follows the
// characters' widths.
bool readDigits(const TVekBarRow& row, size_t first, size_t count, bool left, double& module, TVekDigitsRead& read) {
    for (size_t d = 0; d < count; ++d) {
        const size_t at = first + 4 * d;
        const double width = row.sum(at, 4);
        if (width < lowWidth * module || width > highWidth * module) return false;
        const TVekCharacterMatch match = left ? matchCharacter(row, at, setAB, 7) : matchCharacter(row, at, setA, 7);
        if (match.value < 0 || match.deviation > maximumDeviation) return false;
        if (match.score > maximumAmbiguity * match.runnerUp) return false;
        const int bit = left ? 1 << (count - 1 - d) : 0;
        const double closeness = match.score / match.runnerUp;
        if (match.runnerUpValue >= 0 && closeness > read.closeness) {
            read.closeness = closeness;
            read.weakest = read.digits.size();
            read.alternative = static_cast<char>('0' + match.runnerUpValue % 10);
            read.alternativeBit = bit;
            read.alternativeInB = match.runnerUpValue >= 10;
        }
        read.digits.push_back(static_cast<char>('0' + match.value % 10));
        if (match.value >= 10) read.parity |= bit;
        module = 0.5 * module + 0.5 * width / 7;
    }
    return true;
}

bool ean13Content(const TVekBarcodeFormats& formats, const TVekDigitsRead& read, TVekLinearRead& result) {
    int leading = 0;
    while (leading < 10 && leadingParity[static_cast<size_t>(leading)] != read.parity) ++leading;
    if (leading == 10) return false;
    std::string digits = read.digits;
    digits[0] = static_cast<char>('0' + leading);
    if (!hasEanCheckDigit(digits)) return false;
    if (leading == 0 && formats.asks(TVekBarcodeFormat::upcA)) {
        result.format = TVekBarcodeFormat::upcA;
        result.bytes = digits.substr(1);
    } else if (formats.asks(TVekBarcodeFormat::ean13)) {
        result.format = TVekBarcodeFormat::ean13;
        result.bytes = digits;
    } else {
        return false;
    }
    return true;
}

bool ean8Content(const TVekDigitsRead& read, TVekLinearRead& result) {
    if (read.parity != 0 || !hasEanCheckDigit(read.digits)) return false;
    result.format = TVekBarcodeFormat::ean8;
    result.bytes = read.digits;
    return true;
}

// The number system and the check digit are the parity of the six digits.
bool upcEContent(const TVekDigitsRead& read, TVekLinearRead& result) {
    for (int system = 0; system < 2; ++system) {
        for (int check = 0; check < 10; ++check) {
            const int expected = system == 0 ? upcEParity[static_cast<size_t>(check)] : 0x3f ^ upcEParity[static_cast<size_t>(check)];
            if (expected != read.parity) continue;
            const std::string number = std::string(1, static_cast<char>('0' + system)) + read.digits +
                                       static_cast<char>('0' + check);
            if (!hasEanCheckDigit(expandUpcE(number))) return false;
            result.format = TVekBarcodeFormat::upcE;
            result.bytes = number;
            return true;
        }
    }
    return false;
}

// The content `content` makes of the digits as read or, failing that, with
// the weakest digit's runner-up in its place.
template <typename Content>
bool contentOrSwapped(const TVekDigitsRead& digits, Content content) {
    if (content(digits)) return true;
    TVekDigitsRead swapped;
    return digits.swapWeakest(swapped) && content(swapped);
}

}  // namespace

bool hasEanCheckDigit(const std::string& digits) {
    if (digits.size() < 2) return false;
    int sum = 0;
    for (size_t i = 0; i + 1 < digits.size(); ++i) {
        const int weight = ((digits.size() - 2 - i) % 2 == 0) ? 3 : 1;
        sum += weight * (digits[i] - '0');
    }
    return (10 - sum % 10) % 10 == digits.back() - '0';
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

void TVekEanUpcLineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const {
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
            reads.push_back(read);
            start = read.lastElement;
        }
    }
}

bool TVekEanUpcLineDecoder::readEan13(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const {
    if (start + 59 >= row.size()) return false;
    TVekDigitsRead digits;
    digits.digits = "0";
    if (!readDigits(row, start + 3, 6, true, module, digits)) return false;
    if (!isGuard(row, start + 27, 5)) return false;
    if (!readDigits(row, start + 32, 6, false, module, digits)) return false;
    if (!isGuard(row, start + 56, 3) || !hasQuietZone(row, start + 59, module)) return false;
    const auto content = [&](const TVekDigitsRead& d) { return ean13Content(formats_, d, read); };
    if (!contentOrSwapped(digits, content)) return false;
    read.identifier = "]E0";
    read.lastElement = start + 58;
    return true;
}

bool TVekEanUpcLineDecoder::readEan8(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const {
    if (start + 43 >= row.size()) return false;
    TVekDigitsRead digits;
    if (!readDigits(row, start + 3, 4, true, module, digits)) return false;
    if (!isGuard(row, start + 19, 5)) return false;
    if (!readDigits(row, start + 24, 4, false, module, digits)) return false;
    if (!isGuard(row, start + 40, 3) || !hasQuietZone(row, start + 43, module)) return false;
    if (!contentOrSwapped(digits, [&](const TVekDigitsRead& d) { return ean8Content(d, read); })) return false;
    read.identifier = "]E4";
    read.lastElement = start + 42;
    return true;
}

bool TVekEanUpcLineDecoder::readUpcE(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const {
    if (start + 33 >= row.size()) return false;
    TVekDigitsRead digits;
    if (!readDigits(row, start + 3, 6, true, module, digits)) return false;
    if (!isGuard(row, start + 27, 6) || !hasQuietZone(row, start + 33, module)) return false;
    if (!contentOrSwapped(digits, [&](const TVekDigitsRead& d) { return upcEContent(d, read); })) return false;
    read.identifier = "]E0";
    read.lastElement = start + 32;
    return true;
}

}  // namespace orvel
