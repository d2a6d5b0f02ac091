#include "aztec/VekAztecDecoder.h"

#include <algorithm>
#include <array>

#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekReedSolomonAZ.h"

namespace orvel {

namespace {

constexpr int32_t NO_CHAR = -1;
constexpr int32_t CHARACTER_MODES = 5;  // every mode but BINARY
constexpr int32_t CODES = 32;

using TCharacterColumn = std::array<int16_t, CODES>;

// The character each code stands for, per mode (ISO/IEC 24778, Table 2); -1
// for codes that are latches, shifts or the flag. Punctuation codes 2 ... 5
// stand for two characters: the second one is in AZTEC_SECOND_CHARACTERS.
constexpr std::array<TCharacterColumn, CHARACTER_MODES> AZTEC_CHARACTERS = {{
    // upper
    {-1,  ' ', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N',
     'O', 'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z', -1,  -1,  -1,  -1},
    // lower
    {-1,  ' ', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n',
     'o', 'p', 'q', 'r', 's', 't', 'u', 'v', 'w', 'x', 'y', 'z', -1,  -1,  -1,  -1},
    // mixed: control codes, then @ \ ^ _ ` | ~ DEL
    {-1, ' ', 1,   2,   3,   4,   5,   6,    7,   8,   9,   10,  11,  12,  13,  27,
     28, 29,  30,  31,  '@', '\\', '^', '_', '`', '|', '~', 127, -1,  -1,  -1,  -1},
    // punctuation
    {-1,  13,  13,  '.', ',', ':', '!', '"', '#', '$', '%', '&', '\'', '(', ')', '*',
     '+', ',', '-', '.', '/', ':', ';', '<', '=', '>', '?', '[', ']',  '{', '}', -1},
    // digit (4-bit codes 0 ... 15)
    {-1, ' ', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', ',', '.', -1, -1,
     -1, -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1, -1},
}};

// Second characters of the punctuation pairs CR LF, ". ", ", " and ": ".
constexpr TCharacterColumn AZTEC_SECOND_CHARACTERS = {
    -1, -1, 10, ' ', ' ', ' ', -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1,  -1,  -1,  -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

enum class TAction : uint8_t {
    NONE,
    PUNCT_SHIFT,
    UPPER_SHIFT,
    BINARY_SHIFT,
    UPPER_LATCH,
    LOWER_LATCH,
    MIXED_LATCH,
    PUNCT_LATCH,
    DIGIT_LATCH,
    FLAG,
};

struct TActionEntry {
    TVekAztecMode mode;
    int32_t code;
    TAction action;
};

// The latch, shift and flag codes of each mode.
constexpr std::array<TActionEntry, 19> AZTEC_ACTION_CODES = {{
    {TVekAztecMode::UPPER, 0, TAction::PUNCT_SHIFT},
    {TVekAztecMode::UPPER, 28, TAction::LOWER_LATCH},
    {TVekAztecMode::UPPER, 29, TAction::MIXED_LATCH},
    {TVekAztecMode::UPPER, 30, TAction::DIGIT_LATCH},
    {TVekAztecMode::UPPER, 31, TAction::BINARY_SHIFT},
    {TVekAztecMode::LOWER, 0, TAction::PUNCT_SHIFT},
    {TVekAztecMode::LOWER, 28, TAction::UPPER_SHIFT},
    {TVekAztecMode::LOWER, 29, TAction::MIXED_LATCH},
    {TVekAztecMode::LOWER, 30, TAction::DIGIT_LATCH},
    {TVekAztecMode::LOWER, 31, TAction::BINARY_SHIFT},
    {TVekAztecMode::MIXED, 0, TAction::PUNCT_SHIFT},
    {TVekAztecMode::MIXED, 28, TAction::LOWER_LATCH},
    {TVekAztecMode::MIXED, 29, TAction::UPPER_LATCH},
    {TVekAztecMode::MIXED, 30, TAction::PUNCT_LATCH},
    {TVekAztecMode::MIXED, 31, TAction::BINARY_SHIFT},
    {TVekAztecMode::PUNCT, 0, TAction::FLAG},
    {TVekAztecMode::PUNCT, 31, TAction::UPPER_LATCH},
    {TVekAztecMode::DIGIT, 0, TAction::PUNCT_SHIFT},
    {TVekAztecMode::DIGIT, 14, TAction::UPPER_LATCH},
}};

constexpr std::array<std::array<TAction, CODES>, CHARACTER_MODES> buildActionTable() {
    std::array<std::array<TAction, CODES>, CHARACTER_MODES> table{};
    for (const auto& entry : AZTEC_ACTION_CODES)
        table[static_cast<size_t>(entry.mode)][static_cast<size_t>(entry.code)] = entry.action;
    table[static_cast<size_t>(TVekAztecMode::DIGIT)][15] = TAction::UPPER_SHIFT;
    return table;
}

constexpr auto AZTEC_ACTIONS = buildActionTable();

constexpr int32_t STRUCTURED_APPEND_START = (29 << 5) | 29;  // M/L U/L

int32_t fieldSize(int32_t codewordSize) { return (1 << codewordSize) - 1; }

}  // namespace

TVekAztecData TVekAztecDecoder::decode(int32_t codewordSize, int32_t configuration, const TVekAzBitString& bits,
                                       int32_t dataCodewords) {
    if (configuration < 0 || configuration >= AZ_CONF_ROWS)
        throw TVekAZReedException("Wrong number of error correction codewords");
    const TVectorInteger polynomial = aztecFieldPolynomial(codewordSize);
    const int32_t n = fieldSize(codewordSize);
    const int32_t total = AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_CODEWORDS];

