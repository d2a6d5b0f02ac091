#pragma once

#include <string>
#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// Code 128 on one scan line: characters by their edge-to-similar-edge
// distances, the modulo-103 check character, the stop pattern's last bar and
// the quiet zones; then the code sets, Shift, FNC1 (GS1) and FNC4 (bytes
// 128 to 255) turned into bytes.
class TVekCode128LineDecoder {
public:
    // `clues`, when given, counts the starts followed by four characters that did not read whole
    // (random print matches two or three often).
    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads, TVekLinearClues* clues = nullptr) const;

    // The content of a run of symbol character values from the start
    // character to the check character's predecessor; false when the values
    // break the code set rules.
    static bool interpret(const std::vector<int>& values, std::string& bytes, std::string& identifier);

private:
    // `characters` gets how many characters were read, the start's included.
    static bool readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read, size_t& characters);
};

}  // namespace orvel
