#pragma once

#include <string>
#include <string_view>

namespace orvel {

// The character sets converted to UTF-8 without iconv: UTF-8 itself,
// US-ASCII, CP437, ISO 8859-9, ISO 8859-11, UTF-32BE and UTF-32LE. The
// browser build converts these here (its decoder lacks them or, for some,
// maps them to Windows code pages) and hands the others to the browser's
// decoder, without carrying conversion tables of its own.
//
// Appends the converted bytes and returns true when `charset` is one of
// them; false, appending nothing, otherwise. A byte that starts no valid
// character becomes U+FFFD and conversion goes on after it, as toUtf8 does
// with iconv (which, unlike this, passes UTF-8 forms past U+10FFFF on).
bool appendBuiltinCharset(std::string& out, std::string_view bytes, const char* charset);

}  // namespace orvel
