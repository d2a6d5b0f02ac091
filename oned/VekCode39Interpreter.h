#pragma once

#include <string>

#include "foundation/VekBarcodeFormat.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// What a Code 39 symbol's characters stand for. The bars alone do not tell
// Code 39 from its variants: a Pharmazentralnummer ('-', six or seven digits
// and a check digit) and an Italian pharmacode (six base-32 characters of a
// nine-digit number with a check digit) are taken for those when asked and
// their check digit holds; full ASCII pairs are expanded only when full ASCII
// was asked for, since plain Code 39 text holds '$', '%', '/' and '+' too.
class TVekCode39Interpreter {
public:
    TVekCode39Interpreter(const TVekBarcodeFormats& formats, bool fullAscii) : formats_(formats), fullAscii_(fullAscii) {}

    // Sets the read's format, bytes and identifier; false when no asked
    // format takes the symbol.
    bool interpret(const std::string& text, TVekLinearRead& read) const;

    // The nine digits of an Italian pharmacode, 'A' before them as printed
    // under the bars; false when `text` is not one or its check digit fails.
    static bool code32(const std::string& text, std::string& bytes);
    // True for '-' and a PZN7 or PZN8 number whose check digit holds.
    static bool pzn(const std::string& text);
    // The text with every shift pair replaced by its ASCII character; false
    // when a shift character starts no pair.
    static bool expandFullAscii(const std::string& text, std::string& bytes);

private:
    TVekBarcodeFormats formats_;
    bool fullAscii_;
};

}  // namespace orvel
