#pragma once

#include <array>
#include <cstdint>

namespace orvel {

inline constexpr int32_t PDF417_CODEWORD_COUNT = 929;   // codewords 0 ... 928 per cluster
inline constexpr int32_t PDF417_CLUSTER_COUNT = 3;      // clusters 0, 3 and 6
inline constexpr int32_t PDF417_SYMBOL_CHARACTER_COUNT = PDF417_CLUSTER_COUNT * PDF417_CODEWORD_COUNT;

// Entry k × 929 + c is codeword c of cluster index k (0, 1, 2 for the
// clusters 0, 3, 6): its six edge-to-edge widths e1 ... e6 in modules, each
// 2 ... 9, as the decimal number e1 e2 e3 e4 e5 e6 ("422224" is 422224).
extern const std::array<int32_t, PDF417_SYMBOL_CHARACTER_COUNT> pdf417SymbolCharacters;

// The codeword of cluster index k whose edge-to-edge widths are the six
// digits of `pattern`, or -1. Looked up in an index built once from
// pdf417SymbolCharacters, so a lookup costs no search.
int32_t findPDF417Codeword(int32_t pattern, int32_t k);

}  // namespace orvel
