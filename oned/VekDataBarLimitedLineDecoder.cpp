#include "oned/VekDataBarLimitedLineDecoder.h"

#include <array>
#include <string_view>

#include "foundation/VekGS1CheckDigit.h"
#include "oned/VekDataBarCharacter.h"
#include "oned/VekDataBarElements.h"

namespace orvel {

namespace {

// The check character's patterns, by checksum.
constexpr std::array<std::string_view, 89> checkPatterns = {
    "11111111113311", "11111111123211", "11111111133111", "11111112113211", "11111112123111",
    "11111113113111", "11111211113211", "11111211123111", "11111212113111", "11111311113111",
    "11121111113211", "11121111123111", "11121112113111", "11121211113111", "11131111113111",
    "12111111113211", "12111111123111", "12111112113111", "12111211113111", "12121111113111",
    "13111111113111", "11111111212311", "11111111222211", "11111111232111", "11111112212211",
    "11111112222111", "11111113212111", "11111211212211", "11111211222111", "11111212212111",
    "11111311212111", "11121111212211", "11121111222111", "11121112212111", "11121211212111",
    "11131111212111", "12111111212211", "12111111222111", "12111112212111", "12111211212111",
    "12121111212111", "13111111212111", "11111111311311", "11111111321211", "11111112311211",
    "11121111311211", "12111111311211", "11111121112311", "11111121122211", "11111121132111",
    "11111122112211", "11121121112211", "11121121122111", "11121122112111", "11121221112111",
    "11131121112111", "12111121112211", "12111121122111", "12121121112111", "11112111112311",
    "11112111122211", "11112111132111", "11112112112211", "11112112122111", "11112211112211",
    "12112111112211", "12112111122111", "12112112112111", "12112211112111", "12122111112111",
    "13112111112111", "11211111112311", "11211111122211", "11211111132111", "11211112112211",
    "11211112122111", "11211113112111", "11211211112211", "11211211122111", "11221111112211",
    "21111111122211", "21111111132111", "21111112112211", "21111112122111", "21111113112111",
    "21111211122111", "21111212112111", "21121111122111", "21111111221211",
};
constexpr size_t characterElements = 14;
constexpr size_t symbolElements = 3 * characterElements + 2;  // guard bar .. guard bar

// Cheap first look: a check character of 18 modules in 14 elements, none
// wider than three modules and the last two narrow, between two characters
// of 26 modules after a guard bar of one.
bool shaped(const TVekBarRow& row, size_t start) {
    const size_t check = start + characterElements;
    const double checkWidth = TVekDataBarElements::span(row, check, characterElements);
    const double module = checkWidth / 18;
    if (row.width(start - 1) < 0.4 * module || row.width(start - 1) > 1.8 * module) return false;
    // The characters' widths first: two spans rule out more than the loop.
    for (const size_t first : {start, check + characterElements}) {
        const double ratio = TVekDataBarElements::span(row, first, characterElements) / checkWidth;
        if (ratio < 1.2 || ratio > 1.7) return false;
    }
    if (row.width(check + 12) > 1.8 * module || row.width(check + 13) > 1.8 * module) return false;
    for (size_t k = 0; k < characterElements; ++k)
        if (row.width(check + k) > 3.7 * module) return false;
    return true;
}

// The checksum the check character's elements stand for, or -1.
int checkValue(const TVekDataBarElements& elements, size_t first) {
    std::array<int, characterElements> modules{};
    if (!elements.toModules(first, 18, 3, modules)) return -1;
    for (size_t p = 0; p < checkPatterns.size(); ++p) {
        bool same = true;
        for (size_t k = 0; k < characterElements && same; ++k) same = checkPatterns[p][k] - '0' == modules[k];
        if (same) return static_cast<int>(p);
    }
    return -1;
}

}  // namespace

std::string TVekDataBarLimitedLineDecoder::content(const std::vector<int>& left, const std::vector<int>& right,
                                                   int checkPattern) {
    using Kind = TVekDataBarCharacter::TKind;
    const int leftValue = TVekDataBarCharacter::value(left, Kind::limited);
    const int rightValue = TVekDataBarCharacter::value(right, Kind::limited);
    if (leftValue < 0 || rightValue < 0) return {};
    // The 28 elements weighted 3^k, mod 89.
    int weight = 1, checksum = 0;
    for (const std::vector<int>* character : {&left, &right})
        for (const int m : *character) {
            checksum = (checksum + m * weight) % 89;
            weight = weight * 3 % 89;
        }
    if (checksum != checkPattern) return {};
    const int64_t value = 2013571LL * leftValue + rightValue;
    if (value >= 2000000000000LL) return {};
    std::string digits = std::to_string(value);
    digits.insert(0, 13 - digits.size(), '0');
    digits.push_back(gs1CheckDigit(digits));
    return "01" + digits;
}

void TVekDataBarLimitedLineDecoder::decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const {
    // The left character starts on a space, after the guard's bar.
    for (size_t start = 2; start + symbolElements <= row.size(); start += 2) {
        if (!shaped(row, start)) continue;
        const TVekDataBarElements elements(row, start, false);
        const int pattern = checkValue(elements, characterElements);
        if (pattern < 0) continue;
        const double moduleSize = elements.sum(characterElements, characterElements) / 18;
        const double leftWidth = elements.sum(0, characterElements);
        const double rightWidth = elements.sum(2 * characterElements, characterElements);
        if (leftWidth < 21 * moduleSize || leftWidth > 31 * moduleSize ||
            rightWidth < 21 * moduleSize || rightWidth > 31 * moduleSize)
            continue;
        std::vector<int> left(characterElements), right(characterElements);
        if (!elements.toModules(0, 26, 8, left) || !elements.toModules(2 * characterElements, 26, 8, right)) continue;
        const size_t last = start + 3 * characterElements - 1;
        const auto oneModule = [&](size_t k) { return TVekDataBarElements::near(row.width(k), 1, moduleSize); };
        if (!oneModule(start - 1) || !oneModule(last + 1) || (last + 3 < row.size() && !oneModule(last + 2))) continue;
        const std::string text = content(left, right, pattern);
        if (text.empty()) continue;
        TVekLinearRead read;
        read.format = TVekBarcodeFormat::dataBarLimited;
        read.bytes = text;
        read.identifier = "]e0";
        read.firstElement = start - 1;
        read.lastElement = last + 2;
        reads.push_back(read);
        start = last;
    }
}

}  // namespace orvel
