#include "foundation/VekGS1Parser.h"

#include <algorithm>
#include <optional>

#include "foundation/VekGS1AITable.h"
#include "foundation/VekGS1CheckDigit.h"

namespace orvel {

namespace {

using Kind = TVekGS1ErrorKind;

struct TFault {
    Kind kind;
    std::string message;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }

bool inCharset(char c, TVekGS1Charset charset) {
    switch (charset) {
        case TVekGS1Charset::numeric: return isDigit(c);
        case TVekGS1Charset::cset82:
            return isDigit(c) || isUpper(c) || isLower(c) || std::string_view("!\"%&'()*+,-./:;<=>?_").find(c) != std::string_view::npos;
        case TVekGS1Charset::cset39: return isDigit(c) || isUpper(c) || c == '#' || c == '-' || c == '/';
        case TVekGS1Charset::cset64: return isDigit(c) || isUpper(c) || isLower(c) || c == '-' || c == '_' || c == '=';
    }
    return false;
}

const char* charsetName(TVekGS1Charset charset) {
    switch (charset) {
        case TVekGS1Charset::numeric: return "digits only";
        case TVekGS1Charset::cset82: return "GS1 CSET 82";
        case TVekGS1Charset::cset39: return "GS1 CSET 39";
        case TVekGS1Charset::cset64: return "GS1 CSET 64";
    }
    return "";
}

std::string quotedChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) return std::string("'") + c + "'";
    static constexpr char digits[] = "0123456789ABCDEF";
    return std::string("byte 0x") + digits[byte >> 4] + digits[byte & 0x0F];
}

int twoDigits(std::string_view text, size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int month, int year) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// A two-digit year lies within fifty years of today, so YY 00 is 2000 and
// every YY divisible by four is a leap year.
bool isDate(int year, int month, int day, bool dayZeroAllowed) {
    if (month < 1 || month > 12) return false;
    if (day == 0) return dayZeroAllowed;
    return day <= daysInMonth(month, year);
}

bool isTime(int hour, int minute) { return hour <= 23 && minute <= 59; }

// The GS1 modulo-10 check digit of all digits but the last, which it must equal.
std::optional<TFault> checkDigitFault(std::string_view digits, const std::string& ai) {
    const char expected = gs1CheckDigit(digits.substr(0, digits.size() - 1));
    if (digits.back() == expected) return std::nullopt;
    return TFault{Kind::badCheckDigit,
                  "(" + ai + "): check digit " + digits.back() + " where " + expected + " is right"};
}

bool hasMeaning(std::string_view text, TVekGS1Meaning meaning) {
    using M = TVekGS1Meaning;
    switch (meaning) {
        case M::none:
        case M::checkDigit: return true;
        case M::dateYYMMDD:
        case M::dateYYMMD0:
            return isDate(2000 + twoDigits(text, 0), twoDigits(text, 2), twoDigits(text, 4), meaning == M::dateYYMMD0);
        case M::dateTimeHH:
            return isDate(2000 + twoDigits(text, 0), twoDigits(text, 2), twoDigits(text, 4), false) &&
                   isTime(twoDigits(text, 6), 0);
        case M::dateTimeHHMM:
            return isDate(2000 + twoDigits(text, 0), twoDigits(text, 2), twoDigits(text, 4), false) &&
                   isTime(twoDigits(text, 6), twoDigits(text, 8));
        case M::timeHHMM: return isTime(twoDigits(text, 0), twoDigits(text, 2));
        case M::dateYYYYMMDD:
        case M::dateTimeYYYYMMDDHHMM: {
            const int year = twoDigits(text, 0) * 100 + twoDigits(text, 2);
            if (!isDate(year, twoDigits(text, 4), twoDigits(text, 6), false)) return false;
            return meaning == M::dateYYYYMMDD || isTime(twoDigits(text, 8), twoDigits(text, 10));
        }
        case M::minutesSeconds:
            if (text.size() != 2 && text.size() != 4) return false;
            return twoDigits(text, 0) <= 59 && (text.size() == 2 || twoDigits(text, 2) <= 59);
        case M::yesNo: return text == "0" || text == "1";
        case M::minusSign: return text == "-";
    }
    return true;
}

bool isDateOrTime(TVekGS1Meaning meaning) {
    using M = TVekGS1Meaning;
    return meaning != M::none && meaning != M::checkDigit && meaning != M::yesNo && meaning != M::minusSign;
}

std::optional<TFault> componentFault(std::string_view text, const TVekGS1Component& component, const std::string& ai) {
    for (char c : text) {
        if (!inCharset(c, component.charset))
            return TFault{Kind::badCharacter,
                          "(" + ai + "): " + quotedChar(c) + " is not allowed (" + charsetName(component.charset) + ")"};
    }
    if (component.meaning == TVekGS1Meaning::checkDigit) return checkDigitFault(text, ai);
    if (hasMeaning(text, component.meaning)) return std::nullopt;
    const std::string what = isDateOrTime(component.meaning) ? "a date or time" : "an allowed value";
    return TFault{isDateOrTime(component.meaning) ? Kind::badDate : Kind::badCharacter,
                  "(" + ai + "): " + std::string(text) + " is not " + what};
}

