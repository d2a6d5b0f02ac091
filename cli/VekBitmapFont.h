#pragma once

#include <array>
#include <cstdint>

namespace orvel {

// A 5 x 7 pixel font of the printable ASCII characters, for the labels
// orvel-scan draws into pictures.
inline constexpr int glyphWidth = 5;
inline constexpr int glyphHeight = 7;

using TVekGlyph = std::array<uint8_t, glyphHeight>;

// The rows of a character's glyph, top first, bit 4 the leftmost pixel;
// the glyph of '?' for a character outside printable ASCII.
const TVekGlyph& glyphOf(char c);

}  // namespace orvel