    // The first word read is the highest-degree coefficient. When the layers
    // hold more bits than whole words, the spare bits are the outermost ones:
    // the codewords are aligned to end at the innermost module, next to the core.
    TVekAzBitString reader = bits;
    const int32_t count = reader.length() / codewordSize;
    reader.skipBits(reader.length() % codewordSize);
    if (count > n || total > n) throw TVekAZReedException("Cannot solve RS errors");
    // Only the words read make the block: a correction above them is none.
    TVectorInteger received(static_cast<size_t>(count), 0);
    for (int32_t i = 0; i < count; ++i) received[static_cast<size_t>(count - 1 - i)] = reader.readBits(codewordSize);

    const int32_t checkWords = total - dataCodewords;
    if (checkWords < 0 || dataCodewords < 0) throw TVekAZReedException("Wrong number of error correction codewords");
    const TVekReedSolomonAZ code(codewordSize, checkWords, n - checkWords, polynomial);
    TVectorInteger corrected;
    code.decode(received, corrected);

    TVectorInteger dataWords(static_cast<size_t>(dataCodewords));
    for (int32_t i = 0; i < dataCodewords; ++i)
        dataWords[static_cast<size_t>(i)] = corrected[static_cast<size_t>(total - 1 - i)];
    TVekAzBitString dataBits = unstuff(codewordSize, dataWords);

