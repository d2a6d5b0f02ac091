#pragma once

#include <string>

#include "cli/VekFileScan.h"
#include "cli/VekPictureScan.h"

namespace orvel {

// Each byte 0 ... 255 as the character of the same code point, in UTF-8.
std::string latin1ToUtf8(const std::string& bytes);

// The text unchanged when it is valid UTF-8, else latin1ToUtf8 of it (file
// names and messages are normally UTF-8 but need not be).
std::string toUtf8(const std::string& text);

// A JSON string literal (with its quotes) of UTF-8 text: quote and backslash
// escaped, control characters (U+0000-U+001F, U+007F-U+009F) as \uXXXX or
// their short escapes.
std::string jsonString(const std::string& utf8);

// The report as one JSON object on one line (no line break at the end).
std::string reportToJson(const TVekFileReport& report);

// The bytes as lower-case hexadecimal, two digits each.
std::string hexOf(const std::string& bytes);

// A report of readBarcodes as one JSON object on one line: the fields of
// reportToJson, each result with "family", "symbology", "text" (UTF-8),
// "success", "x", "y" (the first corner), "bytes" (hex), "identifier",
// "position" (four [x, y] corners), "orientation", "eci", "ecLevel" and
// "error" (null for a decoded symbol); "text" in the given mode. Only where
// they apply: "structuredAppend" ({"index", "count", "id"}) for a part of a
// sequence, "parts" ([{"file", "position"}] in sequence order) for a joined
// message, "gs1" ([{"ai", "value"}]) for GS1 content and "gs1Error" when
// that content is not valid.
std::string pictureReportToJson(const TVekPictureReport& report, TVekTextMode mode = TVekTextMode::plain);

}  // namespace orvel
