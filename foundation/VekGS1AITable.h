#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// The character sets of GS1 element values.
enum class TVekGS1Charset : uint8_t {
    numeric,  // N: digits
    cset82,   // X: the 82 characters of GS1 "CSET 82"
    cset39,   // Y: digits, upper-case letters, '#', '-', '/' ("CSET 39")
    cset64,   // Z: the URL-safe base64 alphabet with '=' padding ("CSET 64")
};

// What a component's characters must mean beyond their set.
enum class TVekGS1Meaning : uint8_t {
    none,
    checkDigit,    // the last digit is the GS1 modulo-10 check digit of the others
    dateYYMMDD,    // a real date
    dateYYMMD0,    // a real date, or day 00 for "the month as a whole"
    dateTimeHH,    // YYMMDDHH
    dateTimeHHMM,  // YYMMDDHHMM
    timeHHMM,      // HHMM
    dateYYYYMMDD,
    dateTimeYYYYMMDDHHMM,
    minutesSeconds,  // MM or MMSS after an hour
    yesNo,           // 0 or 1
    minusSign,       // the single character '-'
};

// One part of an element's value: `minLength` to `maxLength` characters of a
// set, possibly left out when `optional`.
struct TVekGS1Component {
    TVekGS1Charset charset = TVekGS1Charset::numeric;
    int minLength = 0;
    int maxLength = 0;
    TVekGS1Meaning meaning = TVekGS1Meaning::none;
    bool optional = false;
};

// One Application Identifier (or a run of them that differ in the last digit
// only, like 310n) and the format of its value.
struct TVekGS1ApplicationIdentifier {
    std::string ai;  // for a run: the AI with its last digit
    std::string title;
    std::vector<TVekGS1Component> components;
    // The last digit of the AI places the decimal point in the value (310n,
    // 392n, ...).
    bool impliedDecimal = false;

    bool isFixedLength() const;
    int maxLength() const;
};

// The Application Identifiers of the GS1 General Specifications.
class TVekGS1AITable {
public:
    // The identifier that `elementString` starts with, if any.
    static std::optional<TVekGS1ApplicationIdentifier> lookup(std::string_view elementString);
    // True for the AIs whose values have a predefined length by their first two
    // digits (00-04, 11-20, 31-36, 41): no separator follows them.
    static bool hasPredefinedLength(std::string_view ai);
    // Every row, with runs expanded (for tests and listings).
    static std::vector<TVekGS1ApplicationIdentifier> all();
};

}  // namespace orvel
