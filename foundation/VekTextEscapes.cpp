#include "foundation/VekTextEscapes.h"

#include <array>

namespace orvel {

namespace {

constexpr std::array<const char*, 32> controlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "HT", "LF",  "VT",  "FF", "CR", "SO", "SI",
    "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US"};

}  // namespace

const char* controlCharacterName(unsigned char byte) {
    if (byte < controlNames.size()) return controlNames[byte];
    return byte == 0x7F ? "DEL" : nullptr;
}

std::string escapeControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const char* name = controlCharacterName(static_cast<unsigned char>(c));
        if (name != nullptr) {
            out += '<';
            out += name;
            out += '>';
        } else {
            out += c;
        }
    }
    return out;
}

std::string hexadecimal(std::string_view bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += digits[byte >> 4];
        hex += digits[byte & 0x0F];
    }
    return hex;
}

}  // namespace orvel
