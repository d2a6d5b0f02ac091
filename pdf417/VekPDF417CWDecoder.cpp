#include "pdf417/VekPDF417CWDecoder.h"

#include <algorithm>
#include <array>

#include "pdf417/VekBase900Decimal.h"

namespace orvel {

namespace {

// Latches and shifts of the text compaction sub-mode tables; every other
// entry is a character code.
constexpr int16_t LL = -1;  // latch to lower
constexpr int16_t AL = -2;  // latch to alpha
constexpr int16_t ML = -3;  // latch to mixed
constexpr int16_t PL = -4;  // latch to punctuation
constexpr int16_t AS = -5;  // shift to alpha for one character
constexpr int16_t PS = -6;  // shift to punctuation for one character

enum TSubMode { ALPHA = 0, LOWER = 1, MIXED = 2, PUNCTUATION = 3 };

using TSubModeTable = std::array<int16_t, 30>;

constexpr std::array<TSubModeTable, 4> SUB_MODE_TABLES = {{
    // alpha
    {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O',
     'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z', ' ', LL, ML, PS},
    // lower
    {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o',
     'p', 'q', 'r', 's', 't', 'u', 'v', 'w', 'x', 'y', 'z', ' ', AS, ML, PS},
    // mixed
    {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '&', 13, 9, ',', ':',
     '#', '-', '.', '$', '/', '+', '%', '*', '=', '^', PL, ' ', LL, AL, PS},
    // punctuation
    {';', '<', '>', '@', '[', '\\', ']', '_', '`', '~', '!', 13, 9, ',', ':',
     10, '-', '.', '$', '/', '"', '|', '*', '(', ')', '?', '{', '}', '\'', AL},
}};

const std::string EMPTY_TEXT;
const TVectorInteger EMPTY_ARRAY;

// The first data position, or the one after a leading reader
// initialisation flag.
bool isSymbolStart(const TVectorInteger& codewords, int32_t pos) {
    return pos == 1 || (pos == 2 && codewords[1] == TVekPDF417CWDecoder::READER_INIT);
}

bool isValidIndex(const TVectorInteger& codewords, int32_t pos, int32_t limit) {
    return pos >= 0 && pos < limit && pos < static_cast<int32_t>(codewords.size());
}

}  // namespace

TVekPDF417CWDecoder::TVekPDF417CWDecoder()
    : macroStringFields(MACRO_FIELD_COUNT), macroByteFields(MACRO_FIELD_COUNT) {}

bool TVekPDF417CWDecoder::isStopCodeword(int32_t codeword) {
    switch (codeword) {
        case LATCH_TO_TEXT:
        case LATCH_TO_BYTE:
        case LATCH_TO_NUMERIC:
        case LATCH_TO_BYTE6:
        case MACRO_TERMINATOR:
        case MACRO_OPTIONAL_FIELD:
        case MACRO_CONTROL_BLOCK:
            return true;
        default:
            return false;
    }
}

void TVekPDF417CWDecoder::put(int32_t value) {
    // The buffer holds the most a sequence of this length can produce; a
    // write past it would mean a codeword yielded more than it can.
    if (outputCount >= output.size()) throw TVekInvalidCWException("Decoded message too long");
    output[outputCount++] = value;
}

void TVekPDF417CWDecoder::decode(const TVectorInteger& codewords, TVectorInteger& result) {
    for (auto& field : macroStringFields) field.clear();
    for (auto& field : macroByteFields) field.clear();
    segmentIndex.reset();
    segmentCount.reset();
    result.clear();
    outputCount = 0;
    endLatch = 0;
    if (codewords.empty()) return;
    // A numeric group of 15 codewords gives 44 digits, more than any other
    // mode gives for the same codewords.
    output.assign(static_cast<size_t>(vekRoundInt(static_cast<double>(codewords.size()) * 44.0 / 15.0)), 0);

    const int32_t limit = codewords[0];
    int32_t pos = 1;
    while (isValidIndex(codewords, pos, limit)) {
        const int32_t c = codewords[static_cast<size_t>(pos)];
        switch (c) {
            case LATCH_TO_NUMERIC:
                ++pos;
                decodeNumeric(codewords, pos, limit);
                break;
            case LATCH_TO_BYTE:
            case LATCH_TO_BYTE6:
                decodeBytes(codewords, pos, limit);
                break;
            case READER_INIT:
            case MACRO_TERMINATOR:
                ++pos;
                break;
            case MACRO_CONTROL_BLOCK:
                decodeMacroControlBlock(codewords, pos, limit);
                break;
            case MACRO_OPTIONAL_FIELD:
                decodeOptionalField(codewords, pos, limit);
                break;
            case LATCH_TO_TEXT:
                ++pos;
                decodeText(codewords, pos, limit);
                break;
            default:
                // A symbol starts in text compaction, also when its first
                // codeword is the reader initialisation flag; anywhere else a
                // codeword that no mode claims would leave the position where
                // it is.
                if (!isSymbolStart(codewords, pos)) {
                    throw TVekInvalidCWException("Codeword " + intToStr(c) + " found outside any mode");
                }
                decodeText(codewords, pos, limit);
                break;
        }
    }
    result.assign(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(outputCount));
}

void TVekPDF417CWDecoder::decodeText(const TVectorInteger& codewords, int32_t& pos, int32_t limit) {
    TSubMode subMode = ALPHA;
    TSubMode beforeShift = ALPHA;
    bool shiftPending = false;
    while (isValidIndex(codewords, pos, limit)) {
        const int32_t c = codewords[static_cast<size_t>(pos)];
        if (isStopCodeword(c)) return;
        if (c == SHIFT_TO_BYTE) {
            ++pos;
            if (!isValidIndex(codewords, pos, limit)) return;
            // A mode codeword cannot stand for a byte.
            const int32_t shifted = codewords[static_cast<size_t>(pos)];
            if (shifted >= 900 || shifted < 0) {
                throw TVekInvalidCWException("Codeword " + intToStr(shifted) + " found after byte shift");
            }
            put(shifted & 0xFF);
            ++pos;
            continue;
        }
        if (c >= 900 || c < 0) throw TVekInvalidCWException("Codeword " + intToStr(c) + " found in Text mode");
        const std::array<int32_t, 2> values = {c / 30, c % 30};
        for (size_t half = 0; half < values.size(); ++half) {
            const int16_t entry = SUB_MODE_TABLES[subMode][static_cast<size_t>(values[half])];
            switch (entry) {
                case LL: subMode = LOWER; break;
                case AL: subMode = ALPHA; break;
                case ML: subMode = MIXED; break;
                case PL: subMode = PUNCTUATION; break;
                case AS:
                    beforeShift = subMode;
                    subMode = ALPHA;
                    shiftPending = true;
                    break;
                case PS: {
                    // A shift in the second half that only pads the codeword
                    // before a byte shift.
                    const bool padsByteShift = half == 1 && pos + 1 < static_cast<int32_t>(codewords.size()) &&
                                               codewords[static_cast<size_t>(pos) + 1] == SHIFT_TO_BYTE;
                    if (padsByteShift) break;
                    beforeShift = subMode;
                    subMode = PUNCTUATION;
                    shiftPending = true;
                    break;
                }
                default:
                    put(entry);
                    if (shiftPending) {
                        shiftPending = false;
                        subMode = beforeShift;
                    }
                    break;
            }
        }
        ++pos;
    }
}

void TVekPDF417CWDecoder::decodeBytes(const TVectorInteger& codewords, int32_t& pos, int32_t limit) {
    const int32_t latch = codewords[static_cast<size_t>(pos)];
    ++pos;
    std::array<int32_t, 5> group{};
    size_t groupSize = 0;
    while (isValidIndex(codewords, pos, limit)) {
        const int32_t c = codewords[static_cast<size_t>(pos)];
        if (isStopCodeword(c)) break;
        if (c >= 900 || c < 0) throw TVekInvalidCWException("Codeword " + intToStr(c) + " found in Byte mode");
        group[groupSize++] = c;
        if (groupSize == group.size()) {
            const bool atEnd = !isValidIndex(codewords, pos + 1, limit);
            const bool last = atEnd || isStopCodeword(codewords[static_cast<size_t>(pos) + 1]);
            // Under 901 a last group of five is five single bytes, unless
            // the run goes on after an ECI designator or a codeword above
            // 255 shows it packs six (both only where runs are open).
            const bool packed =
                openByteRuns && std::any_of(group.begin(), group.end(), [](int32_t g) { return g > 255; });
            const bool sixBytes = !last || latch == LATCH_TO_BYTE6 || (atEnd && runGoesOn) || packed;
            if (!sixBytes) {
                ++pos;
                break;
            }
            int64_t value = 0;
            for (int32_t g : group) value = value * 900 + g;
            for (int shift = 40; shift >= 0; shift -= 8) put(static_cast<int32_t>((value >> shift) & 0xFF));
            groupSize = 0;
            if (last) {
                ++pos;
                break;
            }
        }
        ++pos;
    }
    if (!isValidIndex(codewords, pos, limit)) endLatch = latch;
    if (groupSize == 0 && latch != LATCH_TO_BYTE6 && !openByteRuns) {
        throw TVekInvalidCWException("Latch should be LATCH_TO_BYTE6");
    }
    if (groupSize != 0 && latch != LATCH_TO_BYTE) throw TVekInvalidCWException("Latch should be LATCH_TO_BYTE");
    for (size_t i = 0; i < groupSize; ++i) put(group[i]);
}

void TVekPDF417CWDecoder::decodeNumeric(const TVectorInteger& codewords, int32_t& pos, int32_t limit) {
    TVekBase900Decimal value;
    int32_t count = 0;
    const auto putGroup = [&] {
        for (char digit : value.digitsAfterFirst()) put(digit);
        value.clear();
        count = 0;
    };
    while (isValidIndex(codewords, pos, limit)) {
        const int32_t c = codewords[static_cast<size_t>(pos)];
        if (isStopCodeword(c)) break;
        if (c >= 900 || c < 0) throw TVekInvalidCWException("Codeword " + intToStr(c) + " found in Numeric mode");
        value.append(c);
        if (++count == 15) putGroup();
        ++pos;
    }
    if (count > 0) putGroup();
}

TVekBase900Decimal TVekPDF417CWDecoder::decodeNumericField(const TVectorInteger& codewords, int32_t& pos,
                                                           int32_t limit) const {
    TVekBase900Decimal value;
    while (isValidIndex(codewords, pos, limit)) {
        const int32_t c = codewords[static_cast<size_t>(pos)];
        if (c == MACRO_TERMINATOR || c == MACRO_OPTIONAL_FIELD) break;
        if (c >= 900 || c < 0) throw TVekInvalidCWException("Codeword " + intToStr(c) + " found in Macro field");
        value.append(c);
        ++pos;
    }
    return value;
}

void TVekPDF417CWDecoder::decodeMacroControlBlock(const TVectorInteger& codewords, int32_t& pos, int32_t limit) {
    ++pos;
    if (!isValidIndex(codewords, pos + 1, limit)) throw TVekInvalidCWException("Macro segment index missing");
    int32_t segmentEnd = pos + 2;
    const TVekBase900Decimal index = decodeNumericField(codewords, pos, segmentEnd);
    macroStringFields[MACRO_SEGMENT_INDEX] = index.digitsAfterFirst();
    segmentIndex = index.numberAfterFirst();
    pos = segmentEnd;

    std::string& fileId = macroStringFields[MACRO_FILE_ID];
    fileId.clear();
    while (isValidIndex(codewords, pos, limit)) {
        const int32_t c = codewords[static_cast<size_t>(pos)];
        if (c == MACRO_OPTIONAL_FIELD || c == MACRO_TERMINATOR) break;
        if (!fileId.empty()) fileId += '-';
        fileId += intToStr(c);
        ++pos;
    }
}

void TVekPDF417CWDecoder::decodeOptionalField(const TVectorInteger& codewords, int32_t& pos, int32_t limit) {
    ++pos;
    if (!isValidIndex(codewords, pos, limit)) throw TVekInvalidCWException("Macro optional field designator missing");
    const int32_t designator = codewords[static_cast<size_t>(pos)];
    if (designator < 0 || designator > 6) {
        throw TVekInvalidCWException("Invalid Macro optional field designator " + intToStr(designator));
    }
    ++pos;
    const int index = designator + 2;
    switch (index) {
        case MACRO_SEGMENT_COUNT:
        case MACRO_TIME_STAMP:
        case MACRO_FILE_SIZE:
        case MACRO_CHECKSUM: {
            const TVekBase900Decimal number = decodeNumericField(codewords, pos, limit);
            macroStringFields[static_cast<size_t>(index)] = number.digitsAfterFirst();
            if (index == MACRO_SEGMENT_COUNT) segmentCount = number.numberAfterFirst();
            break;
        }
        default: {
            // The text goes through the message buffer and is taken out again.
            const size_t start = outputCount;
            decodeText(codewords, pos, limit);
            const TVectorInteger text(output.begin() + static_cast<std::ptrdiff_t>(start),
                                      output.begin() + static_cast<std::ptrdiff_t>(outputCount));
            outputCount = start;
            macroStringFields[static_cast<size_t>(index)] = bytesToString(text);
            break;
        }
    }
}

const std::string& TVekPDF417CWDecoder::getMacroPDFStringField(int index) const {
    if (index < 0 || index >= MACRO_FIELD_COUNT) return EMPTY_TEXT;
    return macroStringFields[static_cast<size_t>(index)];
}

const TVectorInteger& TVekPDF417CWDecoder::getMacroPDFByteField(int index) const {
    if (index < 0 || index >= MACRO_FIELD_COUNT) return EMPTY_ARRAY;
    return macroByteFields[static_cast<size_t>(index)];
}

void TVekPDF417CWDecoder::test() {
    const TVectorInteger bytes = {10, 901, 82, 399, 748, 339, 234, 49, 50, 51, 738, 816};
    const TVectorInteger numeric = {22,  902, 868, 766, 590, 147, 477, 220, 528, 74,  552, 194,
                                    800, 556, 438, 134, 634, 15,  369, 753, 194, 900, 786, 591};
    const TVectorInteger text = {61,  1,   63,  121, 211, 117, 1,   228, 33,  216, 117, 117, 627, 237, 627,
                                 118, 32,  92,  92,  123, 843, 607, 607, 813, 830, 814, 835, 830, 829, 835,
                                 830, 817, 830, 31,  211, 211, 830, 110, 230, 118, 87,  607, 603, 230, 857,
                                 813, 607, 543, 859, 893, 894, 830, 230, 213, 607, 830, 913, 65,  1};
    TVectorInteger result;
    decode(bytes, result);
    decode(numeric, result);
    decode(text, result);
}

}  // namespace orvel
