#include "oned/VekCode39Interpreter.h"

#include <cstdint>
#include <string_view>

#include "oned/VekFullAscii.h"

namespace orvel {

namespace {

using F = TVekBarcodeFormat;

// The base-32 digits of the Italian pharmacode: no vowels.
constexpr std::string_view base32Digits = "0123456789BCDFGHJKLMNPQRSTUVWXYZ";
constexpr size_t code32Characters = 6;

bool isShift(char c) { return c == '$' || c == '%' || c == '/' || c == '+'; }

bool allDigits(std::string_view text) {
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return !text.empty();
}

}  // namespace

bool TVekCode39Interpreter::interpret(const std::string& text, TVekLinearRead& read) const {
    read.identifier = "]A0";
    read.bytes = text;
    if (formats_.asks(F::pzn) && pzn(text)) {
        read.format = F::pzn;
        return true;
    }
    if (formats_.asks(F::code32) && code32(text, read.bytes)) {
        read.format = F::code32;
        return true;
    }
    read.bytes = text;
    if (fullAscii_ && formats_.asks(F::code39Extended)) {
        bool shifted = false;
        for (const char c : text) shifted = shifted || isShift(c);
        // Text without shift pairs is plain Code 39 when that is asked too.
        if ((shifted || !formats_.asks(F::code39)) && expandFullAscii(text, read.bytes)) {
            read.format = F::code39Extended;
            read.identifier = "]A4";
            return true;
        }
        read.bytes = text;
    }
    read.format = F::code39;
    return formats_.asks(F::code39);
}

bool TVekCode39Interpreter::code32(const std::string& text, std::string& bytes) {
    if (text.size() != code32Characters) return false;
    uint64_t value = 0;
    for (const char c : text) {
        const size_t digit = base32Digits.find(c);
        if (digit == std::string_view::npos) return false;
        value = value * 32 + digit;
    }
    if (value >= 1000000000) return false;
    std::string digits(9, '0');
    for (size_t i = 9; i-- > 0; value /= 10) digits[i] = static_cast<char>('0' + value % 10);
    // The first eight digits weigh 1 and 2 in turn, a doubled digit by its
    // digit sum; the ninth is their sum's last digit.
    int sum = 0;
    for (size_t i = 0; i < 8; ++i) {
        const int digit = digits[i] - '0';
        sum += i % 2 == 0 ? digit : (2 * digit) / 10 + (2 * digit) % 10;
    }
    if (sum % 10 != digits[8] - '0') return false;
    bytes.assign(1, 'A');
    bytes += digits;
    return true;
}

bool TVekCode39Interpreter::pzn(const std::string& text) {
    if ((text.size() != 8 && text.size() != 9) || text[0] != '-' || !allDigits(std::string_view(text).substr(1)))
        return false;
    // PZN7 weighs its six digits 2 to 7, PZN8 its seven digits 1 to 7; the
    // check digit is the sum modulo 11, and a number whose sum leaves 10 is
    // never issued.
    const size_t digits = text.size() - 2;
    const int firstWeight = digits == 6 ? 2 : 1;
    int sum = 0;
    for (size_t i = 0; i < digits; ++i) sum += (firstWeight + static_cast<int>(i)) * (text[i + 1] - '0');
    return sum % 11 == text.back() - '0';
}

bool TVekCode39Interpreter::expandFullAscii(const std::string& text, std::string& bytes) {
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (!isShift(text[i])) {
            bytes.push_back(text[i]);
            continue;
        }
        if (i + 1 >= text.size()) return false;
        const int c = fullAsciiOf(text[i], text[i + 1]);
        if (c < 0) return false;
        bytes.push_back(static_cast<char>(c));
        ++i;
    }
    return true;
}

}  // namespace orvel
