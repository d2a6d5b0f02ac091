#include "oned/VekDataBarExpandedFields.h"

#include <array>
#include <cctype>
#include <string_view>
#include <vector>

namespace orvel {

namespace {

constexpr char groupSeparator = '\x1d';

// Reads the characters' bits from the first on, most significant first.
class TBits {
public:
    explicit TBits(std::span<const int> characters) {
        for (const int value : characters)
            for (int bit = 11; bit >= 0; --bit) bits_.push_back(((value >> bit) & 1) != 0);
    }
    size_t left() const { return bits_.size() - at_; }
    // The next `count` bits as a number without taking them; -1 past the end.
    int peek(size_t count) const {
        if (count > left()) return -1;
        int value = 0;
        for (size_t i = 0; i < count; ++i) value = value << 1 | (bits_[at_ + i] ? 1 : 0);
        return value;
    }
    int take(size_t count) {
        const int value = peek(count);
        if (value >= 0) at_ += count;
        return value;
    }

private:
    std::vector<bool> bits_;
    size_t at_ = 0;
};

std::string padded(int value, int digits) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
    return text;
}

// "01" and the GTIN: `first` digits given, then 12 more in four groups of
// three (10 bits each), then the check digit.
std::optional<std::string> gtin(TBits& bits, const std::string& first) {
    std::string digits = first;
    for (int group = 0; group < 4; ++group) {
        const int value = bits.take(10);
        if (value < 0 || value > 999) return std::nullopt;
        digits += padded(value, 3);
    }
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i) sum += (digits[i] - '0') * (i % 2 == 0 ? 3 : 1);
    digits.push_back(static_cast<char>('0' + (10 - sum % 10) % 10));
    return "01" + digits;
}

constexpr std::string_view alphanumericPunctuation = "*,-./";
constexpr std::string_view isoPunctuation = "!\"%&'()*+,-./:;<=>?_ ";

enum class TMode { numeric, alphanumeric, iso646 };

std::optional<std::string> generalPurpose(TBits& bits, TMode mode = TMode::numeric);

// What follows FNC1 starts with an application identifier: two digits at least.
bool startsField(const std::optional<std::string>& text) {
    return text && (text->empty() || (text->size() >= 2 && std::isdigit(static_cast<unsigned char>((*text)[0])) &&
                                      std::isdigit(static_cast<unsigned char>((*text)[1]))));
}

// FNC1 in the alphanumeric and ISO 646 modes latches to numeric. Some
// printers latch again with 000 after it, which then reads as a latch back
// to alphanumeric (0000): no printer spends five bits a digit on the next
// application identifier, so there the 000 is dropped when what follows
// starts a field.
std::optional<std::string> afterFnc1(TBits& bits) {
    if (bits.peek(4) == 0) {
        TBits skipped = bits;
        skipped.take(3);
        std::optional<std::string> text = generalPurpose(skipped);
        if (startsField(text)) return text;
    }
    return generalPurpose(bits);
}

// The general-purpose field: the rest of the bits.
std::optional<std::string> generalPurpose(TBits& bits, TMode mode) {
    std::string text;
    while (true) {
        if (mode == TMode::numeric) {
            if (bits.left() < 7) {
                // A last digit alone takes four bits; zero there pads.
                if (bits.left() >= 4) {
                    const int value = bits.take(4);
                    if (value > 10) return std::nullopt;
                    if (value > 0) text.push_back(static_cast<char>('0' + value - 1));
                }
                return text;
            }
            if (bits.peek(4) == 0) {
                bits.take(4);
                mode = TMode::alphanumeric;
                continue;
            }
            const int value = bits.take(7) - 8;
            if (value < 0 || value >= 120) return std::nullopt;
            for (const int digit : {value / 11, value % 11})
                text.push_back(digit == 10 ? groupSeparator : static_cast<char>('0' + digit));
            continue;
        }
        // Alphanumeric and ISO 646 share the digits, FNC1 and the latches.
        if (bits.left() < 5) return text;
        if (bits.peek(3) == 0) {
            bits.take(3);
            mode = TMode::numeric;
            continue;
        }
        const int five = bits.peek(5);
        if (five == 4) {
            bits.take(5);
            mode = mode == TMode::alphanumeric ? TMode::iso646 : TMode::alphanumeric;
            continue;
        }
        if (five >= 5 && five <= 14) {
            bits.take(5);
            text.push_back(static_cast<char>('0' + five - 5));
            continue;
        }
        if (five == 15) {
            bits.take(5);
            text.push_back(groupSeparator);
            const std::optional<std::string> rest = afterFnc1(bits);
            if (!rest) return std::nullopt;
            return text + *rest;
        }
        if (mode == TMode::alphanumeric) {
            const int six = bits.take(6);
            if (six < 0) return text;
            if (six >= 32 && six < 58) text.push_back(static_cast<char>('A' + six - 32));
            else if (six >= 58 && six < 63) text.push_back(alphanumericPunctuation[static_cast<size_t>(six - 58)]);
            else return std::nullopt;
            continue;
        }
        const int seven = bits.peek(7);
        if (seven < 0) return text;
        if (seven >= 64 && seven < 90) {
            bits.take(7);
            text.push_back(static_cast<char>('A' + seven - 64));
        } else if (seven >= 90 && seven < 116) {
            bits.take(7);
            text.push_back(static_cast<char>('a' + seven - 90));
        } else {
            const int eight = bits.take(8);
            if (eight < 0) return text;
            if (eight < 232 || eight > 252) return std::nullopt;
            text.push_back(isoPunctuation[static_cast<size_t>(eight - 232)]);
        }
    }
}

