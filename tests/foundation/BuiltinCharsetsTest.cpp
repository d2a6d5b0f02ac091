// The character sets the browser build converts itself give the same UTF-8
// as glibc's iconv, which the native build uses: every single byte, random
// byte strings and the malformed sequences each set can meet.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/VekBuiltinCharsets.h"
#include "foundation/VekTextDecoder.h"

namespace orvel {
namespace {

const std::vector<const char*> builtinSets = {"UTF-8", "US-ASCII", "CP437", "ISO-8859-9", "ISO-8859-11",
                                              "UTF-32BE", "UTF-32LE"};

std::string builtin(std::string_view bytes, const char* charset) {
    std::string out;
    EXPECT_TRUE(appendBuiltinCharset(out, bytes, charset)) << charset;
    return out;
}

std::string hex(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X ", static_cast<uint8_t>(c));
        out += digits;
    }
    return out;
}

TEST(BuiltinCharsetsTest, EveryByteAsIconvReadsIt) {
    for (const char* charset : builtinSets) {
        for (int byte = 0; byte < 256; ++byte) {
            const std::string one(1, static_cast<char>(byte));
            ASSERT_EQ(builtin(one, charset), toUtf8(one, charset)) << charset << " byte " << byte;
        }
    }
}

TEST(BuiltinCharsetsTest, MalformedSequencesAsIconvReadsThem) {
    const std::vector<std::string> utf8 = {
        "\xC3\xA9t\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x98\x80", "\xC3", "\xE6\x97", "\x80\x80" "A",
        "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xFF\xFEz",
        "a\xC3(b", "\xE2\x82\xAC\xE2\x82"};
    for (const std::string& bytes : utf8) EXPECT_EQ(builtin(bytes, "UTF-8"), toUtf8(bytes, "UTF-8")) << hex(bytes);
    // Past U+10FFFF glibc passes the old five- and six-byte forms on; they
    // are no characters, and a page shows U+FFFD for each byte.
    EXPECT_EQ(builtin("\xF4\x90\x80\x80", "UTF-8"), "\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(builtin("\xF8\x88\x80\x80\x80", "UTF-8"), "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    const std::vector<std::string> utf32 = {
        std::string("\0\0\0A\0\x01\xF6\x00", 8), std::string("\0\0\xD8\x00\0\0\0B", 8),
        std::string("\0\x11\0\0\0\0\0C", 8),     std::string("\0\0\0D\0\0", 6),
        std::string("\xFF\xFF\xFF\xFF\0\0\0E", 8), std::string("\0\0\xFE\xFF\0\0\0F", 8)};
    for (const std::string& bytes : utf32) {
        EXPECT_EQ(builtin(bytes, "UTF-32BE"), toUtf8(bytes, "UTF-32BE")) << hex(bytes);
        const std::string reversed(bytes.rbegin(), bytes.rend());
        EXPECT_EQ(builtin(reversed, "UTF-32LE"), toUtf8(reversed, "UTF-32LE")) << hex(reversed);
    }
}

TEST(BuiltinCharsetsTest, RandomBytesAsIconvReadsThem) {
    std::mt19937 random(20261208);
    for (const char* charset : builtinSets) {
        for (int round = 0; round < 400; ++round) {
            std::string bytes(random() % 13, '\0');
            for (char& c : bytes) {
                // Mostly bytes that start or continue a sequence, some zeros.
                const uint32_t pick = random() % 8;
                c = static_cast<char>(pick == 0 ? 0 : pick < 3 ? random() % 0x80 : 0x80 + random() % 0x80);
            }
            ASSERT_EQ(builtin(bytes, charset), toUtf8(bytes, charset)) << charset << ": " << hex(bytes);
        }
    }
}

TEST(BuiltinCharsetsTest, OtherSetsAreLeftToTheDecoder) {
    for (const char* charset : {"SHIFT_JIS", "ISO-8859-1", "ISO-8859-2", "UTF-16BE", "GB18030", "BIG5", "CP1252"}) {
        std::string out = "kept";
        EXPECT_FALSE(appendBuiltinCharset(out, "abc", charset)) << charset;
        EXPECT_EQ(out, "kept");
    }
    std::string out;
    EXPECT_FALSE(appendBuiltinCharset(out, "abc", nullptr));
}

}  // namespace
}  // namespace orvel
