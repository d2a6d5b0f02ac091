#include "pdf417/VekBase900Decimal.h"

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

}  // namespace orvel
