#include "oned/VekBarcodeParser.h"

#include <algorithm>
#include <cmath>

#include "foundation/VekROrvelConfiguration.h"

namespace orvel {

namespace {

constexpr size_t MAX_PATTERN_LENGTH = 16;

// The 1-module tolerance is wider: a narrow element loses or gains the most,
// relatively, from a pixel of ink spread.
double calibrationTolerance(int32_t modules) { return modules == 1 ? 0.65 : 0.5; }

// Pattern lookups are linear scans over up to 103 short patterns and dominate
// the parsing time; comparing the first two digits inline spares most calls
// of the library comparison.
inline bool samePattern(std::string_view entry, std::string_view pattern) {
    if (entry.size() != pattern.size()) return false;
    if (entry.size() >= 2 && (entry[0] != pattern[0] || entry[1] != pattern[1])) return false;
    return entry == pattern;
}

bool isPatternAllowed(TVekPatternList allowed, std::string_view pattern) {
    for (std::string_view entry : allowed)
        if (samePattern(entry, pattern)) return true;
    return false;
}

}  // namespace

TVekBarcodeParser::TVekBarcodeParser() : debug(orvelConfiguration.debug) {}

void TVekBarcodeParser::setWidths(const TVectorDouble& widths) {
    widthList = widths;
    ambiguity.resize(widthList.size(), 0.0);
    alternative.resize(widthList.size(), 0);
}

void TVekBarcodeParser::resetReading() {
    position = 0;
    calibrated = false;
    barWidths.fill(0.0);
    spaceWidths.fill(0.0);
}

void TVekBarcodeParser::reverseWidths() {
    std::reverse(widthList.begin(), widthList.end());
    resetReading();
}

void TVekBarcodeParser::clearAmbiguities() {
    std::fill(ambiguity.begin(), ambiguity.end(), 0.0);
    std::fill(alternative.begin(), alternative.end(), 0);
    flipA = -1;
    flipB = -1;
}

void TVekBarcodeParser::addText(std::string_view text) {
    if (text == "~") code += "~~";
    else code += text;
    content.bytes += text;
}

std::string TVekBarcodeParser::specialMarker(int32_t number) {
    std::string digits = intToStr(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return "~d" + digits;
}

void TVekBarcodeParser::addSpecial(int32_t number) { code += specialMarker(number); }

void TVekBarcodeParser::addControlCharacter(int32_t c) {
    addSpecial(c);
    content.bytes += static_cast<char>(c);
}

void TVekBarcodeParser::addFunction(TVekFunctionCharacter kind, std::string_view marker) {
    code += marker;
    content.functions.push_back({content.bytes.size(), kind});
}

void TVekBarcodeParser::prependText(std::string_view digits) {
    code.insert(0, digits);
    content.bytes.insert(0, digits);
    for (TVekFunctionMark& mark : content.functions) mark.at += digits.size();
}

void TVekBarcodeParser::clearCode() {
    code.clear();
    content = {};
}

void TVekBarcodeParser::debugMessage(const std::string& text) const {
    if (debug) debugWrite(text);
}

int32_t TVekBarcodeParser::indexOfPattern(TVekPatternList patterns, std::string_view pattern) {
    for (size_t i = 0; i < patterns.size(); ++i)
        if (samePattern(patterns[i], pattern)) return static_cast<int32_t>(i);
    return -1;
}

int32_t TVekBarcodeParser::indexInPairTable(TVekPatternTable table, int32_t column, std::string_view pattern) {
    for (size_t i = 0; i < table.size(); ++i) {
        const std::string_view entry = column == 0 ? table[i].text : table[i].pattern;
        if (samePattern(entry, pattern)) return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t TVekBarcodeParser::mostAmbiguous(const TVectorDouble& list) {
    int32_t best = -1;
    for (size_t i = 0; i < list.size(); ++i) {
        const double v = list[i];
        if (v > 0 && v < 999 && (best < 0 || v < list[static_cast<size_t>(best)])) best = static_cast<int32_t>(i);
    }
    return best;
}

bool TVekBarcodeParser::calibrationGuard(std::string_view& guard, size_t& first) const {
    if (calibrationStarts.size() == 1) {
        guard = calibrationStarts.front();
        first = 0;
    } else {
        guard = calibrationEnd;
        if (guard.size() > widthList.size()) return false;
        first = widthList.size() - guard.size();
    }
    return guard.size() <= widthList.size();
}

bool TVekBarcodeParser::calibrate() {
    if (calibrated) return true;
    calibrated = true;
    std::string_view guard;
    size_t first = 0;
    if (!calibrationGuard(guard, first)) return false;
    for (size_t r = 0; r < guard.size(); ++r) {
        const int32_t modules = guard[r] - '0';
        if (modules < 1 || modules >= TABLE_SIZE) return false;
        const double width = widthList[first + r];
        // A width that is no positive number would make every later ratio
        // meaningless; such a list is not a symbol.
        if (!(width > 0) || !std::isfinite(width)) return false;
        auto& table = r % 2 == 0 ? barWidths : spaceWidths;
        if (table[modules] == 0) {
            table[modules] = width;
        } else if (std::fabs((table[modules] - width) / table[modules]) > calibrationTolerance(modules)) {
            return false;
        }
    }
    completeTables();
    return true;
}

void TVekBarcodeParser::completeTables() {
    // Ink spread makes bars wider and spaces narrower by the same amount, so a
    // k-module bar is expected at k x (1-module bar + r) - r and a k-module
    // space at k x (1-module space - r) + r. Small differences are noise.
    double r = spaceWidths[1] - barWidths[1];
    r = std::fabs(r) > 0.75 ? r / 2 : 0.0;

    auto& b = barWidths;
    if (b[2] == 0 && b[3] > 0) b[2] = b[1] + (b[3] - b[1]) / 2;
    if (b[2] == 0) b[2] = (b[1] + r) * 2 - r;
    if (b[3] == 0) b[3] = (b[1] + r) * 3 - r;
    if (b[4] == 0) b[4] = b[2] - b[1] + b[3];

    auto& s = spaceWidths;
    if (s[2] == 0 && s[3] > 0) s[2] = s[1] + (s[3] - s[1]) / 2;
    if (s[2] == 0) s[2] = r + (s[1] - r) * 2;
    if (s[3] == 0) s[3] = r + (s[1] - r) * 3;
    if (s[4] == 0) s[4] = s[2] - s[1] + s[3];
}

// Module count of element `index`, 0 when no interval holds its width.
int32_t TVekBarcodeParser::readElement(size_t index, double& deviation) {
    deviation = 0;
    const double w = widthList[index];
    const auto& t = index % 2 == 0 ? barWidths : spaceWidths;
    if (w <= t[1]) return 1;
    if (w > t[maxModules]) {
        deviation = w - t[maxModules];
        return maxModules;
    }
    const auto flipped = static_cast<int32_t>(index);
    if ((flipped == flipA || flipped == flipB) && alternative[index] > 0) {
        ambiguity[index] = 0;
        return alternative[index];
    }
    const bool record = flipA == -1;
    for (int32_t k = 1; k < maxModules; ++k) {
        // A width exactly at the mid-point counts as the wider module.
        const double mid = t[k] + (t[k + 1] - t[k]) / 2;
        if (mid <= w && w <= t[k + 1]) {
            deviation = w - t[k + 1];
            if (record) {
                ambiguity[index] = std::fabs(mid - w);
                alternative[index] = k;
            }
            return k + 1;
        }
        if (t[k] <= w && w <= mid) {
            deviation = w - t[k];
            if (record) {
                ambiguity[index] = std::fabs(w - mid);
                alternative[index] = k + 1;
            }
            return k;
        }
    }
    return 0;
}

std::string TVekBarcodeParser::readPattern(int32_t n, bool advance, std::initializer_list<std::string_view> allowed) {
    return readPattern(n, advance, TVekPatternList(allowed.begin(), allowed.size()));
}

std::string TVekBarcodeParser::readPattern(int32_t n, bool advance, TVekPatternList allowed) {
    std::string pattern;
    if (!calibrate()) return pattern;
    // maxModules is a parser constant of at most 4; guard the tables anyway.
    if (maxModules < 2 || maxModules >= TABLE_SIZE) return pattern;

    std::array<double, MAX_PATTERN_LENGTH> deviation{};
    const size_t count = static_cast<size_t>(std::clamp<int32_t>(n, 0, static_cast<int32_t>(MAX_PATTERN_LENGTH)));
    int32_t total = 0;
    for (size_t j = 0; j < count; ++j) {
        if (position < 0) break;
        const size_t s = static_cast<size_t>(position) + (advance ? 0 : j);
        if (s >= widthList.size()) break;
        if (advance) ++position;
        double elementDeviation = 0;
        const int32_t digit = readElement(s, elementDeviation);
        if (digit == 0) continue;
        // Deviations are kept per digit of the pattern, so that the
        // correction below can never pick an element without a digit.
        deviation[pattern.size()] = elementDeviation;
        pattern += static_cast<char>('0' + digit);
        total += digit;
    }
    if (allowed.size() >= 2) correctModuleSum(pattern, std::span<double>(deviation.data(), pattern.size()), total, allowed);
    return pattern;
}

// Changes the element nearest to a decision boundary until the module sum is
// right, but near the end only towards a pattern that exists.
void TVekBarcodeParser::correctModuleSum(std::string& pattern, std::span<double> deviation, int32_t total,
                                         TVekPatternList allowed) const {
    auto isSum = [this](int32_t value) { return value == moduleSum || value == altModuleSum; };
    while (!isSum(total)) {
        int32_t need = moduleSum - total;
        if (std::abs(altModuleSum - total) < std::abs(need)) need = altModuleSum - total;
        const int32_t step = need < 0 ? -1 : 1;
        const bool mustMatch = isSum(total + step);
        int32_t chosen = -1;
        for (size_t j = 0; j < pattern.size(); ++j) {
            if (deviation[j] == 0) continue;
            const int32_t digit = pattern[j] - '0';
            if (step < 0 ? digit <= 1 : digit >= maxModules) continue;
            if (mustMatch) {
                std::string changed = pattern;
                changed[j] = static_cast<char>(changed[j] + step);
                if (!isPatternAllowed(allowed, changed)) continue;
            }
            if (chosen < 0 || (step < 0 ? deviation[j] < deviation[static_cast<size_t>(chosen)]
                                        : deviation[j] > deviation[static_cast<size_t>(chosen)]))
                chosen = static_cast<int32_t>(j);
        }
        if (chosen < 0) return;
        deviation[static_cast<size_t>(chosen)] = 0;
        pattern[static_cast<size_t>(chosen)] = static_cast<char>(pattern[static_cast<size_t>(chosen)] + step);
        total += step;
    }
}

}  // namespace orvel