std::string lengthText(const TVekGS1ApplicationIdentifier& identifier) {
    if (identifier.isFixedLength()) return std::to_string(identifier.maxLength());
    int minimum = 0;
    for (const TVekGS1Component& component : identifier.components)
        if (!component.optional) minimum += component.minLength;
    return std::to_string(minimum) + " to " + std::to_string(identifier.maxLength());
}

TFault lengthFault(const TVekGS1ApplicationIdentifier& identifier, size_t length) {
    return {Kind::wrongLength, "(" + identifier.ai + "): " + std::to_string(length) + " characters where " +
                                   lengthText(identifier) + " belong"};
}

// Splits the value into the AI's components and checks each.
std::optional<TFault> valueFault(std::string_view value, const TVekGS1ApplicationIdentifier& identifier) {
    const std::vector<TVekGS1Component>& components = identifier.components;
    size_t at = 0;
    for (size_t k = 0; k < components.size(); ++k) {
        const TVekGS1Component& component = components[k];
        size_t laterMinimum = 0;
        for (size_t j = k + 1; j < components.size(); ++j)
            if (!components[j].optional) laterMinimum += static_cast<size_t>(components[j].minLength);
        const size_t remaining = value.size() - at;
        if (component.optional && remaining <= laterMinimum) continue;
        const size_t room = remaining >= laterMinimum ? remaining - laterMinimum : 0;
        const size_t length = std::min(room, static_cast<size_t>(component.maxLength));
        if (length < static_cast<size_t>(component.minLength)) return lengthFault(identifier, value.size());
        if (auto fault = componentFault(value.substr(at, length), component, identifier.ai)) return fault;
        at += length;
    }
    if (at != value.size()) return lengthFault(identifier, value.size());
    return std::nullopt;
}

std::string shown(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, 8)) out += c == TVekGS1Parser::separator ? std::string("<GS>") : std::string(1, c);
    return out;
}

}  // namespace

std::string TVekGS1Parser::readableForm(std::string_view elementString) {
    std::string text;
    size_t at = !elementString.empty() && elementString[0] == separator ? 1 : 0;
    while (at < elementString.size()) {
        const std::optional<TVekGS1ApplicationIdentifier> identifier = TVekGS1AITable::lookup(elementString.substr(at));
        if (!identifier) {
            for (char c : elementString.substr(at)) text += c == separator ? std::string("<GS>") : std::string(1, c);
            break;
        }
        at += identifier->ai.size();
        size_t end = std::min(elementString.find(separator, at), elementString.size());
        if (identifier->isFixedLength()) end = std::min(end, at + static_cast<size_t>(identifier->maxLength()));
        text += "(" + identifier->ai + ")" + std::string(elementString.substr(at, end - at));
        at = end;
        if (at < elementString.size() && elementString[at] == separator) at += 1;
    }
    return text;
}

std::string TVekGS1Content::hri() const {
    std::string text;
    for (const TVekGS1Element& element : elements) text += "(" + element.ai + ")" + element.value;
    return text;
}

TVekGS1Content TVekGS1Parser::parse(std::string_view elementString) {
    TVekGS1Content content;
    const auto fail = [&content](TFault fault) {
        content.errorKind = fault.kind;
        content.error = std::move(fault.message);
        return content;
    };
    size_t at = !elementString.empty() && elementString[0] == separator ? 1 : 0;
    if (at >= elementString.size()) return fail({Kind::unknownAI, "no element string"});
    while (at < elementString.size()) {
        const std::string_view rest = elementString.substr(at);
        const std::optional<TVekGS1ApplicationIdentifier> identifier = TVekGS1AITable::lookup(rest);
        if (!identifier) return fail({Kind::unknownAI, "unknown Application Identifier at \"" + shown(rest) + "\""});
        at += identifier->ai.size();
        size_t end = elementString.find(separator, at);
        if (end == std::string_view::npos) end = elementString.size();
        if (identifier->isFixedLength()) {
            // A fixed-length value ends by its length; a separator may follow.
            const size_t length = static_cast<size_t>(identifier->maxLength());
            if (end - at < length) return fail(lengthFault(*identifier, end - at));
            end = at + length;
        }
        const std::string_view value = elementString.substr(at, end - at);
        if (auto fault = valueFault(value, *identifier)) return fail(std::move(*fault));
        content.elements.push_back({identifier->ai, std::string(value)});
        at = end;
        if (at < elementString.size() && elementString[at] == separator) at += 1;
    }
    return content;
}

}  // namespace orvel
