#pragma once

#include <array>
#include <cstdint>

#include "datamatrix/VekDatamatrixControl.h"
#include "foundation/VekUtil.h"

namespace orvel {

// Turns the corrected data codewords of one ECC 200 symbol into its content:
// output values (bytes; -1 for a control entry, whose text names it; 232 for
// an FNC1 met in C40 or Text) and a parallel list of texts. Reads ASCII with
// digit pairs and Upper Shift, C40, Text, Base 256, pads, FNC1, Structured
// Append, Reader Programming, the two macros and ECI; the X12 and EDIFACT
// latches are refused unless the extended reading is switched on.
//
// pos and count are read at the start and written back at the end. values and
// texts are sized by the caller and never grown: content that does not fit
// raises TVekDecodeCWException, as does every other failure.
//
// Beside the texts, every control entry is also kept as data (controls()):
// its kind, its output position and its numbers, so that no caller needs to
// read the texts back.
class TVekDatamatrixCWDecoder {
public:
    static constexpr int32_t MODE_ASCII = 0;
    static constexpr int32_t MODE_C40 = 1;
    static constexpr int32_t MODE_TEXT = 2;
    static constexpr int32_t MODE_BASE256 = 3;
    static constexpr int32_t MODE_X12 = 4;
    // What getNextCharFromC40 returns for the FNC1 of C40 and Text.
    static constexpr int32_t C40_FNC1 = 10232;

    TVekDatamatrixCWDecoder();

    // The photo path's reading: X12 and EDIFACT are decoded instead of
    // refused, and the FNC1 of C40 and Text becomes a control entry like the
    // ASCII one (-1, "FNC1") instead of the value 232, which is also a byte.
    // Off by default: the documented reader and its log stay as they are.
    void setExtended(bool extended) { extended_ = extended; }

    // Decodes from pos to the end of the codewords; controls() then holds the
    // control entries of this call.
    void decode(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts, TVectorInteger& values,
                int32_t& count);

    // ASCII codewords up to the first one the main loop handles (pad, latch,
    // unlatch), which pos is left on.
    void decodeAscii(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts, TVectorInteger& values,
                     int32_t& count);

    // One C40 (textMode false) or Text segment: stops on an unlatch (pos left
    // on it) or when at most one codeword is left.
    void decodeC40(int32_t& pos, const TVectorInteger& codewords, bool textMode, TVectorString& texts,
                   TVectorInteger& values, int32_t& count);

    // The byte value for the C40 values at index (index advanced past them),
    // C40_FNC1 for FNC1, -1 when no character matches (index unchanged).
    int32_t getNextCharFromC40(const TVectorInteger& cvalues, int32_t& index) const;

    // A Base 256 field starting at its length codeword; length 0 runs to the
    // end of the codewords.
    void decodeBase256(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts, TVectorInteger& values,
                       int32_t& count);

    // One X12 segment: stops on an unlatch (pos left on it) or when at most
    // one codeword is left.
    void decodeX12(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts, TVectorInteger& values,
                   int32_t& count);

    // One EDIFACT segment after its latch: four values in each three
    // codewords, up to the unlatch value (the rest of its codeword is
    // filler) or until fewer than three codewords are left, which are ASCII.
    void decodeEdifact(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts, TVectorInteger& values,
                       int32_t& count);

    // The control entries written since the last decode began, in output
    // order (one for each -1 among the values).
    const TVekDatamatrixControls& controls() const { return controls_; }

    // Undo the 255-state and 253-state randomising of the codeword at the
    // given 1-based position.
    static int32_t random255Inverse(int32_t value, int32_t position);
    static int32_t random253Inverse(int32_t value, int32_t position);

    // Decodes a fixed list of 62 codewords; true when they decode.
    bool test();

private:
    using TC40Sequence = std::array<int32_t, 4>;

    void buildC40Table();
    static void put(TVectorString& texts, TVectorInteger& values, int32_t& out, int32_t value,
                    const std::string& text);
    void putControl(TVectorString& texts, TVectorInteger& values, int32_t& out, TVekDatamatrixControl control);
    static int32_t controlCodeword(const TVectorInteger& codewords, int32_t p, const char* missingMessage);
    static TVekDatamatrixControl::TAppend readStructuredAppend(const TVectorInteger& codewords, int32_t& p);
    static int32_t readEci(const TVectorInteger& codewords, int32_t& p);
    bool isPendingShift(const TVectorInteger& cvalues, int32_t index) const;

    int32_t lookupC40(const TVectorInteger& cvalues, int32_t index, int32_t length) const;

    bool extended_ = false;
    TVekDatamatrixControls controls_;

    // For each byte value its C40 values, -1 in the unused places.
    std::array<TC40Sequence, 256> c40Table{};
    std::array<int32_t, 256> c40Lengths{};
    // The table inverted, by sequence form: one value; a shift and a value;
    // Upper Shift and a value; Upper Shift, a shift and a value. -1: none.
    std::array<int32_t, 40> byteOfValue{};
    std::array<std::array<int32_t, 40>, 3> byteOfShifted{};
    std::array<int32_t, 40> byteOfUpper{};
    std::array<std::array<int32_t, 40>, 3> byteOfUpperShifted{};
};

}  // namespace orvel
