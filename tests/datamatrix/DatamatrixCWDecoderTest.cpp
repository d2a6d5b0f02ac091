// TVekDatamatrixCWDecoder on codeword sequences made by hand, for the cases
// encoders rarely produce.

#include <gtest/gtest.h>

#include <random>

#include "DatamatrixTestHelpers.h"
#include "datamatrix/VekDatamatrixCWDecoder.h"
#include "datamatrix/VekDecodeCWException.h"

namespace orvel::test {
namespace {

constexpr int32_t LATCH_C40 = 230;
constexpr int32_t LATCH_TEXT = 239;
constexpr int32_t UNLATCH = 254;
constexpr int32_t PAD = 129;

// C40 values of a text of capitals, digits, space, CR and LF.
TVectorInteger c40Values(const std::string& text) {
    TVectorInteger values;
    for (char c : text) {
        if (c >= 'A' && c <= 'Z') values.push_back(c - 'A' + 14);
        else if (c >= '0' && c <= '9') values.push_back(c - '0' + 4);
        else if (c == ' ') values.push_back(3);
        else values.insert(values.end(), {0, c});  // Shift 1 control
    }
    return values;
}

TVectorInteger concat(std::initializer_list<TVectorInteger> parts) {
    TVectorInteger all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::string decodeError(const TVectorInteger& codewords, size_t outputSize) {
    TVekDatamatrixCWDecoder decoder;
    TVectorString texts(outputSize);
    TVectorInteger values(outputSize);
    int32_t pos = 0, count = 0;
    try {
        decoder.decode(pos, codewords, texts, values, count);
    } catch (const TVekDecodeCWException& e) {
        return e.what();
    }
    return "";
}

TEST(DatamatrixCWDecoder, AsciiPadsAndDigitPairs) {
    // The first pad is plain, the ones after it randomised (253 states).
    TVectorInteger codewords = {66, 67, PAD};
    for (int32_t position = 4; position <= 8; ++position) {
        codewords.push_back((PAD + (149 * position) % 253 + 1 - 1) % 254 + 1);
    }
    EXPECT_EQ(decodeContent(codewords), bytesOf("AB"));
    EXPECT_EQ(decodeContent({142}), bytesOf("12"));
    EXPECT_EQ(decodeContent({130, 229, 235, 101}), TVectorInteger({'0', '0', '9', '9', 0xE4}));
}

TEST(DatamatrixCWDecoder, C40AndTextValues) {
    EXPECT_EQ(decodeContent({LATCH_C40, 91, 11}), bytesOf("AIM"));
    EXPECT_EQ(decodeContent({LATCH_TEXT, 91, 11}), bytesOf("aim"));
    // Upper Shift in Text keeps Text's cases: "ä" is Upper Shift + "d" (17),
    // "Ä" Upper Shift + Shift 3 + 4.
    EXPECT_EQ(decodeContent(concat({{LATCH_TEXT}, c40Pairs({1, 30, 17, 1, 30, 2, 4, 3, 3}), {UNLATCH}})),
              TVectorInteger({0xE4, 0xC4, ' ', ' '}));
    EXPECT_EQ(decodeContent(concat({{LATCH_C40}, c40Pairs({1, 30, 17, 1, 30, 2, 4, 3, 3}), {UNLATCH}})),
              TVectorInteger({0xC4, 0xE4, ' ', ' '}));
    EXPECT_EQ(decodeError(concat({{LATCH_C40}, c40Pairs({40, 0, 0})}), 10), "Could not decode C40 value 40");
}

// Inside C40 and Text a pair is data whatever its first codeword: "YANKEE"
// opens with 239, 204; other texts open with the values of a pad or a latch.
TEST(DatamatrixCWDecoder, C40PairsLookingLikeLatchesAreData) {
    const TVectorInteger yankee = c40Pairs(c40Values("YANKEE"));
    ASSERT_EQ(yankee[0], 239);
    ASSERT_EQ(yankee[1], 204);
    EXPECT_EQ(decodeContent(concat({{LATCH_C40}, yankee, {UNLATCH, 66}})), bytesOf("YANKEEA"));
    for (const std::string text : {"GLK", "WSA", "X A", "Y5A", "YCA", "Y A"}) {
        const TVectorInteger pair = c40Pairs(c40Values(text));
        EXPECT_EQ(decodeContent(concat({{LATCH_C40}, pair, {UNLATCH}})), bytesOf(text)) << pair[0];
        TVectorInteger textValues = c40Values(text);
        EXPECT_EQ(decodeContent(concat({{LATCH_TEXT}, c40Pairs(textValues)})).size(), 3u) << pair[0];
    }
}

// CR LF is Shift 1, 13, Shift 1, 10, so a Shift 1 falls on every place of a
// pair; only the Shift 1 that fills the last pair is padding.
TEST(DatamatrixCWDecoder, CrLfAtEveryOffset) {
    for (const std::string prefix : {"", "A", "AB"}) {
        for (const std::string suffix : {"", "Z", "YZ", "XYZ"}) {
            const std::string text = prefix + "\r\n" + suffix;
            // As an encoder ends the segment: two values left fill their pair
            // with a Shift 1, a single one (always a capital here) goes in
            // ASCII after the segment.
            TVectorInteger values = c40Values(text);
            TVectorInteger asciiTail;
            if (values.size() % 3 == 2) values.push_back(0);
            if (values.size() % 3 == 1) {
                asciiTail.push_back(text.back() + 1);
                values.pop_back();
            }
            for (int32_t latch : {LATCH_C40, LATCH_TEXT}) {
                std::string expected = text;
                if (latch == LATCH_TEXT) {
                    for (char& c : expected) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                }
                if (!asciiTail.empty()) expected.back() = text.back();
                const TVectorInteger pairs = c40Pairs(values);
                // Ended by an unlatch, by the end (or the single codeword
                // before it), each after a pad.
                EXPECT_EQ(decodeContent(concat({{latch}, pairs, {UNLATCH}, asciiTail, {PAD}})), bytesOf(expected))
                    << text;
                if (asciiTail.empty()) {
                    EXPECT_EQ(decodeContent(concat({{latch}, pairs})), bytesOf(expected)) << text;
                    EXPECT_EQ(decodeContent(concat({{latch}, pairs, {PAD}})), bytesOf(expected)) << text;
                } else {
                    EXPECT_EQ(decodeContent(concat({{latch}, pairs, asciiTail})), bytesOf(expected)) << text;
                }
            }
        }
    }
    // A NUL after the last real value is Shift 1, 0: not padding.
    EXPECT_EQ(decodeContent(concat({{LATCH_C40}, c40Pairs({14, 0, 0}), {UNLATCH}})), TVectorInteger({'A', 0}));
    // The padding Shift 1 completed by nothing but a pad is still padding.
    EXPECT_EQ(decodeContent(concat({{LATCH_C40}, c40Pairs({14, 15, 0}), {UNLATCH, PAD}})), bytesOf("AB"));
}

// A shift left open at the unlatch is refused instead of borrowing the ASCII
// codeword after the unlatch.
TEST(DatamatrixCWDecoder, ShiftPendingAtUnlatchIsRefused) {
    for (const TVectorInteger& values : {TVectorInteger{14, 15, 1}, TVectorInteger{14, 15, 2}, TVectorInteger{14, 1, 30},
                                         TVectorInteger{1, 30, 0}}) {
        EXPECT_EQ(decodeError(concat({{LATCH_C40}, c40Pairs(values), {UNLATCH, 66}}), 20),
                  "C40 shift pending at end of segment");
        EXPECT_EQ(decodeError(concat({{LATCH_TEXT}, c40Pairs(values)}), 20), "C40 shift pending at end of segment");
    }
}

TEST(DatamatrixCWDecoder, Fnc1InBothForms) {
    TVectorString texts;
    TVectorInteger values = decodeContent({232, 66}, &texts);
    EXPECT_EQ(values, TVectorInteger({-1, 'A'}));
    EXPECT_EQ(texts[0], "FNC1");
    values = decodeContent(concat({{LATCH_C40}, c40Pairs({14, 1, 27}), {UNLATCH}}), &texts);
    EXPECT_EQ(values, TVectorInteger({'A', 232}));
    EXPECT_EQ(texts[1], "");
}

TEST(DatamatrixCWDecoder, ControlCodewords) {
    TVectorString texts;
    TVectorInteger values = decodeContent({234, 236, 237, 233, 0x21, 7, 9, 241, 27, 66}, &texts);
    EXPECT_EQ(values, TVectorInteger({-1, -1, -1, -1, -1, 'A'}));
    EXPECT_EQ(texts, TVectorString({"READER_PROGRAMMING", "MACRO5", "MACRO6", "STRUCTURED_APPEND: 3/16 7,9",
                                    "ECI: 26", ""}));
    // The same entries as data.
    TVekDatamatrixCWDecoder decoder;
    TVectorString labels(20);
    TVectorInteger outputs(20);
    int32_t pos = 0, count = 0;
    decoder.decode(pos, {66, 234, 236, 237, 233, 0x21, 7, 9, 241, 200, 5, 6, 232}, labels, outputs, count);
    using Kind = TVekDatamatrixControl::TKind;
    const TVekDatamatrixControls& controls = decoder.controls();
    ASSERT_EQ(controls.size(), 6u);
    EXPECT_EQ(controls[0].kind, Kind::readerProgramming);
    EXPECT_EQ(controls[0].output, 1);
    EXPECT_EQ(controls[1].kind, Kind::macro05);
    EXPECT_EQ(controls[2].kind, Kind::macro06);
    EXPECT_EQ(controls[3].kind, Kind::structuredAppend);
    EXPECT_EQ(controls[3].append.position, 3);
    EXPECT_EQ(controls[3].append.count, 16);
    EXPECT_EQ(controls[3].append.file1, 7);
    EXPECT_EQ(controls[3].append.file2, 9);
    EXPECT_EQ(controls[4].kind, Kind::eci);
    EXPECT_EQ(controls[4].eci, (200 - 192) * 64516 + 4 * 254 + 5 + 16383);  // three codewords
    EXPECT_EQ(labels[5], "ECI: " + std::to_string(controls[4].eci));
    EXPECT_EQ(controls[5].kind, Kind::fnc1);
    EXPECT_EQ(controls[5].output, 6);
    // A new decode starts a new list.
    decoder.decode(pos = 0, {66}, labels, outputs, count = 0);
    EXPECT_TRUE(decoder.controls().empty());

    EXPECT_EQ(decodeError({233}, 10), "Counter after STRUCTURED_APPEND expected");
    EXPECT_EQ(decodeError({233, 0x21, 7}, 10), "Codewords after STRUCTURED_APPEND expected");
    EXPECT_EQ(decodeError({241}, 10), "Counter after ECI expected");
    EXPECT_EQ(decodeError({241, 200, 5}, 10), "Codewords after ECI expected");
    EXPECT_EQ(decodeError({66, 235}, 10), "Codeword after SHIFT expected");
    EXPECT_EQ(decodeError({66, 238, 1, 2}, 10), "ANSI latch not supported");
    EXPECT_EQ(decodeError({66, 240, 1, 2}, 10), "EDIFACT latch not supported");
}

TEST(DatamatrixCWDecoder, Base256Fields) {
    auto randomised = [](int32_t value, int32_t position) { return (value + (149 * position) % 255 + 1) % 256; };
    // An empty field at the end, then a field of length 0 running to the end.
    EXPECT_EQ(decodeContent({66, 231, randomised(0, 3)}), bytesOf("A"));
    EXPECT_EQ(decodeContent({231, randomised(0, 2), randomised(7, 3), randomised(255, 4)}), TVectorInteger({7, 255}));
    // Length 2, then ASCII again.
    EXPECT_EQ(decodeContent({231, randomised(2, 2), randomised(0, 3), randomised(128, 4), 66}),
              TVectorInteger({0, 128, 'A'}));
    // Two length codewords: 250 + 50 = 300 bytes, cut short by the end.
    TVectorInteger codewords = {231, randomised(250, 2), randomised(50, 3)};
    for (int32_t i = 0; i < 10; ++i) codewords.push_back(randomised(i, 4 + i));
    EXPECT_EQ(decodeContent(codewords), TVectorInteger({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(decodeError({231}, 10), "Length after BASE256 expected");
    EXPECT_EQ(decodeError({231, randomised(250, 2)}, 10), "Length after BASE256 expected");
}

// The output arrays are the caller's: content that does not fit fails
// instead of writing past them.
TEST(DatamatrixCWDecoder, OutputArraysAreNeverOverrun) {
    EXPECT_EQ(decodeError({66, 67, 68}, 2), "Output arrays too small");
    EXPECT_EQ(decodeError({66, 142}, 2), "Output arrays too small");  // the pair's second digit
    EXPECT_EQ(decodeError(concat({{LATCH_C40}, c40Pairs({14, 15, 16})}), 2), "Output arrays too small");
    EXPECT_EQ(decodeError({231, (2 + 44) % 256, 1, 2}, 1), "Output arrays too small");
    EXPECT_EQ(decodeError({66, 300}, 10), "Invalid codeword");

    TVekDatamatrixCWDecoder decoder;
    TVectorString texts(3);
    TVectorInteger values(2);  // shorter than texts
    int32_t pos = 0, count = 0;
    EXPECT_THROW(decoder.decode(pos, {66, 67, 68}, texts, values, count), TVekDecodeCWException);
}

// Arbitrary codewords, rich in latches and control codewords: with the
// reader's arrays of twice the codeword count the content always fits, and
// anything else ends in TVekDecodeCWException.
TEST(DatamatrixCWDecoder, ArbitraryCodewordsDecodeOrFailCleanly) {
    const TVectorInteger special = {0, 129, 130, 229, 230, 231, 232, 233, 234, 235, 236, 237, 238, 239, 240, 241, 254, 255};
    std::mt19937 random(44);
    TVekDatamatrixCWDecoder decoder;
    for (int32_t trial = 0; trial < 3000; ++trial) {
        TVectorInteger codewords(1 + random() % 60);
        for (int32_t& c : codewords) c = random() % 3 == 0 ? special[random() % special.size()] : random() % 256;
        TVectorString texts(codewords.size() * 2);
        TVectorInteger values(codewords.size() * 2);
        int32_t pos = 0, count = 0;
        try {
            decoder.decode(pos, codewords, texts, values, count);
            EXPECT_EQ(pos, static_cast<int32_t>(codewords.size()));
            EXPECT_LE(count, static_cast<int32_t>(values.size()));
        } catch (const TVekDecodeCWException& e) {
            EXPECT_STRNE(e.what(), "Output arrays too small") << "trial " << trial;
        }
    }
}

// The control entries kept as data say what the texts say: one for each
// labelled -1, at its output position, whose label is the text written there; in both
// readings, whether the decode ends normally or fails part way.
TEST(DatamatrixCWDecoder, ControlEntriesMatchTheirTexts) {
    const TVectorInteger special = {129, 130, 230, 231, 232, 233, 234, 235, 236, 237, 238, 239, 240, 241, 254};
    std::mt19937 random(7);
    int32_t controlsSeen = 0;
    for (bool extended : {false, true}) {
        TVekDatamatrixCWDecoder decoder;
        decoder.setExtended(extended);
        for (int32_t trial = 0; trial < 2000; ++trial) {
            TVectorInteger codewords(1 + random() % 40);
            for (int32_t& c : codewords) c = random() % 2 == 0 ? special[random() % special.size()] : random() % 256;
            TVectorString texts(codewords.size() * 3 + 8);
            TVectorInteger values(codewords.size() * 3 + 8);
            int32_t pos = 0, count = 0;
            try {
                decoder.decode(pos, codewords, texts, values, count);
            } catch (const TVekDecodeCWException&) {
                continue;
            }
            const TVekDatamatrixControls& controls = decoder.controls();
            // Codeword 0 (ASCII value -1) is the one -1 without a text.
            int64_t labelled = 0;
            for (int32_t i = 0; i < count; ++i) labelled += values[i] == -1 && !texts[i].empty();
            ASSERT_EQ(static_cast<int64_t>(controls.size()), labelled) << "trial " << trial;
            int32_t previous = -1;
            for (const TVekDatamatrixControl& control : controls) {
                ASSERT_GT(control.output, previous);
                ASSERT_LT(control.output, count);
                EXPECT_EQ(values[control.output], -1);
                EXPECT_EQ(texts[control.output], control.label());
                previous = control.output;
            }
            controlsSeen += static_cast<int32_t>(controls.size());
        }
    }
    EXPECT_GT(controlsSeen, 500);
}

TEST(DatamatrixCWDecoder, PositionAndCountAreCarriedThrough) {
    TVekDatamatrixCWDecoder decoder;
    TVectorString texts(8);
    TVectorInteger values(8, 99);
    int32_t pos = 1;
    int32_t count = 2;
    decoder.decode(pos, {142, 66, 67}, texts, values, count);
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(values, TVectorInteger({99, 99, 'A', 'B', 99, 99, 99, 99}));
    EXPECT_EQ(TVekDatamatrixCWDecoder::random255Inverse(44, 2), 0);
    EXPECT_EQ(TVekDatamatrixCWDecoder::random253Inverse(175, 2), 129);
    EXPECT_TRUE(decoder.test());
}

}  // namespace
}  // namespace orvel::test
