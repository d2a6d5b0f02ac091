#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "foundation/VekBarcodeFormat.h"
#include "oned/VekLinearContent.h"

namespace orvel {

// Symbology flags of the linear symbologies. They are the bits of the 1D
// reader's symbology mask, the values the parsers return from getSymbology and
// the values stored in a result record.
inline constexpr int32_t SYMBOLOGY_CODE128 = 1;
inline constexpr int32_t SYMBOLOGY_EAN8 = 2;
inline constexpr int32_t SYMBOLOGY_EAN13 = 4;
inline constexpr int32_t SYMBOLOGY_UPCA = 8;
inline constexpr int32_t SYMBOLOGY_UPCE = 16;
inline constexpr int32_t SYMBOLOGY_CODE39 = 32;
inline constexpr int32_t SYMBOLOGY_INTERLEAVED25 = 64;
inline constexpr int32_t SYMBOLOGY_IDENTCODE = 128;
inline constexpr int32_t SYMBOLOGY_CODABAR = 256;

// Each symbology flag with its format.
struct TVekSymbologyFlag {
    int32_t flag;
    TVekBarcodeFormat format;
};
std::span<const TVekSymbologyFlag> symbologyFlags();

// The format of a symbology flag; none for any value that is not exactly one
// flag.
std::optional<TVekBarcodeFormat> formatOfSymbology(int32_t symbology);

// The name of a symbology flag as the log lines show it ("CODE128"), the
// format's name; empty for any value that is not exactly one flag.
std::string symbologyName(int32_t symbology);

// One result of the 1D reader: a decoded symbol, or (candidate = true) a place
// where a symbol was located but not decoded.
class TVekBarcodeData {
public:
    void setSymbology(int32_t value) { symbology = value; }
    void setCandidate(bool value) { candidate = value; }
    void setValue(const std::string& text) { value = text; }
    void setContent(TVekLinearContent decoded) { content = std::move(decoded); }
    void setX(int32_t value) { x = value; }
    void setY(int32_t value) { y = value; }

    bool getCandidate() const { return candidate; }
    int32_t getSymbology() const { return symbology; }
    // The documented text, function characters as markers.
    const std::string& getValue() const { return value; }
    // The same content as data: bytes and function characters.
    const TVekLinearContent& getContent() const { return content; }
    int32_t getX() const { return x; }
    int32_t getY() const { return y; }

    // "Type: CODE128   Value: 123,   X: 12,   Y: 40," or, for a candidate,
    // "Type unknown   Value: ,   X: 12,   Y: 40,".
    std::string toString() const;

private:
    int32_t symbology = SYMBOLOGY_CODE128;
    bool candidate = false;
    std::string value;
    TVekLinearContent content;
    int32_t x = 0;
    int32_t y = 0;
};

using TVekBarcodeDataArray = std::vector<TVekBarcodeData>;

}  // namespace orvel