    TVekAztecData data;
    data.setValue(decodeCharacters(codewordSize, dataBits, TVekAztecMode::UPPER));
    data.codewordSize = codewordSize;
    return data;
}

TVekAzBitString TVekAztecDecoder::unstuff(int32_t codewordSize, const TVectorInteger& words) const {
    const int32_t allOnes = fieldSize(codewordSize);
    TVekAzBitString bits;
    for (int32_t word : words) {
        // The encoder adds a complementing last bit to a word whose first w - 1
        // bits are all equal, so no codeword is all zeros or all ones.
        if (word == 1) {
            bits.appendBits(0u, codewordSize - 1);
        } else if (word == allOnes - 1) {
            bits.appendBits(static_cast<uint32_t>(allOnes) >> 1, codewordSize - 1);
        } else {
            bits.appendBits(static_cast<uint32_t>(word), codewordSize);
        }
    }
    return bits;
}

TVectorInteger TVekAztecDecoder::decodeCharacters(int32_t codewordSize, TVekAzBitString& bits,
                                                  TVekAztecMode startMode) {
    appendPosition = 0;
    appendTotal = 0;
    appendId.clear();
    flags.clear();
    const bool appendHeader = startMode == TVekAztecMode::UPPER && bits.length() >= 10 &&
                              bits.peekBits(10) == STRUCTURED_APPEND_START;
    if (appendHeader) bits.skipBits(10);

    TVectorInteger values;
    TVekAztecMode mode = startMode;
    // The mode to go back to after the one character of a shift, and after a
    // binary run.
    bool shifted = false;
    TVekAztecMode shiftReturn = startMode;
    TVekAztecMode binaryReturn = startMode;
    auto shift = [&](TVekAztecMode target) {
        shiftReturn = mode;
        shifted = true;
        mode = target;
    };
    auto endShift = [&]() {
        if (shifted) mode = shiftReturn;
        shifted = false;
    };
    // A latch ends any shift: the new mode stays.
    auto latch = [&](TVekAztecMode target) {
        mode = target;
        shifted = false;
    };

    while (!bits.isEmpty()) {
        // The padding of the last codeword is all ones.
        if (bits.length() < codewordSize && bits.allOnes()) break;
        if (mode == TVekAztecMode::BINARY) {
            const TVectorInteger bytes = decodeBinary(bits);
            values.insert(values.end(), bytes.begin(), bytes.end());
            mode = binaryReturn;
            continue;
        }
        const size_t column = static_cast<size_t>(mode);
        const int32_t size = mode == TVekAztecMode::DIGIT ? 4 : 5;
        const auto code = static_cast<size_t>(bits.readBits(size));

        switch (AZTEC_ACTIONS[column][code]) {
            case TAction::NONE: {
                const int32_t first = AZTEC_CHARACTERS[column][code];
                if (first != NO_CHAR) values.push_back(first);
                if (mode == TVekAztecMode::PUNCT && AZTEC_SECOND_CHARACTERS[code] != NO_CHAR)
                    values.push_back(AZTEC_SECOND_CHARACTERS[code]);
                endShift();
                break;
            }
            case TAction::PUNCT_SHIFT:
                shift(TVekAztecMode::PUNCT);
                break;
            case TAction::UPPER_SHIFT:
                shift(TVekAztecMode::UPPER);
                break;
            case TAction::BINARY_SHIFT:
                // The run returns to the mode it was shifted from, even when that
                // mode is itself a one-character shift: digit, U/S, B/S comes back
                // to upper, as encoders that write such sequences expect.
                binaryReturn = mode;
                shifted = false;
                mode = TVekAztecMode::BINARY;
                break;
            case TAction::FLAG:
                readFlag(bits, values.size());
                endShift();
                break;
            case TAction::UPPER_LATCH:
                latch(TVekAztecMode::UPPER);
                break;
            case TAction::LOWER_LATCH:
                latch(TVekAztecMode::LOWER);
                break;
            case TAction::MIXED_LATCH:
                latch(TVekAztecMode::MIXED);
                break;
            case TAction::PUNCT_LATCH:
                latch(TVekAztecMode::PUNCT);
                break;
            case TAction::DIGIT_LATCH:
                latch(TVekAztecMode::DIGIT);
                break;
        }
    }

    if (appendHeader) takeAppendHeader(values);
    return values;
}

void TVekAztecDecoder::readFlag(TVekAzBitString& bits, size_t valueIndex) {
    // FLG(0) is FNC1; FLG(1) ... FLG(6) carry an ECI designator of that many
    // digit codes (2 is '0'). Neither produces a value; both are noted.
    const int32_t n = bits.readBits(3);
    if (n == 0) {
        flags.push_back(TVekAztecFlag{valueIndex, -1});
    } else if (n <= 6) {
        int32_t eci = 0;
        for (int32_t i = 0; i < n; ++i) eci = eci * 10 + std::max(bits.readBits(4) - 2, 0);
        flags.push_back(TVekAztecFlag{valueIndex, eci});
    }
}

TVectorInteger TVekAztecDecoder::decodeBinary(TVekAzBitString& bits) const {
    int32_t length = bits.readBits(5);
    if (length == 0) length = bits.readBits(11) + 31;
    TVectorInteger bytes;
    bytes.reserve(static_cast<size_t>(std::min(length, bits.length() / 8 + 1)));
    // A run that claims more bytes than there are bits ends with the bits.
    for (int32_t i = 0; i < length && !bits.isEmpty(); ++i) bytes.push_back(bits.readBits(8));
    return bytes;
}

void TVekAztecDecoder::takeAppendHeader(TVectorInteger& values) {
    // [" " message id " "] position letter, total letter; 'A' is 1.
    size_t at = 0;
    if (!values.empty() && values[0] == ' ') {
        const auto close = std::find(values.begin() + 1, values.end(), ' ');
        if (close == values.end()) return;
        at = static_cast<size_t>(close - values.begin()) + 1;
    }
    auto isLetter = [](int32_t v) { return v >= 'A' && v <= 'Z'; };
    if (at + 2 > values.size() || !isLetter(values[at]) || !isLetter(values[at + 1])) return;
    appendPosition = values[at] - 'A' + 1;
    appendTotal = values[at + 1] - 'A' + 1;
    appendId.clear();
    for (size_t i = 1; i + 1 < at; ++i) appendId += static_cast<char>(values[i] & 0xFF);
    values.erase(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at + 2));
    for (TVekAztecFlag& flag : flags) flag.valueIndex = flag.valueIndex > at + 2 ? flag.valueIndex - (at + 2) : 0;
}

}  // namespace orvel
