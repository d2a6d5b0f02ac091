#include "oned/VekDataBarLineDecoder.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "foundation/VekGS1CheckDigit.h"
#include "oned/VekDataBarCharacter.h"

namespace orvel {

namespace {

using Kind = TVekDataBarCharacter::TKind;

// The nine finder patterns, read from their outer character inwards.
constexpr std::array<std::string_view, 9> finders = {
    "38211", "35511", "33711", "31911", "27411", "25611", "23811", "15711", "13911",
};
constexpr int symbolElements = 44;  // guard bar to guard bar, the guard's spaces aside

// The character's elements weighted 3^k (k counted on from `firstWeight`), mod 79.
int weighted(const std::array<int, 8>& modules, int firstWeight) {
    int weight = firstWeight, total = 0;
    for (const int m : modules) {
        total = (total + m * weight) % 79;
        weight = weight * 3 % 79;
    }
    return total;
}

}  // namespace

bool TVekDataBarLineDecoder::readPair(const TVekDataBarElements& elements, TPair& pair) {
    if (!elements.holds(21)) return false;
    // The characters' widths against the finder's module, as the match
    // below measures it, rule most places out before it.
    double moduleSize = elements.sum(8, 5) / 15;
    const double outerWidth = elements.sum(0, 8), innerWidth = elements.sum(13, 8);
    if (outerWidth < 12.5 * moduleSize || outerWidth > 19.5 * moduleSize || innerWidth < 11.5 * moduleSize ||
        innerWidth > 18.5 * moduleSize)
        return false;
    const int finder = elements.matchPattern(8, finders, 15, moduleSize);
    if (finder < 0) return false;
    std::array<int, 8> outer{}, inner{};
    if (!elements.toModules(0, 16, 9, outer)) return false;
    // The inner character reads from the far side of the finder back towards it.
    if (!elements.turnedAt(20).toModules(0, 15, 9, inner)) return false;
    pair.outer = TVekDataBarCharacter::value(outer, Kind::outside);
    pair.inner = TVekDataBarCharacter::value(inner, Kind::inside);
    if (pair.outer < 0 || pair.inner < 0) return false;
    pair.finder = finder;
    pair.checksum = (weighted(outer, 1) + weighted(inner, 4)) % 79;  // 3^8 = 4 (mod 79)
    pair.moduleSize = moduleSize;
    return true;
}

std::string TVekDataBarLineDecoder::content(const TPair& left, const TPair& right) {
    // 3^16 = 16 (mod 79). The 81 finder combinations less two carry the 79 checksums.
    const int checksum = (left.checksum + 16 * right.checksum) % 79;
    int fromFinders = 9 * left.finder + right.finder;
    if (fromFinders > 72) --fromFinders;
    if (fromFinders > 8) --fromFinders;
    if (checksum != fromFinders) return {};
    const int64_t leftValue = 1597LL * left.outer + left.inner;
    const int64_t rightValue = 1597LL * right.outer + right.inner;
    const int64_t value = 4537077LL * leftValue + rightValue;
    if (value >= 10000000000000LL) return {};
    std::string digits = std::to_string(value);
    digits.insert(0, 13 - digits.size(), '0');
    digits.push_back(gs1CheckDigit(digits));
    return "01" + digits;
}

void TVekDataBarLineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const {
    // The left outer character starts on a space, after the guard's bar.
    for (size_t start = 2; start + symbolElements <= row.size(); start += 2) {
        if (!finderShaped(row, start + 8, false)) continue;
        TPair left, right;
        if (!readPair(TVekDataBarElements(row, start, false), left)) continue;
        const size_t last = start + 41;
        if (!finderShaped(row, last - 8, true)) continue;
        if (!readPair(TVekDataBarElements(row, last, true), right)) continue;
        if (right.moduleSize > 1.25 * left.moduleSize || left.moduleSize > 1.25 * right.moduleSize) continue;
        // The guards: a bar of one module on each side, a space of one inside the right one.
        const double moduleSize = 0.5 * (left.moduleSize + right.moduleSize);
        const auto oneModule = [&](size_t k) { return TVekDataBarElements::near(row.width(k), 1, moduleSize); };
        if (!oneModule(start - 1) || (last + 3 < row.size() && !oneModule(last + 2)) || !oneModule(last + 1) ||
            (start > 2 && row.width(start - 2) < 0.5 * moduleSize))
            continue;
        const std::string text = content(left, right);
        if (text.empty()) continue;
        TVekLinearRead read;
        read.format = TVekBarcodeFormat::dataBar;
        read.bytes = text;
        read.identifier = "]e0";
        read.firstElement = start - 1;
        read.lastElement = last + 2;
        reads.push_back(read);
        start = last;
    }
}

}  // namespace orvel
