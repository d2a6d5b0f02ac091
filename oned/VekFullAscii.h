#pragma once

namespace orvel {

// The ASCII character that a shift character ('$', '%', '/' or '+') and
// the character after it stand for in full ASCII Code 39 and Code 93 (the
// two share the pairs); -1 when the pair stands for none.
int fullAsciiOf(char shift, char letter);

}  // namespace orvel
