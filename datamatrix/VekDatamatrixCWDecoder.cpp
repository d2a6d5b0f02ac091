#include "datamatrix/VekDatamatrixCWDecoder.h"

#include "datamatrix/VekDecodeCWException.h"

namespace orvel {

namespace {

using Kind = TVekDatamatrixControl::TKind;

constexpr int32_t CW_PAD = 129;
constexpr int32_t CW_DIGIT_PAIRS = 130;
constexpr int32_t CW_LATCH_C40 = 230;
constexpr int32_t CW_LATCH_BASE256 = 231;
constexpr int32_t CW_FNC1 = 232;
constexpr int32_t CW_STRUCTURED_APPEND = 233;
constexpr int32_t CW_READER_PROGRAMMING = 234;
constexpr int32_t CW_UPPER_SHIFT = 235;
constexpr int32_t CW_MACRO05 = 236;
constexpr int32_t CW_MACRO06 = 237;
constexpr int32_t CW_LATCH_X12 = 238;
constexpr int32_t CW_LATCH_TEXT = 239;
constexpr int32_t CW_LATCH_EDIFACT = 240;
constexpr int32_t CW_ECI = 241;
constexpr int32_t CW_UNLATCH = 254;

// C40 shift values: Shift 1 (controls), Shift 2 (punctuation, FNC1, Upper
// Shift), Shift 3 (lower case in C40, upper case in Text).
constexpr int32_t C40_SHIFT1 = 0;
constexpr int32_t C40_SHIFT3 = 2;
constexpr int32_t C40_SHIFT2_UPPER = 30;

// X12 values: CR, '*', '>', space, digits, capitals.
constexpr std::array<char, 4> X12_SPECIALS = {'\r', '*', '>', ' '};
constexpr int32_t X12_DIGITS = 4;
constexpr int32_t X12_CAPITALS = 14;
constexpr int32_t X12_VALUES = 40;

constexpr int32_t EDIFACT_UNLATCH = 0x1F;
constexpr int32_t EDIFACT_VALUES_PER_TRIPLE = 4;

int32_t x12Byte(int32_t value) {
    if (value < 0 || value >= X12_VALUES) throw TVekDecodeCWException("Invalid X12 value " + intToStr(value));
    if (value < X12_DIGITS) return X12_SPECIALS[static_cast<size_t>(value)];
    if (value < X12_CAPITALS) return '0' + value - X12_DIGITS;
    return 'A' + value - X12_CAPITALS;
}

// EDIFACT holds the bytes 32 ... 94 by their low six bits; the values below
// 32 stand for 64 ... 94.
int32_t edifactByte(int32_t value) { return (value & 0x20) != 0 ? value : value | 0x40; }

bool endsAsciiRun(int32_t c) {
    return c == CW_PAD || c == CW_LATCH_C40 || c == CW_LATCH_BASE256 || c == CW_LATCH_X12 || c == CW_LATCH_TEXT ||
           c == CW_LATCH_EDIFACT || c == CW_UNLATCH;
}

// Text mode is C40 with the cases of the letters swapped; an Upper Shift
// keeps that swap (Text "a" shifted is 0xE1, C40 "A" shifted 0xC1).
int32_t swapTextCase(int32_t code) {
    const int32_t low = code & 0x7F;
    if ((low >= 'A' && low <= 'Z') || (low >= 'a' && low <= 'z')) return code ^ 0x20;
    return code;
}

// The data codewords of the decoder's self-test symbol, which reads
// "VekBarcode Orvel self-test 0123456789" (ASCII, Text, digit pairs, pads).
constexpr std::array<int32_t, 62> selfTestCodewords = {
    87, 239, 116, 67, 14, 208, 104, 114, 112, 251, 98, 188, 116, 108, 202, 234,
    118, 245, 209, 49, 254, 117, 33, 131, 153, 175, 197, 219, 129, 45, 195, 90,
    240, 136, 31, 181, 76, 226, 121, 17, 167, 62, 212, 107, 3, 153, 48, 198,
    93, 243, 139, 34, 184, 79, 229, 124, 20, 170, 65, 215, 110, 6,
};

}  // namespace

TVekDatamatrixCWDecoder::TVekDatamatrixCWDecoder() { buildC40Table(); }

// Exactly the C40 encodation of ECC 200: the basic set (space, digits,
// capitals), the three shift sets and Upper Shift for bytes above 127.
void TVekDatamatrixCWDecoder::buildC40Table() {
    for (int32_t c = 0; c < 256; ++c) {
        TC40Sequence sequence = {-1, -1, -1, -1};
        int32_t length = 0;
        int32_t base = c;
        if (c >= 128) {
            sequence[length++] = 1;
            sequence[length++] = C40_SHIFT2_UPPER;
            base = c - 128;
        }
        if (base == ' ') {
            sequence[length++] = 3;
        } else if (base >= '0' && base <= '9') {
            sequence[length++] = base - '0' + 4;
        } else if (base >= 'A' && base <= 'Z') {
            sequence[length++] = base - 'A' + 14;
        } else if (base <= 31) {
            sequence[length++] = C40_SHIFT1;
            sequence[length++] = base;
        } else if (base >= 33 && base <= 47) {
            sequence[length++] = 1;
            sequence[length++] = base - 33;
        } else if (base >= 58 && base <= 64) {
            sequence[length++] = 1;
            sequence[length++] = base - 43;
        } else if (base >= 91 && base <= 95) {
            sequence[length++] = 1;
            sequence[length++] = base - 69;
        } else {
            sequence[length++] = C40_SHIFT3;
            sequence[length++] = base - 96;
        }
        c40Table[static_cast<size_t>(c)] = sequence;
        c40Lengths[static_cast<size_t>(c)] = length;
    }
    byteOfValue.fill(-1);
    byteOfUpper.fill(-1);
    for (auto& row : byteOfShifted) row.fill(-1);
    for (auto& row : byteOfUpperShifted) row.fill(-1);
    // From the top down, so that the first byte of a sequence is the one kept.
    for (int32_t c = 255; c >= 0; --c) {
        const TC40Sequence& q = c40Table[static_cast<size_t>(c)];
        switch (c40Lengths[static_cast<size_t>(c)]) {
            case 1: byteOfValue[q[0]] = c; break;
            case 2: byteOfShifted[q[0]][q[1]] = c; break;
            case 3: byteOfUpper[q[2]] = c; break;
            default: byteOfUpperShifted[q[2]][q[3]] = c; break;
        }
    }
}

// The byte whose C40 sequence of `length` values is cvalues[index ...], -1
// for none; the same answer as searching c40Table from byte 0 up.
int32_t TVekDatamatrixCWDecoder::lookupC40(const TVectorInteger& cvalues, int32_t index, int32_t length) const {
    auto value = [&](int32_t k) { return cvalues[index + k]; };
    auto isValue = [&](int32_t k) { return value(k) >= 0 && value(k) < 40; };
    auto isShift = [&](int32_t k) { return value(k) >= 0 && value(k) <= 2; };
    auto isUpper = [&] { return value(0) == 1 && value(1) == C40_SHIFT2_UPPER; };
    switch (length) {
        case 1: return isValue(0) ? byteOfValue[value(0)] : -1;
        case 2: return isShift(0) && isValue(1) ? byteOfShifted[value(0)][value(1)] : -1;
        case 3: return isUpper() && isValue(2) ? byteOfUpper[value(2)] : -1;
        case 4: return isUpper() && isShift(2) && isValue(3) ? byteOfUpperShifted[value(2)][value(3)] : -1;
        default: return -1;
    }
}

void TVekDatamatrixCWDecoder::put(TVectorString& texts, TVectorInteger& values, int32_t& out, int32_t value,
                                  const std::string& text) {
    if (out < 0 || static_cast<size_t>(out) >= values.size() || static_cast<size_t>(out) >= texts.size()) {
        throw TVekDecodeCWException("Output arrays too small");
    }
    values[static_cast<size_t>(out)] = value;
    texts[static_cast<size_t>(out)] = text;
    ++out;
}

// A control entry: -1 among the values, its label among the texts, and the
// entry itself among the controls.
void TVekDatamatrixCWDecoder::putControl(TVectorString& texts, TVectorInteger& values, int32_t& out,
                                         TVekDatamatrixControl control) {
    control.output = out;
    put(texts, values, out, -1, control.label());
    controls_.push_back(control);
}

void TVekDatamatrixCWDecoder::decode(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts,
                                     TVectorInteger& values, int32_t& count) {
    controls_.clear();
    for (int32_t c : codewords) {
        if (c < 0 || c > 255) throw TVekDecodeCWException("Invalid codeword");
    }
    if (pos < 0 || count < 0) throw TVekDecodeCWException("Invalid decoding position");
    const int32_t n = static_cast<int32_t>(codewords.size());
    int32_t p = pos;
    // Every latch is made from ASCII and every unlatch returns there.
    int32_t mode = MODE_ASCII;
    while (p < n) {
        if (mode == MODE_X12) {
            if (codewords[p] == CW_UNLATCH) {
                mode = MODE_ASCII;
                ++p;
                continue;
            }
            pos = p;
            decodeX12(pos, codewords, texts, values, count);
            p = pos;
            if (p >= n - 1) mode = MODE_ASCII;
            continue;
        }
        if (mode == MODE_C40 || mode == MODE_TEXT) {
            // Inside C40 and Text every pair is data; only an unlatch ends the
            // segment, or the end of the codewords (a last single codeword is
            // read in ASCII).
            if (codewords[p] == CW_UNLATCH) {
                mode = MODE_ASCII;
                ++p;
                continue;
            }
            pos = p;
            decodeC40(pos, codewords, mode == MODE_TEXT, texts, values, count);
            p = pos;
            if (p >= n - 1) mode = MODE_ASCII;
            continue;
        }
        if (codewords[p] == CW_PAD) {
            ++p;
            while (p < n && random253Inverse(codewords[p], p + 1) == CW_PAD) ++p;
            continue;
        }
        switch (codewords[p]) {
            case CW_LATCH_C40:
                mode = MODE_C40;
                ++p;
                continue;
            case CW_LATCH_TEXT:
                mode = MODE_TEXT;
                ++p;
                continue;
            case CW_LATCH_BASE256:
                ++p;
                pos = p;
                decodeBase256(pos, codewords, texts, values, count);
                p = pos;
                continue;
            case CW_LATCH_X12:
                if (!extended_) throw TVekDecodeCWException("ANSI latch not supported");
                mode = MODE_X12;
                ++p;
                continue;
            case CW_LATCH_EDIFACT:
                if (!extended_) throw TVekDecodeCWException("EDIFACT latch not supported");
                ++p;
                pos = p;
                decodeEdifact(pos, codewords, texts, values, count);
                p = pos;
                continue;
            case CW_UNLATCH:  // already in ASCII
                ++p;
                continue;
            default:
                break;
        }
        pos = p;
        decodeAscii(pos, codewords, texts, values, count);
        p = pos;
    }
    pos = p;
}

int32_t TVekDatamatrixCWDecoder::controlCodeword(const TVectorInteger& codewords, int32_t p,
                                                 const char* missingMessage) {
    if (p >= static_cast<int32_t>(codewords.size())) throw TVekDecodeCWException(missingMessage);
    return codewords[p];
}

// Structured Append: the symbol's sequence indicator (position - 1 in the
// high nibble, 17 - symbol count in the low one) and the two file
// identification codewords. p is on the first of them and left after them.
TVekDatamatrixControl::TAppend TVekDatamatrixCWDecoder::readStructuredAppend(const TVectorInteger& codewords,
                                                                             int32_t& p) {
    const int32_t sequence = controlCodeword(codewords, p, "Counter after STRUCTURED_APPEND expected");
    const int32_t file1 = controlCodeword(codewords, p + 1, "Codewords after STRUCTURED_APPEND expected");
    const int32_t file2 = controlCodeword(codewords, p + 2, "Codewords after STRUCTURED_APPEND expected");
    p += 3;
    return {(sequence >> 4) + 1, 17 - (sequence & 0x0F), file1, file2};
}

// ECI: one to three codewords give the assignment number 0 ... 999999.
int32_t TVekDatamatrixCWDecoder::readEci(const TVectorInteger& codewords, int32_t& p) {
    const int32_t c1 = controlCodeword(codewords, p, "Counter after ECI expected");
    if (c1 <= 127) {
        p += 1;
        return c1 - 1;
    }
    if (c1 <= 191) {
        const int32_t c2 = controlCodeword(codewords, p + 1, "Codewords after ECI expected");
        p += 2;
        return (c1 - 128) * 254 + (c2 - 1) + 127;
    }
    const int32_t c2 = controlCodeword(codewords, p + 1, "Codewords after ECI expected");
    const int32_t c3 = controlCodeword(codewords, p + 2, "Codewords after ECI expected");
    p += 3;
    return (c1 - 192) * 64516 + (c2 - 1) * 254 + (c3 - 1) + 16383;
}

void TVekDatamatrixCWDecoder::decodeAscii(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts,
                                          TVectorInteger& values, int32_t& count) {
    const int32_t n = static_cast<int32_t>(codewords.size());
    int32_t p = pos;
    int32_t out = count;
    while (p < n) {
        const int32_t c = codewords[p];
        if (endsAsciiRun(c)) break;
        switch (c) {
            case CW_READER_PROGRAMMING:
                putControl(texts, values, out, {.kind = Kind::readerProgramming});
                ++p;
                break;
            case CW_MACRO05:
                putControl(texts, values, out, {.kind = Kind::macro05});
                ++p;
                break;
            case CW_MACRO06:
                putControl(texts, values, out, {.kind = Kind::macro06});
                ++p;
                break;
            case CW_FNC1:
                putControl(texts, values, out, {.kind = Kind::fnc1});
                ++p;
                break;
            case CW_STRUCTURED_APPEND: {
                ++p;
                const TVekDatamatrixControl::TAppend append = readStructuredAppend(codewords, p);
                putControl(texts, values, out, {.kind = Kind::structuredAppend, .append = append});
                break;
            }
            case CW_ECI: {
                ++p;
                const int32_t eci = readEci(codewords, p);
                putControl(texts, values, out, {.kind = Kind::eci, .eci = eci});
                break;
            }
            case CW_UPPER_SHIFT: {
                const int32_t d = controlCodeword(codewords, p + 1, "Codeword after SHIFT expected");
                put(texts, values, out, d + 127, "");
                p += 2;
                break;
            }
            default:
                if (c < CW_DIGIT_PAIRS) {
                    put(texts, values, out, c - 1, "");
                } else {
                    put(texts, values, out, '0' + (c - CW_DIGIT_PAIRS) / 10, "");
                    put(texts, values, out, '0' + (c - CW_DIGIT_PAIRS) % 10, "");
                }
                ++p;
                break;
        }
    }
    pos = p;
    count = out;
}

void TVekDatamatrixCWDecoder::decodeC40(int32_t& pos, const TVectorInteger& codewords, bool textMode,
                                        TVectorString& texts, TVectorInteger& values, int32_t& count) {
    const int32_t n = static_cast<int32_t>(codewords.size());
    int32_t p = pos;
    int32_t out = count;

    // 1. The segment's C40 values, three per codeword pair.
    TVectorInteger cvalues;
    cvalues.reserve(static_cast<size_t>(n > p ? (n - p) * 3 / 2 + 3 : 3));
    bool endsWithPadShift = false;
    while (p < n - 1 && codewords[p] != CW_UNLATCH) {
        const int32_t v = codewords[p] * 256 + codewords[p + 1] - 1;
        cvalues.push_back(v / 1600);
        cvalues.push_back((v % 1600) / 40);
        cvalues.push_back(v % 40);
        p += 2;
        // A segment whose values do not fill its last pair ends with a
        // Shift 1 as padding; anywhere else a third Shift 1 is data (CR LF
        // is Shift 1, 13, Shift 1, 10 and its shifts fall on any place).
        const bool lastPair = p >= n - 1 || codewords[p] == CW_UNLATCH;
        endsWithPadShift = lastPair && v % 40 == C40_SHIFT1;
    }

    // 2. The characters. A Shift 1 left alone at the very end is that padding;
    // any other shift left without its character (a shift pending at the
    // unlatch) is refused: the codewords after the unlatch are ASCII and do
    // not complete it.
    const int32_t valueCount = static_cast<int32_t>(cvalues.size());
    int32_t index = 0;
    while (index < valueCount) {
        if (index == valueCount - 1 && endsWithPadShift) break;
        const int32_t start = index;
        const int32_t ch = getNextCharFromC40(cvalues, index);
        if (ch == -1) {
            if (isPendingShift(cvalues, start)) throw TVekDecodeCWException("C40 shift pending at end of segment");
            throw TVekDecodeCWException("Could not decode C40 value " + intToStr(cvalues[start]));
        }
        if (ch == C40_FNC1 && extended_) putControl(texts, values, out, {.kind = Kind::fnc1});
        else if (ch == C40_FNC1) put(texts, values, out, CW_FNC1, "");
        else put(texts, values, out, textMode ? swapTextCase(ch) : ch, "");
    }
    pos = p;
    count = out;
}

void TVekDatamatrixCWDecoder::decodeX12(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts,
                                        TVectorInteger& values, int32_t& count) {
    const int32_t n = static_cast<int32_t>(codewords.size());
    int32_t p = pos;
    int32_t out = count;
    while (p < n - 1 && codewords[p] != CW_UNLATCH) {
        const int32_t v = codewords[p] * 256 + codewords[p + 1] - 1;
        put(texts, values, out, x12Byte(v / 1600), "");
        put(texts, values, out, x12Byte((v % 1600) / 40), "");
        put(texts, values, out, x12Byte(v % 40), "");
        p += 2;
    }
    pos = p;
    count = out;
}

void TVekDatamatrixCWDecoder::decodeEdifact(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts,
                                            TVectorInteger& values, int32_t& count) {
    const int32_t n = static_cast<int32_t>(codewords.size());
    int32_t p = pos;
    int32_t out = count;
    while (n - p >= 3) {
        const int32_t bits = codewords[p] << 16 | codewords[p + 1] << 8 | codewords[p + 2];
        for (int32_t k = 0; k < EDIFACT_VALUES_PER_TRIPLE; ++k) {
            const int32_t value = (bits >> (18 - 6 * k)) & 0x3F;
            if (value == EDIFACT_UNLATCH) {
                // The codewords the values so far and the unlatch touch.
                pos = p + (6 * (k + 1) + 7) / 8;
                count = out;
                return;
            }
            put(texts, values, out, edifactByte(value), "");
        }
        p += 3;
    }
    pos = p;
    count = out;
}

int32_t TVekDatamatrixCWDecoder::getNextCharFromC40(const TVectorInteger& cvalues, int32_t& index) const {
    const int32_t count = static_cast<int32_t>(cvalues.size());
    if (index < 0 || index >= count) return -1;
    int32_t length = 1;
    if (cvalues[index] <= 2 && index + 1 < count) {
        length = 2;
        if (cvalues[index] == 1 && cvalues[index + 1] == 27) {
            index += 2;
            return C40_FNC1;
        }
    }
    if (cvalues[index] == 1 && index + 2 < count && cvalues[index + 1] == C40_SHIFT2_UPPER) {
        length = 3;
        if (index + 3 < count && cvalues[index + 2] <= 2) length = 4;
    }
    const int32_t byte = lookupC40(cvalues, index, length);
    if (byte >= 0) index += length;
    return byte;
}

// True when the values from index to the end are the beginning of a
// character that the segment ends before completing.
bool TVekDatamatrixCWDecoder::isPendingShift(const TVectorInteger& cvalues, int32_t index) const {
    const int32_t remaining = static_cast<int32_t>(cvalues.size()) - index;
    if (remaining <= 0 || remaining >= 4) return false;
    if (remaining == 1 && cvalues[index] == 1) return true;  // FNC1 or Upper Shift begun
    for (int32_t byte = 0; byte < 256; ++byte) {
        const TC40Sequence& sequence = c40Table[static_cast<size_t>(byte)];
        if (c40Lengths[static_cast<size_t>(byte)] <= remaining) continue;
        bool prefix = true;
        for (int32_t k = 0; k < remaining && prefix; ++k) prefix = sequence[k] == cvalues[index + k];
        if (prefix) return true;
    }
    return false;
}

void TVekDatamatrixCWDecoder::decodeBase256(int32_t& pos, const TVectorInteger& codewords, TVectorString& texts,
                                            TVectorInteger& values, int32_t& count) {
    const int32_t n = static_cast<int32_t>(codewords.size());
    int32_t p = pos;
    int32_t out = count;
    if (p >= n) throw TVekDecodeCWException("Length after BASE256 expected");
    const int32_t d1 = random255Inverse(codewords[p], p + 1);
    int32_t length = d1;
    if (d1 > 249) {
        ++p;
        if (p >= n) throw TVekDecodeCWException("Length after BASE256 expected");
        length = (d1 - 249) * 250 + random255Inverse(codewords[p], p + 1);
    }
    ++p;
    // Length 0 is the field that runs to the end of the symbol (encoders
    // write it when the bytes fill the symbol); at the very end it is empty.
    if (length == 0) length = n - p;
    for (int32_t k = 0; k < length && p < n; ++k, ++p) {
        put(texts, values, out, random255Inverse(codewords[p], p + 1), "");
    }
    pos = p;
    count = out;
}

int32_t TVekDatamatrixCWDecoder::random255Inverse(int32_t value, int32_t position) {
    const int32_t r = (149 * position) % 255 + 1;
    const int32_t d = value - r;
    return d >= 0 ? d : d + 256;
}

int32_t TVekDatamatrixCWDecoder::random253Inverse(int32_t value, int32_t position) {
    const int32_t r = (149 * position) % 253 + 1;
    const int32_t d = value - r;
    return d > 0 ? d : d + 254;
}

bool TVekDatamatrixCWDecoder::test() {
    const TVectorInteger codewords(selfTestCodewords.begin(), selfTestCodewords.end());
    TVectorString texts(codewords.size() * 2);
    TVectorInteger values(codewords.size() * 2);
    int32_t pos = 0;
    int32_t count = 0;
    try {
        decode(pos, codewords, texts, values, count);
    } catch (const TVekDecodeCWException&) {
        return false;
    }
    return count > 0;
}

}  // namespace orvel