std::optional<std::string> withGeneralPurpose(const std::optional<std::string>& head, TBits& bits) {
    if (!head) return std::nullopt;
    const std::optional<std::string> rest = generalPurpose(bits);
    if (!rest) return std::nullopt;
    return *head + *rest;
}

// Weights in kilograms (AI 310x) or pounds (320x) with a date (AI 11, 13,
// 15 or 17): the 0111xxx methods.
std::optional<std::string> weightAndDate(TBits& bits, int method) {
    std::optional<std::string> text = gtin(bits, "9");
    if (!text) return std::nullopt;
    const int weight = bits.take(20);
    const int date = bits.take(16);
    if (weight < 0 || date < 0 || weight / 100000 > 9) return std::nullopt;
    *text += (method % 2 == 0 ? "310" : "320") + std::to_string(weight / 100000) + padded(weight % 100000, 6);
    // 38400 stands for no date.
    if (date != 38400) {
        const int day = date % 32, month = date / 32 % 12 + 1, year = date / 32 / 12;
        if (year > 99) return std::nullopt;
        static constexpr std::array<std::string_view, 4> dateAIs = {"11", "13", "15", "17"};
        *text += std::string(dateAIs[static_cast<size_t>((method - 0b0111000) / 2)]) + padded(year, 2) +
                 padded(month, 2) + padded(day, 2);
    }
    return text;
}

}  // namespace

std::optional<std::string> TVekDataBarExpandedFields::decode(std::span<const int> characters) {
    std::optional<std::string> text = fields(characters);
    // An FNC1 that fills the last digit pair separates nothing.
    if (text && !text->empty() && text->back() == groupSeparator) text->pop_back();
    return text;
}

std::optional<std::string> TVekDataBarExpandedFields::fields(std::span<const int> characters) {
    TBits bits(characters);
    bits.take(1);  // the linkage flag: a composite component may follow
    if (bits.peek(1) == 1) {
        // AI 01 with its first digit in four bits; two bits tell the symbol's length.
        bits.take(3);
        const int first = bits.take(4);
        if (first < 0 || first > 9) return std::nullopt;
        return withGeneralPurpose(gtin(bits, std::to_string(first)), bits);
    }
    if (bits.peek(2) == 0) {
        bits.take(4);
        return generalPurpose(bits);
    }
    const int four = bits.peek(4);
    if (four == 0b0100 || four == 0b0101) {
        bits.take(4);
        std::optional<std::string> text = gtin(bits, "9");
        const int weight = bits.take(15);
        if (!text || weight < 0) return std::nullopt;
        if (four == 0b0100) return *text + "3103" + padded(weight, 6);
        if (weight < 10000) return *text + "3202" + padded(weight, 6);
        return *text + "3203" + padded(weight - 10000, 6);
    }
    const int five = bits.peek(5);
    if (five == 0b01100 || five == 0b01101) {
        bits.take(7);
        std::optional<std::string> text = gtin(bits, "9");
        const int decimals = bits.take(2);
        if (!text || decimals < 0) return std::nullopt;
        if (five == 0b01100) return withGeneralPurpose(*text + "392" + std::to_string(decimals), bits);
        const int currency = bits.take(10);
        if (currency < 0 || currency > 999) return std::nullopt;
        return withGeneralPurpose(*text + "393" + std::to_string(decimals) + padded(currency, 3), bits);
    }
    const int method = bits.take(7);
    if (method < 0b0111000 || method > 0b0111111) return std::nullopt;
    return weightAndDate(bits, method);
}

}  // namespace orvel
