#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "oned/VekDataBarExpandedFields.h"

namespace orvel {
namespace {

// The 12-bit character values of a bit string (its length a multiple of 12).
std::vector<int> characters(const std::string& bits) {
    std::vector<int> values;
    for (size_t at = 0; at + 12 <= bits.size(); at += 12) {
        int value = 0;
        for (size_t i = at; i < at + 12; ++i) value = value << 1 | (bits[i] == '1' ? 1 : 0);
        values.push_back(value);
    }
    return values;
}

std::optional<std::string> decode(const std::string& bits) {
    return TVekDataBarExpandedFields::decode(characters(bits));
}

// Photographed symbols' data bits: FNC1 in alphanumeric mode latches to
// numeric, whether the printer then wrote the digits at once or latched
// again with 000 first.
TEST(DataBarExpandedFields, Fnc1InAlphanumericLatchesToNumeric) {
    const std::string expected = "10123456A1234A\x1d" "15991231";
    EXPECT_EQ(decode("000000010011001010101011011000101000010000000110001110100001001100000011110011000111010000101010"
                     "101010000000"),
              expected);
    EXPECT_EQ(decode("000000010011001010101011011000101000010000000110001110100001001100000011110000011000111010000101"
                     "010101010000"),
              expected);
    EXPECT_EQ(decode("000110011000111010000101010101010010101000010110001000001101001111110010011001010100001000000111"
                     "100001101100011111010000111110000010100010000101110011010100011011001010010010101010110110001011"
                     "011101110101100101010000"),
              "1599123131030017501012A\x1d" "422123\x1d" "21123456\x1d" "4230123456789012");
}

// Method 0111000 (AI 01, AI 310x, AI 11): without a date (38400) the date
// field is left out; a weight's decimal digit beyond 9 is refused.
TEST(DataBarExpandedFields, WeightAndDateMethod) {
    const auto bits = [](int weight, int date) {
        std::string text = "0" "0111000";
        for (const int group : {889, 876, 543, 210})
            for (int b = 9; b >= 0; --b) text.push_back(((group >> b) & 1) != 0 ? '1' : '0');
        for (int b = 19; b >= 0; --b) text.push_back(((weight >> b) & 1) != 0 ? '1' : '0');
        for (int b = 15; b >= 0; --b) text.push_back(((date >> b) & 1) != 0 ? '1' : '0');
        while (text.size() % 12 != 0) text.push_back('0');
        return text;
    };
    // 2010-03-12: (10 * 12 + 2) * 32 + 12.
    EXPECT_EQ(decode(bits(201750, (10 * 12 + 2) * 32 + 12)), "01988987654321063102001750" "11100312");
    EXPECT_EQ(decode(bits(201750, 38400)), "01988987654321063102001750");
    EXPECT_EQ(decode(bits(1001750, 38400)), std::nullopt);
}

// Values the general-purpose field has no character for are refused.
TEST(DataBarExpandedFields, RefusesUndefinedCodes) {
    // Method 00, numeric latch to alphanumeric (0000), then 111111 (none).
    EXPECT_EQ(decode("0" "00" "00" "0000" "111111" "111111" "111111" "000000000"), std::nullopt);
    // ISO 646 (latches 0000 and 00100 twice), then 8 bits 11111101 (none).
    EXPECT_EQ(decode("0" "00" "00" "0000" "00100" "11111101" "111111" "111111" "111111" "11111111111111" "000000"),
              std::nullopt);
}

}  // namespace
}  // namespace orvel
