#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvel {

// The function characters of Code 128, which are no data themselves.
enum class TVekFunctionCharacter : uint8_t { fnc1, fnc2, fnc3, fnc4 };

// A function character among a symbol's data: `at` is the number of data
// bytes before it.
struct TVekFunctionMark {
    size_t at = 0;
    TVekFunctionCharacter kind = TVekFunctionCharacter::fnc1;

    bool operator==(const TVekFunctionMark&) const = default;
};

// What a linear parser decoded, as data: the data bytes and the function
// characters between them. The documented record text writes the same with
// markers ("~d202" for FNC1, "_96", "_97", "_100", "_101" for the others, "~~"
// for a tilde); this is what those markers stand for, so nobody needs to
// find them in the text again.
struct TVekLinearContent {
    std::string bytes;
    std::vector<TVekFunctionMark> functions;

    bool operator==(const TVekLinearContent&) const = default;
};

}  // namespace orvel
