#pragma once

#include <string>
#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// Code 93 on one scan line: characters of three bars and three spaces in
// nine modules by their edge-to-similar-edge distances, the start and stop
// character with the stop's final bar, the quiet zones, and the two
// modulo-47 check characters C and K, which are verified and not
// transmitted. The four shift characters and the letter after them give
// the rest of ASCII.
class TVekCode93LineDecoder {
public:
    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const;

    // True when the last two values are the check characters C and K of
    // those before them.
    static bool checksHold(const std::vector<int>& values);
    // The bytes of the data values (check characters removed); false when a
    // shift character is not followed by a letter.
    static bool interpret(const std::vector<int>& values, std::string& bytes);

private:
    static bool readSymbol(const TVekBarRow& row, size_t start, TVekLinearRead& read);
};

}  // namespace orvel
