#include "oned/VekFullAscii.h"

namespace orvel {

int fullAsciiOf(char shift, char letter) {
    if (letter < 'A' || letter > 'Z') return -1;
    const int k = letter - 'A';
    switch (shift) {
    case '$':  // control characters 1 to 26
        return k + 1;
    case '+':  // lower case
        return 'a' + k;
    case '/':  // punctuation from '!' to '/' and ':'
        if (letter <= 'O') return '!' + k;
        return letter == 'Z' ? ':' : -1;
    case '%': {
        // Five runs of five: the rest of the control characters and the
        // punctuation between the digits and the letters and after them.
        constexpr int runStarts[] = {27, ';', '[', '{'};
        if (letter <= 'T') return runStarts[k / 5] + k % 5;
        constexpr int single[] = {0, '@', '`', 127, 127, 127};  // %U to %Z
        return single[letter - 'U'];
    }
    default:
        return -1;
    }
}

}  // namespace orvel
