#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvel {

// An unsigned integer of any size built from base-900 digits (PDF417 numeric
// compaction codewords, most significant first) and written out in decimal.
// A group of 15 codewords reaches 45 decimal digits and a numeric Macro field
// may be longer still, so no machine integer will do.
class TVekBase900Decimal {
public:
    // value := value × 900 + digit (digit ≥ 0).
    void append(int32_t digit);
    void clear() { limbs.clear(); }
    bool isZero() const { return limbs.empty(); }
    // The decimal representation, "0" for zero.
    std::string toDecimal() const;
    // The decimal digits without the first one: PDF417 puts a leading 1 in
    // front of every numeric group so that leading zeros survive. Empty for
    // values below 10.
    std::string digitsAfterFirst() const { return toDecimal().substr(1); }
    // The number those digits write (leading zeros and all); none when there
    // are none or the number does not fit an int32_t.
    std::optional<int32_t> numberAfterFirst() const;

private:
    static constexpr uint32_t LIMB_BASE = 1000000000;  // nine decimal digits per limb
    std::vector<uint32_t> limbs;                        // least significant first, no zero limb on top
};

}  // namespace orvel
