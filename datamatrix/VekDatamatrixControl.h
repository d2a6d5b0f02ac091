#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvel {

// A control entry of a Data Matrix symbol's content, as the codeword decoder
// met it: an FNC1 (from ASCII, or from C40 and Text in the extended reading),
// a macro, an ECI designator, the structured-append header or Reader
// Programming. `output` is its place among the decoder's output values, where
// it stands as -1.
struct TVekDatamatrixControl {
    enum class TKind { fnc1, macro05, macro06, eci, structuredAppend, readerProgramming };

    // Structured Append: the symbol's place in its sequence (from 1), the
    // number of symbols and the two file identification codewords.
    struct TAppend {
        int32_t position = 0;
        int32_t count = 0;
        int32_t file1 = 0;
        int32_t file2 = 0;
    };

    TKind kind = TKind::fnc1;
    int32_t output = 0;
    int32_t eci = 0;   // the assignment number of an ECI designator
    TAppend append{};  // for structuredAppend

    // The text the decoder writes beside the entry ("FNC1", "MACRO5",
    // "ECI: 26", "STRUCTURED_APPEND: 2/3 17,42", "READER_PROGRAMMING").
    std::string label() const;
};

using TVekDatamatrixControls = std::vector<TVekDatamatrixControl>;

}  // namespace orvel
