#pragma once

#include <cstddef>
#include <string>

#include "foundation/VekBarcodeFormat.h"

namespace orvel {

// One symbol decoded on one scan line: its content and the elements of the
// line it covers, guards included, quiet zones left out.
struct TVekLinearRead {
    TVekBarcodeFormat format = TVekBarcodeFormat::code128;
    std::string bytes;
    std::string identifier;  // the AIM symbology identifier
    size_t firstElement = 0;
    size_t lastElement = 0;
    // The check is strong enough for one line to be believed on its own.
    bool strong = false;
    // Some character was taken as its second most likely reading, the one
    // the check confirmed: such a read needs more lines to agree.
    bool guessed = false;
};

// What scan lines showed short of a read: a symbol's start with some of its
// characters after it. A picture whose coarse grid of lines shows one is
// worth the lines between; one that shows none and read nothing holds no
// symbol those lines would read.
struct TVekLinearClues {
    int partialSymbols = 0;
};

}  // namespace orvel
