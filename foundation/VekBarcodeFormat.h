#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel {

// The thirteen symbologies the library reads.
enum class TVekBarcodeFormat : uint8_t {
    code128,
    ean13,
    ean8,
    upcA,
    upcE,
    code39,
    interleaved25,
    identcode,
    codabar,
    pdf417,
    dataMatrix,
    qrCode,
    aztec,
};

inline constexpr int barcodeFormatCount = 13;

// "CODE128", "EAN13", "EAN8", "UPCA", "UPCE", "CODE39", "INTERLEAVED25",
// "IDENTCODE", "CODABAR", "PDF417", "DATAMATRIX", "QRCODE", "AZTEC": the
// names orvel-scan prints.
std::string formatName(TVekBarcodeFormat format);
// The format of a name, in any case, with or without '-' and '_'
// ("qrcode", "QR-Code", "DataMatrix", "ITF" and "I2of5" are understood too).
std::optional<TVekBarcodeFormat> formatFromName(std::string_view name);
bool isLinearFormat(TVekBarcodeFormat format);

// A set of formats; the empty set stands for all of them where a set chooses
// what to read.
class TVekBarcodeFormats {
public:
    TVekBarcodeFormats() = default;
    TVekBarcodeFormats(std::initializer_list<TVekBarcodeFormat> formats) {
        for (TVekBarcodeFormat format : formats) insert(format);
    }
    static TVekBarcodeFormats all() { return TVekBarcodeFormats((1u << barcodeFormatCount) - 1); }
    static TVekBarcodeFormats linear();

    void insert(TVekBarcodeFormat format) { bits_ |= bit(format); }
    bool contains(TVekBarcodeFormat format) const { return (bits_ & bit(format)) != 0; }
    bool empty() const { return bits_ == 0; }
    // True when the set asks for the format: an empty set asks for all.
    bool asks(TVekBarcodeFormat format) const { return empty() || contains(format); }
    bool intersects(const TVekBarcodeFormats& other) const { return (bits_ & other.bits_) != 0; }
    bool operator==(const TVekBarcodeFormats&) const = default;

    // Parses a list like "qrcode,ean13 datamatrix"; none when a name is unknown.
    static std::optional<TVekBarcodeFormats> parse(std::string_view list);

private:
    explicit TVekBarcodeFormats(uint32_t bits) : bits_(bits) {}
    static uint32_t bit(TVekBarcodeFormat format) { return 1u << static_cast<unsigned>(format); }
    uint32_t bits_ = 0;
};

}  // namespace orvel
