#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// One element of a GS1 element string: the Application Identifier and its value.
struct TVekGS1Element {
    std::string ai;
    std::string value;
    bool operator==(const TVekGS1Element&) const = default;
};

// Why an element string is not valid GS1 data.
enum class TVekGS1ErrorKind : uint8_t {
    none,
    unknownAI,      // no Application Identifier of the table where one must start
    wrongLength,    // a value too short or too long for its AI
    badCharacter,   // a character outside the AI's character set
    badCheckDigit,  // a GTIN, SSCC, GLN ... whose check digit does not match
    badDate,        // a date or time that does not exist
};

// The elements of an element string, up to the first error.
struct TVekGS1Content {
    std::vector<TVekGS1Element> elements;
    TVekGS1ErrorKind errorKind = TVekGS1ErrorKind::none;
    std::string error;  // a message naming the AI and the fault; empty when valid

    bool isValid() const { return errorKind == TVekGS1ErrorKind::none; }
    // The human-readable form "(01)09501101530003(17)140704(10)AB-123" of the
    // elements read.
    std::string hri() const;
};

// Splits GS1 element strings (AIs and values; GS, 0x1D, after a value of
// variable length) into elements and checks each value against its AI.
class TVekGS1Parser {
public:
    static constexpr char separator = '\x1D';

    // A leading GS (a transmitted FNC1 in first position) is skipped, and so
    // is a GS after a value of fixed length.
    static TVekGS1Content parse(std::string_view elementString);
    // The human-readable form of an element string as far as its AIs are
    // known, values unchecked: "(16)8901" for a date too short. From an
    // unknown AI on, the rest follows as it is (GS as "<GS>").
    static std::string readableForm(std::string_view elementString);
};

}  // namespace orvel
