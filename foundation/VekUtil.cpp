#include "foundation/VekUtil.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "foundation/VekException.h"

namespace orvel {

namespace {

int32_t saturate(double value) {
    if (std::isnan(value)) return INT32_MIN;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

TDebugSink& debugSink() {
    static TDebugSink sink;
    return sink;
}

}  // namespace

int32_t vekRoundInt(double value) { return saturate(std::nearbyint(value)); }

int32_t vekTrunc(double value) { return saturate(std::trunc(value)); }

void debugWrite(const std::string& text) {
    if (debugSink()) debugSink()(text);
}

void setDebugSink(TDebugSink sink) { debugSink() = std::move(sink); }

// The library keeps no clock: the readers' timing statistics read 0, which
// keeps their diagnostic texts reproducible from run to run.
int64_t currentTimeMillis() { return 0; }

int32_t parseInt(const std::string& text) {
    const auto fail = [&text]() { return TVekConvertError("'" + text + "' is not a valid integer value"); };
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size()) throw fail();
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9') throw fail();
        value = value * 10 + (c - '0');
        if (value > int64_t{INT32_MAX} + 1) throw fail();
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) throw fail();
    return static_cast<int32_t>(value);
}

std::string intToStr(int64_t value) { return std::to_string(value); }

std::string floatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14E", std::fabs(value));
    // buffer is "d.ddddddddddddddE+xx" (two or more exponent digits).
    std::string text(buffer);
    const size_t e = text.find('E');
    const std::string mantissa = text.substr(0, e);
    const char expSign = text[e + 1];
    int exponent = std::atoi(text.c_str() + e + 2);
    char expDigits[16];
    std::snprintf(expDigits, sizeof expDigits, "%04d", exponent);
    return std::string(value < 0 ? "-" : " ") + mantissa + "E" + expSign + expDigits;
}

std::string bytesToString(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (uint8_t b : bytes) {
        text += ' ';
        text += std::to_string(b);
    }
    return text;
}

std::string bytesToString(const TVectorInteger& bytes) {
    std::string text;
    for (int32_t b : bytes) {
        text += ' ';
        text += std::to_string(b);
    }
    return text;
}

void arrayCopy(const TVectorInteger& source, int sourcePos, TVectorInteger& destination, int destPos,
               int length) {
    if (length <= 0) return;
    if (sourcePos < 0 || destPos < 0 || static_cast<size_t>(sourcePos) + length > source.size() ||
        static_cast<size_t>(destPos) + length > destination.size())
        throw std::out_of_range("arrayCopy: range outside the arrays");
    for (int k = 0; k < length; ++k) destination[destPos + k] = source[sourcePos + k];
}

}  // namespace orvel
