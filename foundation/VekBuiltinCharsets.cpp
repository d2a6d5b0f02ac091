#include "foundation/VekBuiltinCharsets.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace orvel {

namespace {

constexpr uint32_t replacement = 0xFFFD;
constexpr uint32_t undefined = 0;  // a byte the set leaves unassigned

void appendCodePoint(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The upper half of code page 437: accented letters, box drawing, Greek and
// mathematical signs.
constexpr std::array<uint16_t, 128> cp437Upper = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

uint32_t cp437(uint8_t byte) { return byte < 0x80 ? byte : cp437Upper[byte - 0x80]; }

// ISO 8859-9 is Latin-1 with six Turkish letters in place of Icelandic ones.
uint32_t iso8859_9(uint8_t byte) {
    switch (byte) {
        case 0xD0: return 0x011E;
        case 0xDD: return 0x0130;
        case 0xDE: return 0x015E;
        case 0xF0: return 0x011F;
        case 0xFD: return 0x0131;
        case 0xFE: return 0x015F;
        default: return byte;
    }
}

// ISO 8859-11 (Thai): the letters run in Unicode order from U+0E01; four
// bytes in the middle and four at the end are unassigned.
uint32_t iso8859_11(uint8_t byte) {
    if (byte <= 0xA0) return byte;
    if ((byte >= 0xDB && byte <= 0xDE) || byte >= 0xFC) return undefined;
    return 0x0E00 + (byte - 0xA0);
}

uint32_t ascii(uint8_t byte) { return byte < 0x80 ? byte : undefined; }

void appendSingleBytes(std::string& out, std::string_view bytes, uint32_t (*map)(uint8_t)) {
    for (const char c : bytes) {
        const uint32_t code = map(static_cast<uint8_t>(c));
        appendCodePoint(out, code == undefined && c != 0 ? replacement : code);
    }
}

// The length of the well-formed UTF-8 sequence at `at`, 0 when none starts
// there (stray continuation, overlong form, surrogate, past U+10FFFF, cut).
size_t utf8SequenceAt(std::string_view bytes, size_t at) {
    const auto lead = static_cast<uint8_t>(bytes[at]);
    if (lead < 0x80) return 1;
    size_t length = 0;
    uint32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<uint8_t>(bytes[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr uint32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void appendUtf8(std::string& out, std::string_view bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t length = utf8SequenceAt(bytes, at);
        if (length == 0) {
            appendCodePoint(out, replacement);
            ++at;
        } else {
            out.append(bytes.substr(at, length));
            at += length;
        }
    }
}

void appendUtf32(std::string& out, std::string_view bytes, bool bigEndian) {
    size_t at = 0;
    while (at < bytes.size()) {
        if (at + 4 <= bytes.size()) {
            uint32_t code = 0;
            for (size_t k = 0; k < 4; ++k) {
                const uint32_t byte = static_cast<uint8_t>(bytes[at + (bigEndian ? k : 3 - k)]);
                code = (code << 8) | byte;
            }
            if (code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                appendCodePoint(out, code);
                at += 4;
                continue;
            }
        }
        appendCodePoint(out, replacement);
        ++at;
    }
}

}  // namespace

bool appendBuiltinCharset(std::string& out, std::string_view bytes, const char* charset) {
    if (charset == nullptr) return false;
    const auto is = [charset](const char* name) { return std::strcmp(charset, name) == 0; };
    if (is("UTF-8")) {
        appendUtf8(out, bytes);
    } else if (is("US-ASCII")) {
        appendSingleBytes(out, bytes, ascii);
    } else if (is("CP437")) {
        appendSingleBytes(out, bytes, cp437);
    } else if (is("ISO-8859-9")) {
        appendSingleBytes(out, bytes, iso8859_9);
    } else if (is("ISO-8859-11")) {
        appendSingleBytes(out, bytes, iso8859_11);
    } else if (is("UTF-32BE") || is("UTF-32LE")) {
        appendUtf32(out, bytes, is("UTF-32BE"));
    } else {
        return false;
    }
    return true;
}

}  // namespace orvel
