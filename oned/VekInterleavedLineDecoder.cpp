#include "oned/VekInterleavedLineDecoder.h"

#include <array>
#include <cmath>

#include "oned/VekCharacterMatcher.h"

namespace orvel {

namespace {

// Wide elements of the digits 0 to 9 (bit i: element i of the five is wide).
constexpr std::array<int, 10> digitMasks = {0x0c, 0x11, 0x12, 0x03, 0x14, 0x05, 0x06, 0x18, 0x09, 0x0a};
constexpr double quietNarrows = 8;
constexpr double fullQuietNarrows = 10;
constexpr size_t maximumDigits = 80;

// The digit of five elements of one colour from `first` on (every other
// element), and their mean narrow width.
int digitOf(const TVekBarRow& row, size_t first, double& narrow) {
    std::array<double, 5> widths{};
    for (size_t i = 0; i < 5; ++i) widths[i] = row.width(first + 2 * i);
    const int mask = wideElements(widths, 2, narrow);
    for (size_t d = 0; d < digitMasks.size(); ++d)
        if (digitMasks[d] == mask) return static_cast<int>(d);
    return -1;
}

bool isNarrow(double width, double narrow) { return width < 1.6 * narrow && width > 0.4 * narrow; }

}  // namespace

bool hasIdentcodeCheckDigit(const std::string& digits) {
    if (digits.size() != 12) return false;
    int sum = 0;
    for (size_t i = 0; i < 11; ++i) sum += (i % 2 == 0 ? 4 : 9) * (digits[i] - '0');
    return (10 - sum % 10) % 10 == digits[11] - '0';
}

void TVekInterleavedLineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const {
    for (size_t start = 1; start + 4 + 10 + 3 < row.size(); start += 2) {
        TVekLinearRead read;
        if (readSymbol(row, start, read)) {
            reads.push_back(read);
            start = read.lastElement;
        }
    }
}

bool TVekInterleavedLineDecoder::readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read) const {
    double narrow = row.sum(start, 4) / 4;
    for (size_t i = start; i < start + 4; ++i)
        if (!isNarrow(row.width(i), narrow)) return false;
    if (!row.isQuiet(start - 1, quietNarrows * narrow)) return false;
    std::string digits;
    size_t at = start + 4;
    while (digits.size() < maximumDigits && at + 3 < row.size()) {
        // The stop pattern: a wide bar, a narrow space, a narrow bar, then quiet.
        const double bar = row.width(at);
        if (bar > 1.6 * narrow && isNarrow(row.width(at + 1), narrow) && isNarrow(row.width(at + 2), narrow) &&
            row.isQuiet(at + 3, quietNarrows * narrow))
            break;
        if (at + 10 >= row.size()) return false;
        const double width = row.sum(at, 10);
        if (width < 9 * narrow || width > 26 * narrow) return false;
        double barNarrow = 0, spaceNarrow = 0;
        const int first = digitOf(row, at, barNarrow), second = digitOf(row, at + 1, spaceNarrow);
        if (first < 0 || second < 0) return false;
        digits.push_back(static_cast<char>('0' + first));
        digits.push_back(static_cast<char>('0' + second));
        narrow = 0.5 * narrow + 0.25 * (barNarrow + spaceNarrow);
        at += 10;
    }
    if (at + 3 >= row.size() || digits.empty()) return false;
    // Fewer digits only with the standard's full quiet zones on both sides,
    // which no piece of another symbol has.
    const double fullQuiet = fullQuietNarrows * narrow;
    if (static_cast<int>(digits.size()) < minimumDigits_ &&
        (row.width(start - 1) < fullQuiet || row.width(at + 3) < fullQuiet))
        return false;
    if (formats_.asks(TVekBarcodeFormat::interleaved25)) {
        read.format = TVekBarcodeFormat::interleaved25;
    } else if (formats_.asks(TVekBarcodeFormat::identcode) && hasIdentcodeCheckDigit(digits)) {
        read.format = TVekBarcodeFormat::identcode;
    } else {
        return false;
    }
    read.bytes = digits;
    read.identifier = "]I0";
    read.firstElement = start;
    read.lastElement = at + 2;
    return true;
}

}  // namespace orvel
