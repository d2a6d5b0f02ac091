#include "pdf417/VekBase900Decimal.h"

#include <cstdint>

namespace orvel {

void TVekBase900Decimal::append(int32_t digit) {
    uint64_t carry = static_cast<uint64_t>(digit < 0 ? 0 : digit);
    for (uint32_t& limb : limbs) {
        const uint64_t value = static_cast<uint64_t>(limb) * 900 + carry;
        limb = static_cast<uint32_t>(value % LIMB_BASE);
        carry = value / LIMB_BASE;
    }
    while (carry != 0) {
        limbs.push_back(static_cast<uint32_t>(carry % LIMB_BASE));
        carry /= LIMB_BASE;
    }
}

std::string TVekBase900Decimal::toDecimal() const {
    if (limbs.empty()) return "0";
    std::string text = std::to_string(limbs.back());
    for (size_t i = limbs.size() - 1; i-- > 0;) {
        const std::string part = std::to_string(limbs[i]);
        text.append(9 - part.size(), '0');
        text += part;
    }
    return text;
}

std::optional<int32_t> TVekBase900Decimal::numberAfterFirst() const {
    if (limbs.empty()) return std::nullopt;
    // The top limb without its first digit, then the nine digits of each
    // limb below it.
    uint32_t first = 1;
    while (first * 10 <= limbs.back() && first < LIMB_BASE / 10) first *= 10;
    if (limbs.size() == 1 && first == 1) return std::nullopt;  // one digit: none after it
    int64_t number = limbs.back() % first;
    for (size_t i = limbs.size() - 1; i-- > 0;) {
        number = number * LIMB_BASE + limbs[i];
        if (number > INT32_MAX) return std::nullopt;
    }
    return static_cast<int32_t>(number);
}

}  // namespace orvel
