#pragma once

#include <string>
#include <string_view>

namespace orvel {

// Turning decoded bytes into UTF-8 text through glibc's iconv.

// The iconv name of an ECI designator's character set ("ISO-8859-1",
// "SHIFT_JIS", "UTF-8", ...), or nullptr for a designator that names none
// (the bytes are then kept as ISO 8859-1).
const char* eciCharset(int eci);

// The bytes in the character set converted to UTF-8. Bytes the set cannot
// convert become U+FFFD; an unknown set reads as ISO 8859-1.
std::string toUtf8(std::string_view bytes, const char* charset);

bool isValidUtf8(std::string_view bytes);
// True when the bytes are valid Shift JIS and hold a double-byte character or
// a run of half-width katakana (plain ASCII is left to ISO 8859-1, which
// reads it the same).
bool looksLikeShiftJis(std::string_view bytes);

}  // namespace orvel
