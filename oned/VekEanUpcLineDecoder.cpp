#include "oned/VekEanUpcLineDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
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

// The module of the guard from element `start`, by its bar-to-bar distances,
// which bars printed thin or thick leave at two modules where the sum of its
// widths is not.
double guardModule(const TVekBarRow& row, size_t start) {
    return 0.25 * (row.width(start) + 2 * row.width(start + 1) + row.width(start + 2));
}

bool hasQuietZone(const TVekBarRow& row, size_t element, double module) {
    return row.isQuiet(element, quietModules * module);
}

// A digit as one line shows it: the closest pattern (10 to 19: set B) and,
// where the line leaves some doubt, the next closest of other similar-edge
// distances, which blur and a badly printed module make the closest at times.
struct TDigitReading {
    int best = -1;
    int second = -1;
    bool sure = true;
    bool barFirst = false;            // a right-hand digit
    std::array<double, 4> widths{};   // in modules of the digit's own width
};
constexpr size_t maximumDigits = 12;
using TDigitReadings = std::array<TDigitReading, maximumDigits>;
// A best score under this share of the runner-up's leaves no doubt.
constexpr double doubtlessAmbiguity = 0.15;
// Second readings tried together on one line, and doubtful digits besides
// them: each more lets the check digit pass a wrong combination more often.
constexpr int maximumSeconds = 1;
constexpr int maximumOtherDoubts = 0;

// Reads `count` digits from element `first` into `readings`. `module`
// follows the characters' widths.
bool readDigits(const TVekBarRow& row, size_t first, size_t count, bool left, double& module, TDigitReading* readings) {
    for (size_t d = 0; d < count; ++d) {
        const size_t at = first + 4 * d;
        const double width = row.sum(at, 4);
        if (width < lowWidth * module || width > highWidth * module) return false;
        const TVekCharacterMatch match = left ? matchCharacter(row, at, setAB, 7) : matchCharacter(row, at, setA, 7);
        if (match.value < 0 || match.deviation > maximumDeviation) return false;
        TDigitReading& reading = readings[d];
        reading.best = match.value;
        reading.sure = match.score <= maximumAmbiguity * match.runnerUp;
        const bool doubt = match.score > doubtlessAmbiguity * match.runnerUp;
        reading.second = doubt && match.secondDeviation <= maximumDeviation ? match.second : -1;
        reading.barFirst = !left;
        for (size_t i = 0; i < 4; ++i) reading.widths[i] = 7 * row.width(at + i) / width;
        module = 0.5 * module + 0.5 * width / 7;
    }
    return true;
}

// The pattern of a reading's digit (set B for values 10 to 19).
std::string_view patternOf(int value) { return setAB[static_cast<size_t>(value)]; }

// The bars of a digit, in modules, measured and as its pattern has them.
double barModules(const TDigitReading& reading, std::string_view widths) {
    const size_t first = reading.barFirst ? 0 : 1;
    return static_cast<double>(widths[first] - '0') + static_cast<double>(widths[first + 2] - '0');
}
double measuredBarModules(const TDigitReading& reading) {
    const size_t first = reading.barFirst ? 0 : 1;
    return reading.widths[first] + reading.widths[first + 2];
}

// Digits whose twin has the same similar-edge distances (1 and 7, 2 and 8 of
// each set): only single widths tell them apart.
bool hasTwin(int value) {
    const int digit = value % 10;
    return digit == 1 || digit == 2 || digit == 7 || digit == 8;
}
int twinOf(int value) { return value % 10 < 5 ? value + 6 : value - 6; }

// The smallest spread that counts: below it the single widths are left as they are.
constexpr double minimumSpread = 0.15;

// Bars printed thinner or thicker than their modules (ink spread, a heavy
// sharpening) move the single widths but not the similar-edge distances;
// twins are told apart again by single widths less the spread that the
// symbol's other digits show, half of it on each edge of a bar. True when
// some digit changed: the read is then a guess.
bool settleTwins(TDigitReading* readings, size_t count) {
    double spread = 0;
    int counted = 0;
    for (size_t d = 0; d < count; ++d) {
        if (hasTwin(readings[d].best)) continue;
        spread += 0.5 * (measuredBarModules(readings[d]) - barModules(readings[d], patternOf(readings[d].best)));
        ++counted;
    }
    if (counted < 2) return false;
    spread /= counted;
    if (std::abs(spread) < minimumSpread) return false;
    const auto singles = [&](const TDigitReading& reading, int value) {
        const std::string_view pattern = patternOf(value);
        double sum = 0;
        for (size_t i = 0; i < 4; ++i) {
            const bool bar = reading.barFirst == (i % 2 == 0);
            const double error = reading.widths[i] - (bar ? spread : -spread) - (pattern[i] - '0');
            sum += error * error;
        }
        return sum;
    };
    bool changed = false;
    for (size_t d = 0; d < count; ++d) {
        TDigitReading& reading = readings[d];
        if (!hasTwin(reading.best)) continue;
        const int twin = twinOf(reading.best);
        if (singles(reading, twin) >= singles(reading, reading.best)) continue;
        reading.best = twin;
        changed = true;
    }
    return changed;
}

