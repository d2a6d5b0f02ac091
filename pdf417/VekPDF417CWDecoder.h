#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "foundation/VekException.h"
#include "foundation/VekUtil.h"
#include "pdf417/VekBase900Decimal.h"

namespace orvel {

// An invalid codeword sequence met while decoding a PDF417 symbol.
class TVekInvalidCWException : public TVekException {
public:
    using TVekException::TVekException;
};

// Turns the data codewords of a PDF417 symbol (entry 0 is the symbol length
// descriptor) into the message bytes of the text, byte and numeric compaction
// modes, and keeps the fields of a Macro PDF417 control block as texts.
class TVekPDF417CWDecoder {
public:
    static constexpr int32_t LATCH_TO_TEXT = 900;
    static constexpr int32_t LATCH_TO_BYTE = 901;
    static constexpr int32_t LATCH_TO_NUMERIC = 902;
    static constexpr int32_t SHIFT_TO_BYTE = 913;
    static constexpr int32_t READER_INIT = 921;
    static constexpr int32_t MACRO_TERMINATOR = 922;
    static constexpr int32_t MACRO_OPTIONAL_FIELD = 923;
    static constexpr int32_t LATCH_TO_BYTE6 = 924;
    static constexpr int32_t MACRO_CONTROL_BLOCK = 928;

    // Indices of the Macro fields.
    static constexpr int MACRO_SEGMENT_INDEX = 0;
    static constexpr int MACRO_FILE_ID = 1;
    static constexpr int MACRO_FILE_NAME = 2;
    static constexpr int MACRO_SEGMENT_COUNT = 3;
    static constexpr int MACRO_TIME_STAMP = 4;
    static constexpr int MACRO_SENDER = 5;
    static constexpr int MACRO_ADDRESSEE = 6;
    static constexpr int MACRO_FILE_SIZE = 7;
    static constexpr int MACRO_CHECKSUM = 8;
    static constexpr int MACRO_FIELD_COUNT = 9;

    TVekPDF417CWDecoder();

    // Decodes codewords into byte values (one per entry of result) and fills
    // the Macro fields. Raises TVekInvalidCWException for an invalid sequence.
    void decode(const TVectorInteger& codewords, TVectorInteger& result);

    // Index 0 ... 8; an empty text or array for any other index.
    const std::string& getMacroPDFStringField(int index) const;
    const TVectorInteger& getMacroPDFByteField(int index) const;
    const TVectorString& getMacroStringFields() const { return macroStringFields; }
    const TMatrixIntegerV& getMacroByteFields() const { return macroByteFields; }
    // The segment index and the segment count as numbers: none when the
    // field is absent, holds no digit or a number beyond int32_t.
    std::optional<int32_t> getMacroSegmentIndex() const { return segmentIndex; }
    std::optional<int32_t> getMacroSegmentCount() const { return segmentCount; }

    // Decodes three fixed sequences, one per compaction mode, and discards
    // the results.
    void test();

    // How the photo path reads byte compaction, where ECI designators split
    // the codewords into pieces decoded one by one: a run latched by 901
    // may hold any number of bytes (none left over, or no codeword at all
    // before an ECI designator), and with `runGoesOn` the codewords end at
    // an ECI designator after which the run goes on, so a full last group
    // still stands for six bytes. Off by default, as the documented reader
    // decodes.
    void setOpenByteRuns(bool on) { openByteRuns = on; }
    void setRunGoesOn(bool on) { runGoesOn = on; }
    // The byte latch (901 or 924) of a run the codewords ended in, else 0.
    int32_t openByteLatch() const { return endLatch; }

private:
    // The mode decoders start at pos, stop before limit and the array's end,
    // leave pos on the codeword that ended them, and append their values to
    // the output buffer.
    void decodeText(const TVectorInteger& codewords, int32_t& pos, int32_t limit);
    void decodeBytes(const TVectorInteger& codewords, int32_t& pos, int32_t limit);
    void decodeNumeric(const TVectorInteger& codewords, int32_t& pos, int32_t limit);
    TVekBase900Decimal decodeNumericField(const TVectorInteger& codewords, int32_t& pos, int32_t limit) const;
    void decodeMacroControlBlock(const TVectorInteger& codewords, int32_t& pos, int32_t limit);
    void decodeOptionalField(const TVectorInteger& codewords, int32_t& pos, int32_t limit);
    static bool isStopCodeword(int32_t codeword);
    void put(int32_t value);

    TVectorString macroStringFields;
    TMatrixIntegerV macroByteFields;
    std::optional<int32_t> segmentIndex;
    std::optional<int32_t> segmentCount;
    // The message of the running decode: sized for the most any codeword
    // sequence can produce, filled up to outputCount.
    TVectorInteger output;
    size_t outputCount = 0;
    bool openByteRuns = false;
    bool runGoesOn = false;
    int32_t endLatch = 0;
};

}  // namespace orvel
