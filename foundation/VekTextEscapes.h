#pragma once

#include <string>
#include <string_view>

namespace orvel {

// Control characters shown by their ASCII names.

// The name of an ASCII control character (0x00-0x1F, 0x7F): "NUL", "GS", "DEL".
const char* controlCharacterName(unsigned char byte);
// The text with each ASCII control character as "<NAME>" ("<GS>", "<RS>",
// "<EOT>" ...); other bytes, UTF-8 sequences included, unchanged.
std::string escapeControlCharacters(std::string_view text);
// The bytes as lower-case hexadecimal, two digits each.
std::string hexadecimal(std::string_view bytes);

}  // namespace orvel
