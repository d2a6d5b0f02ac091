#pragma once

#include <cstdint>
#include <optional>

namespace orvel {

// Fixed Micro QR tables: the eight symbol numbers (size and level), their
// codewords, the mode and character-count widths and the format information.

// One symbol number's row: M1 ... M4 with its level.
struct TVekMicroQRSymbolInfo {
    int32_t version;        // 1 ... 4 for M1 ... M4
    char level;             // 'L', 'M', 'Q'; M1 only detects errors: ' '
    int32_t dataCodewords;  // the last one four bits long in M1 and M3
    int32_t ecCodewords;
    // Errors the reader corrects: fewer than the code could, since a few
    // check codewords of these short blocks guard against a wrong correction.
    int32_t maxErrors;
    bool halfLastCodeword() const { return version == 1 || version == 3; }
    int32_t dataBits() const { return 8 * dataCodewords - (halfLastCodeword() ? 4 : 0); }
};

inline constexpr int32_t microQRModules(int32_t version) { return 9 + 2 * version; }

// The row of symbol number 0 ... 7, or nullptr.
const TVekMicroQRSymbolInfo* microQRSymbolInfo(int32_t symbolNumber);

// The 15 format bits (masked) of a symbol number and mask.
uint32_t microQRFormatBits(int32_t symbolNumber, int32_t mask);

// The symbol number x 4 + mask of the format word nearest to `bits`, when at
// most three bits differ.
std::optional<int32_t> microQRReadFormat(uint32_t bits);

// Mode indicator width: 0 ... 3 bits for M1 ... M4.
inline constexpr int32_t microQRModeBits(int32_t version) { return version - 1; }
// Terminator width: 3, 5, 7, 9 zero bits for M1 ... M4.
inline constexpr int32_t microQRTerminatorBits(int32_t version) { return 2 * version + 1; }
// Character-count width of a mode indicator value (0 numeric, 1 alphanumeric,
// 2 byte, 3 Kanji) in a version; 0 when the version lacks the mode.
int32_t microQRCountBits(int32_t modeValue, int32_t version);

}  // namespace orvel
