#include "foundation/VekTextDecoder.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include <cstdlib>

#include "foundation/VekBuiltinCharsets.h"
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstring>

#ifdef __EMSCRIPTEN__
// The browser's decoder (TextDecoder: Shift JIS, GB 18030, GBK, Big5,
// EUC-KR, UTF-16, the ISO 8859 and Windows sets) writes the text as UTF-8
// into memory it allocates, which the caller frees; null for a set the
// browser does not know. Its tables are the browser's: the module carries
// none.
EM_JS(char*, orvelDecodeInBrowser, (const char* bytes, size_t size, const char* charset, size_t* length), {
    let text;
    try {
        text = new TextDecoder(UTF8ToString(charset)).decode(HEAPU8.slice(bytes, bytes + size));
    } catch (error) {
        return 0;
    }
    const capacity = lengthBytesUTF8(text) + 1;
    const out = _malloc(capacity);
    stringToUTF8(text, out, capacity);
    HEAPU32[length >> 2] = capacity - 1;
    return out;
});

#endif

namespace orvel {

namespace {

void appendIso8859_1(std::string& out, std::string_view bytes) {
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

#ifndef __EMSCRIPTEN__

constexpr const char* replacementCharacter = "\xEF\xBF\xBD";

// Owns one iconv descriptor for the length of a conversion.
class TIconv {
public:
    explicit TIconv(const char* charset) : handle_(iconv_open("UTF-8", charset)) {}
    ~TIconv() {
        if (isOpen()) iconv_close(handle_);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;
    bool isOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

#endif

}  // namespace

const char* eciCharset(int eci) {
    switch (eci) {
        case 0:
        case 2: return "CP437";
        case 1:
        case 3: return "ISO-8859-1";
        case 4: return "ISO-8859-2";
        case 5: return "ISO-8859-3";
        case 6: return "ISO-8859-4";
        case 7: return "ISO-8859-5";
        case 8: return "ISO-8859-6";
        case 9: return "ISO-8859-7";
        case 10: return "ISO-8859-8";
        case 11: return "ISO-8859-9";
        case 12: return "ISO-8859-10";
        case 13: return "ISO-8859-11";
        case 15: return "ISO-8859-13";
        case 16: return "ISO-8859-14";
        case 17: return "ISO-8859-15";
        case 18: return "ISO-8859-16";
        case 20: return "SHIFT_JIS";
        case 21: return "CP1250";
        case 22: return "CP1251";
        case 23: return "CP1252";
        case 24: return "CP1256";
        case 25: return "UTF-16BE";
        case 26: return "UTF-8";
        case 27:
        case 170: return "US-ASCII";
        case 28: return "BIG5";
        case 29: return "GB18030";
        case 30: return "EUC-KR";
        case 31: return "GBK";
        case 32: return "GB18030";
        case 33: return "UTF-16LE";
        case 34: return "UTF-32BE";
        case 35: return "UTF-32LE";
        default: return nullptr;
    }
}

std::string toUtf8(std::string_view bytes, const char* charset) {
    std::string out;
    if (charset == nullptr || std::strcmp(charset, "ISO-8859-1") == 0) {
        appendIso8859_1(out, bytes);
        return out;
    }
#ifdef __EMSCRIPTEN__
    if (appendBuiltinCharset(out, bytes, charset)) return out;
    size_t length = 0;
    if (char* text = orvelDecodeInBrowser(bytes.data(), bytes.size(), charset, &length)) {
        out.assign(text, length);
        std::free(text);
    } else {
        appendIso8859_1(out, bytes);
    }
    return out;
#else
    TIconv converter(charset);
    if (!converter.isOpen()) {
        appendIso8859_1(out, bytes);
        return out;
    }
    char buffer[256];
    char* in = const_cast<char*>(bytes.data());  // iconv's interface is not const-correct; it only reads
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (done != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An invalid or truncated sequence: one replacement character, then
        // go on after the offending byte.
        out += replacementCharacter;
        ++in;
        --inLeft;
        iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(converter.get(), nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    return out;
#endif
}

bool isValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        int follow = 0;
        uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            follow = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            follow = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            follow = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(follow) >= bytes.size()) return false;
        for (int k = 1; k <= follow; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr uint32_t smallest[4] = {0, 0x80, 0x800, 0x10000};
        if (code < smallest[follow] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += static_cast<size_t>(follow) + 1;
    }
    return true;
}

bool looksLikeShiftJis(std::string_view bytes) {
    // Half-width katakana share their byte values with accented Latin
    // letters, so alone they count only as a run of three or more, which
    // Latin text hardly has.
    bool japanese = false;
    int katakanaRun = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0xA1 && c <= 0xDF) {
            if (++katakanaRun >= 3) japanese = true;
            continue;
        }
        katakanaRun = 0;
        if (c < 0x80) continue;
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF);
        if (!lead || i + 1 >= bytes.size()) return false;
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
        japanese = true;
        ++i;
    }
    return japanese;
}

}  // namespace orvel
