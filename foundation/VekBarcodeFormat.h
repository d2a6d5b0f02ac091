#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvel {

// Every symbology the library knows. The values index the symbology table
// (VekSymbology.cpp); the order is that of the table and of orvel-scan's
// lists, and nothing else may depend on it.
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
    code93,
    code39Extended,
    code32,
    pzn,
    telepen,
    dataBar,
    dataBarLimited,
    dataBarExpanded,
    dxFilmEdge,
    microQrCode,
    rmqrCode,
    microPdf417,
    maxiCode,
};

inline constexpr int barcodeFormatCount = 26;

// The name orvel-scan prints ("CODE128", "QRCODE", ...), from the table.
std::string formatName(TVekBarcodeFormat format);
// The format of a name or alias, in any case, with or without '-', '_' and
// spaces ("qrcode", "QR-Code", "DataMatrix", "ITF" and "I2of5" are understood).
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
    static TVekBarcodeFormats all() { return TVekBarcodeFormats((uint64_t{1} << barcodeFormatCount) - 1); }
    static TVekBarcodeFormats linear();

    void insert(TVekBarcodeFormat format) { bits_ |= bit(format); }
    void insert(const TVekBarcodeFormats& other) { bits_ |= other.bits_; }
    bool contains(TVekBarcodeFormat format) const { return (bits_ & bit(format)) != 0; }
    bool empty() const { return bits_ == 0; }
    // True when the set asks for the format: an empty set asks for all.
    bool asks(TVekBarcodeFormat format) const { return empty() || contains(format); }
    bool intersects(const TVekBarcodeFormats& other) const { return (bits_ & other.bits_) != 0; }
    // The formats of both sets.
    TVekBarcodeFormats operator&(const TVekBarcodeFormats& other) const { return TVekBarcodeFormats(bits_ & other.bits_); }
    bool operator==(const TVekBarcodeFormats&) const = default;

    // Parses a list like "qrcode,ean13 datamatrix"; none when a name is unknown.
    static std::optional<TVekBarcodeFormats> parse(std::string_view list);

private:
    explicit TVekBarcodeFormats(uint64_t bits) : bits_(bits) {}
    static uint64_t bit(TVekBarcodeFormat format) { return uint64_t{1} << static_cast<unsigned>(format); }
    uint64_t bits_ = 0;
};

}  // namespace orvel
