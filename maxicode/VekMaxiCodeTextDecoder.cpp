#include "maxicode/VekMaxiCodeTextDecoder.h"

#include <array>
#include <cstdio>

namespace orvel {

namespace {

enum TSet : int32_t { kSetA, kSetB, kSetC, kSetD, kSetE };

// Values that are no character in a set.
constexpr int16_t kPad = -1;
constexpr int16_t kEci = -2;
constexpr int16_t kNumeric = -3;
constexpr int16_t kShiftA = -10, kShiftB = -11, kShiftC = -12, kShiftD = -13, kShiftE = -14;
constexpr int16_t kTwoShiftA = -20, kThreeShiftA = -21;
constexpr int16_t kLatchA = -30, kLatchB = -31;
constexpr int16_t kLock = -40;  // the set's own shift again: stay in it

using TTable = std::array<int16_t, 64>;

constexpr TTable kSetATable{
    13,  'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O',
    'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z', kEci, 28,  29,  30,  kNumeric,
    ' ', kPad, '"', '#', '$', '%', '&', '\'', '(', ')', '*', '+', ',', '-', '.', '/',
    '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', ':', kShiftB, kShiftC, kShiftD, kShiftE, kLatchB};

constexpr TTable kSetBTable{
    '`', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o',
    'p', 'q', 'r', 's', 't', 'u', 'v', 'w', 'x', 'y', 'z', kEci, 28,  29,  30,  kNumeric,
    '{', kPad, '}', '~', 127, ';', '<', '=', '>', '?', '[', '\\', ']', '^', '_', ' ',
    ',', '.', '/', ':', '@', '!', '|', kPad, kTwoShiftA, kThreeShiftA, kPad, kShiftA, kShiftC, kShiftD, kShiftE, kLatchA};

constexpr TTable kSetCTable{
    192, 193, 194, 195, 196, 197, 198, 199, 200, 201, 202, 203, 204, 205, 206, 207,
    208, 209, 210, 211, 212, 213, 214, 215, 216, 217, 218, kEci, 28,  29,  30,  kNumeric,
    219, 220, 221, 222, 223, 170, 172, 177, 178, 179, 181, 185, 186, 188, 189, 190,
    128, 129, 130, 131, 132, 133, 134, 135, 136, 137, kLatchA, ' ', kLock, kShiftD, kShiftE, kLatchB};

constexpr TTable kSetDTable{
    224, 225, 226, 227, 228, 229, 230, 231, 232, 233, 234, 235, 236, 237, 238, 239,
    240, 241, 242, 243, 244, 245, 246, 247, 248, 249, 250, kEci, 28,  29,  30,  kNumeric,
    251, 252, 253, 254, 255, 161, 168, 171, 175, 176, 180, 183, 184, 187, 191, 138,
    139, 140, 141, 142, 143, 144, 145, 146, 147, 148, kLatchA, ' ', kShiftC, kLock, kShiftE, kLatchB};

constexpr TTable kSetETable{
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,
    16,  17,  18,  19,  20,  21,  22,  23,  24,  25,  26,  kEci, kPad, kPad, 27, kNumeric,
    28,  29,  30,  31,  159, 160, 162, 163, 164, 165, 166, 167, 169, 173, 174, 182,
    149, 150, 151, 152, 153, 154, 155, 156, 157, 158, kLatchA, ' ', kShiftC, kShiftD, kLock, kLatchB};

constexpr std::array<const TTable*, 5> kTables{&kSetATable, &kSetBTable, &kSetCTable, &kSetDTable, &kSetETable};

// The ECI designator starting at codewords[i]: one to four codewords, the
// leading bits of the first telling how many. -1 when it runs past the end
// or its first codeword is no valid start.
int32_t readEci(std::span<const uint8_t> codewords, size_t& i) {
    if (i >= codewords.size()) return -1;
    const int32_t first = codewords[i++];
    int32_t more, value;
    if (first < 0x20) more = 0, value = first;
    else if (first < 0x30) more = 1, value = first & 0x0F;
    else if (first < 0x38) more = 2, value = first & 0x07;
    else if (first < 0x3C) more = 3, value = first & 0x03;
    else return -1;
    if (i + more > codewords.size()) return -1;
    for (int32_t k = 0; k < more; ++k) value = (value << 6) | codewords[i++];
    return value;
}

}  // namespace

char TVekMaxiCodeTextDecoder::setACharacter(int32_t value) {
    if (value < 0 || value >= 64) return 0;
    const int16_t c = kSetATable[static_cast<size_t>(value)];
    return c >= 0 ? static_cast<char>(c) : 0;
}

TVekMaxiCodeText TVekMaxiCodeTextDecoder::decode(std::span<const uint8_t> codewords) {
    TVekMaxiCodeText text;
    size_t i = 0;
    // A pad first, then the position and count (each less one, three bits):
    // the symbol is one of a sequence. Pads alone (an empty message) are not.
    if (codewords.size() >= 2 && codewords[0] == 33 && (codewords[1] >> 3) <= (codewords[1] & 7)) {
        text.structuredAppend.index = codewords[1] >> 3;
        text.structuredAppend.count = (codewords[1] & 7) + 1;
        i = 2;
    }
    TSet latched = kSetA, shifted = kSetA;
    int32_t shiftLeft = 0;  // characters still read in the shifted set
    while (i < codewords.size()) {
        const TSet set = shiftLeft > 0 ? shifted : latched;
        const int16_t entry = (*kTables[set])[codewords[i++]];
        if (shiftLeft > 0) --shiftLeft;
        if (entry >= 0) {
            text.bytes.push_back(static_cast<char>(entry));
            continue;
        }
        switch (entry) {
        case kPad:
            break;
        case kEci: {
            const int32_t eci = readEci(codewords, i);
            if (eci < 0) {
                text.valid = false;
                return text;
            }
            text.eciMarks.push_back({text.bytes.size(), eci});
            break;
        }
        case kNumeric: {
            if (i + 5 > codewords.size()) {
                text.valid = false;
                return text;
            }
            int32_t number = 0;
            for (int32_t k = 0; k < 5; ++k) number = (number << 6) | codewords[i++];
            if (number > 999999999) {
                text.valid = false;
                return text;
            }
            char digits[16];
            std::snprintf(digits, sizeof digits, "%09d", number);
            text.bytes += digits;
            break;
        }
        case kShiftA: shifted = kSetA, shiftLeft = 1; break;
        case kShiftB: shifted = kSetB, shiftLeft = 1; break;
        case kShiftC: shifted = kSetC, shiftLeft = 1; break;
        case kShiftD: shifted = kSetD, shiftLeft = 1; break;
        case kShiftE: shifted = kSetE, shiftLeft = 1; break;
        case kTwoShiftA: shifted = kSetA, shiftLeft = 2; break;
        case kThreeShiftA: shifted = kSetA, shiftLeft = 3; break;
        case kLatchA: latched = kSetA, shiftLeft = 0; break;
        case kLatchB: latched = kSetB, shiftLeft = 0; break;
        case kLock: latched = set, shiftLeft = 0; break;
        default: break;
        }
    }
    return text;
}

}  // namespace orvel