// The digits of one combination (bit d of `seconds` takes digit d's second
// reading) and the parity of the first `paritySpan` of them (bit set: set B,
// the first digit highest).
std::string combination(const TDigitReading* readings, size_t count, uint32_t seconds, size_t paritySpan, int& parity) {
    std::string digits;
    parity = 0;
    for (size_t d = 0; d < count; ++d) {
        const int value = (seconds >> d & 1) != 0 ? readings[d].second : readings[d].best;
        digits.push_back(static_cast<char>('0' + value % 10));
        if (d < paritySpan && value >= 10) parity |= 1 << (paritySpan - 1 - d);
    }
    return digits;
}

// The one combination of the digits' readings that `valid` (digits, parity,
// read) accepts with the fewest second readings: the closest readings first,
// then one, then two second readings, and none when two combinations with as
// few pass. The closest readings when all are sure is the plain read; every
// other is a guess.
template <class Fits, class Valid>
bool resolveDigits(const TDigitReading* readings, size_t count, size_t paritySpan, const Fits& fits,
                   const Valid& valid, TVekLinearRead& read) {
    uint32_t unsure = 0, doubtful = 0;
    for (size_t d = 0; d < count; ++d) {
        if (!readings[d].sure) unsure |= 1u << d;
        // Only a second reading of the other parity: the parity of a wrong
        // closest reading then fits no number system, and the error is known
        // to lie in a digit of that set. Digits without parity, and closest
        // readings that fit, are left as they are: blur misreads lines alike,
        // and the check digit alone would let one wrong number in ten through
        // on all of them.
        const TDigitReading& reading = readings[d];
        if (d < paritySpan && reading.second >= 0 && (reading.second >= 10) != (reading.best >= 10))
            doubtful |= 1u << d;
    }
    int parity = 0;
    const std::string closest = combination(readings, count, 0, paritySpan, parity);
    if (valid(closest, parity, read)) {
        read.guessed = unsure != 0;
        return std::popcount(unsure) <= maximumOtherDoubts;
    }
    for (int seconds = 1; seconds <= maximumSeconds; ++seconds) {
        int passed = 0;
        TVekLinearRead candidate = read, passing;
        uint32_t passingMask = 0;
        int fitting = 0;
        for (uint32_t mask = doubtful; mask != 0; mask = (mask - 1) & doubtful) {
            if (std::popcount(mask) != seconds) continue;
            const std::string digits = combination(readings, count, mask, paritySpan, parity);
            // The parity must name the digit to change: when second readings
            // of several digits fit some number system, the closest readings
            // are off in more than one place, and the check digit alone is
            // too weak to choose.
            if (!fits(parity)) continue;
            if (++fitting > 1) return false;
            if (!valid(digits, parity, candidate)) continue;
            if (++passed > 1) return false;
            passing = candidate;
            passingMask = mask;
        }
        if (passed == 1 && std::popcount(unsure & ~passingMask) <= maximumOtherDoubts) {
            read = passing;
            read.guessed = true;
            return true;
        }
    }
    return false;
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
    TDigitReadings readings;
    if (start + 32 > row.size() || !readDigits(row, start + 3, 6, true, module, readings.data()) ||
        !isGuard(row, start + 27, 5))
        return false;
    int parity = 0;
    for (size_t d = 0; d < 6; ++d) {
        if (!readings[d].sure) return false;
        if (readings[d].best >= 10) parity |= 1 << (5 - d);
    }
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
        const double module = guardModule(row, start);
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

bool TVekEanUpcLineDecoder::hasOuterGuard(const TVekBarRow& row) {
    for (size_t start = 1; start + 3 < row.size(); start += 2) {
        if (!isGuard(row, start, 3)) continue;
        const double module = guardModule(row, start);
        if (hasQuietZone(row, start - 1, module) || hasQuietZone(row, start + 3, module)) return true;
    }
    return false;
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
        TDigitReading reading;
        if (!readDigits(row, at, 1, true, own, &reading) || !reading.sure) return false;
        digits.push_back(static_cast<char>('0' + reading.best % 10));
        parity = parity << 1 | (reading.best >= 10 ? 1 : 0);
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
    TDigitReadings readings;
    if (!readDigits(row, start + 3, 6, true, module, readings.data())) return false;
    if (!isGuard(row, start + 27, 5)) return false;
    if (!readDigits(row, start + 32, 6, false, module, readings.data() + 6)) return false;
    if (!isGuard(row, start + 56, 3) || !hasQuietZone(row, start + 59, module)) return false;
    const auto valid = [&](const std::string& twelve, int parity, TVekLinearRead& candidate) {
        int leading = 0;
        while (leading < 10 && leadingParity[static_cast<size_t>(leading)] != parity) ++leading;
        if (leading == 10) return false;
        const std::string digits = static_cast<char>('0' + leading) + twelve;
        if (!hasEanCheckDigit(digits)) return false;
        if (leading == 0 && formats_.asks(TVekBarcodeFormat::upcA)) {
            candidate.format = TVekBarcodeFormat::upcA;
            candidate.bytes = digits.substr(1);
        } else if (formats_.asks(TVekBarcodeFormat::ean13)) {
            candidate.format = TVekBarcodeFormat::ean13;
            candidate.bytes = digits;
        } else {
            return false;
        }
        return true;
    };
    const bool twinsMoved = settleTwins(readings.data(), 12);
    const auto fits = [](int parity) {
        return std::find(leadingParity.begin(), leadingParity.end(), parity) != leadingParity.end();
    };
    if (!resolveDigits(readings.data(), 12, 6, fits, valid, read)) return false;
    read.guessed = read.guessed || twinsMoved;
    read.identifier = "]E0";
    read.lastElement = start + 58;
    return true;
}

bool TVekEanUpcLineDecoder::readEan8(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const {
    if (start + 43 >= row.size()) return false;
    TDigitReadings readings;
    if (!readDigits(row, start + 3, 4, true, module, readings.data())) return false;
    if (!isGuard(row, start + 19, 5)) return false;
    if (!readDigits(row, start + 24, 4, false, module, readings.data() + 4)) return false;
    if (!isGuard(row, start + 40, 3) || !hasQuietZone(row, start + 43, module)) return false;
    const auto valid = [](const std::string& digits, int parity, TVekLinearRead& candidate) {
        if (parity != 0 || !hasEanCheckDigit(digits)) return false;
        candidate.bytes = digits;
        return true;
    };
    const bool twinsMoved = settleTwins(readings.data(), 8);
    const auto fits = [](int parity) { return parity == 0; };
    if (!resolveDigits(readings.data(), 8, 4, fits, valid, read)) return false;
    read.guessed = read.guessed || twinsMoved;
    read.format = TVekBarcodeFormat::ean8;
    read.identifier = "]E4";
    read.lastElement = start + 42;
    return true;
}

bool TVekEanUpcLineDecoder::readUpcE(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const {
    if (start + 33 >= row.size()) return false;
    TDigitReadings readings;
    if (!readDigits(row, start + 3, 6, true, module, readings.data())) return false;
    if (!isGuard(row, start + 27, 6) || !hasQuietZone(row, start + 33, module)) return false;
    // The parity of the six digits tells the number system and the check digit.
    const auto valid = [](const std::string& digits, int parity, TVekLinearRead& candidate) {
        for (int system = 0; system < 2; ++system) {
            for (int check = 0; check < 10; ++check) {
                const int pattern = upcEParity[static_cast<size_t>(check)];
                if ((system == 0 ? pattern : 0x3f ^ pattern) != parity) continue;
                const std::string number = static_cast<char>('0' + system) + digits + static_cast<char>('0' + check);
                if (!hasEanCheckDigit(expandUpcE(number))) return false;
                candidate.bytes = number;
                return true;
            }
        }
        return false;
    };
    const bool twinsMoved = settleTwins(readings.data(), 6);
    // Every pattern of three digits of each set belongs to a check digit.
    const auto fits = [](int parity) { return std::popcount(static_cast<unsigned>(parity)) == 3; };
    if (!resolveDigits(readings.data(), 6, 6, fits, valid, read)) return false;
    read.guessed = read.guessed || twinsMoved;
    read.format = TVekBarcodeFormat::upcE;
    read.identifier = "]E0";
    read.lastElement = start + 32;
    return true;
}

}  // namespace orvel
