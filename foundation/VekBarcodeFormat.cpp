#include "foundation/VekBarcodeFormat.h"

#include <array>
#include <cctype>

namespace orvel {

namespace {

constexpr std::array<const char*, barcodeFormatCount> names = {
    "CODE128", "EAN13", "EAN8", "UPCA", "UPCE", "CODE39", "INTERLEAVED25",
    "IDENTCODE", "CODABAR", "PDF417", "DATAMATRIX", "QRCODE", "AZTEC"};

// Upper case without '-', '_' and spaces.
std::string canonical(std::string_view name) {
    std::string result;
    for (char c : name)
        if (c != '-' && c != '_' && c != ' ') result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace

std::string formatName(TVekBarcodeFormat format) { return names[static_cast<size_t>(format)]; }

std::optional<TVekBarcodeFormat> formatFromName(std::string_view name) {
    const std::string wanted = canonical(name);
    for (size_t i = 0; i < names.size(); ++i)
        if (wanted == names[i]) return static_cast<TVekBarcodeFormat>(i);
    if (wanted == "QR") return TVekBarcodeFormat::qrCode;
    if (wanted == "ITF" || wanted == "I2OF5" || wanted == "I25") return TVekBarcodeFormat::interleaved25;
    return std::nullopt;
}

bool isLinearFormat(TVekBarcodeFormat format) { return static_cast<int>(format) <= static_cast<int>(TVekBarcodeFormat::codabar); }

TVekBarcodeFormats TVekBarcodeFormats::linear() {
    TVekBarcodeFormats result;
    for (int i = 0; i < barcodeFormatCount; ++i)
        if (isLinearFormat(static_cast<TVekBarcodeFormat>(i))) result.insert(static_cast<TVekBarcodeFormat>(i));
    return result;
}

std::optional<TVekBarcodeFormats> TVekBarcodeFormats::parse(std::string_view list) {
    TVekBarcodeFormats result;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(", |", start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view name = list.substr(start, end - start);
        if (!name.empty()) {
            const std::optional<TVekBarcodeFormat> format = formatFromName(name);
            if (!format) return std::nullopt;
            result.insert(*format);
        }
        start = end + 1;
    }
    return result;
}

}  // namespace orvel
