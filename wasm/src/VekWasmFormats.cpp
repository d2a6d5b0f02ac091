#include "VekWasmFormats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "foundation/VekSymbology.h"
#include "read/VekPhotoReaders.h"

namespace orvel {

namespace {

using F = TVekBarcodeFormat;

// The Shape Detection API's names; "itf" there is Interleaved 2 of 5.
constexpr std::array<std::pair<F, std::string_view>, 13> detectorNames = {{
    {F::aztec, "aztec"},
    {F::code128, "code_128"},
    {F::code39, "code_39"},
    {F::code93, "code_93"},
    {F::codabar, "codabar"},
    {F::dataMatrix, "data_matrix"},
    {F::ean13, "ean_13"},
    {F::ean8, "ean_8"},
    {F::interleaved25, "itf"},
    {F::pdf417, "pdf417"},
    {F::qrCode, "qr_code"},
    {F::upcA, "upc_a"},
    {F::upcE, "upc_e"},
}};

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

}  // namespace

std::string detectorFormatName(TVekBarcodeFormat format) {
    for (const auto& [known, name] : detectorNames)
        if (known == format) return std::string(name);
    return lowerCase(symbologyOf(format).name);
}

std::optional<TVekBarcodeFormat> formatOfAnyName(std::string_view name) {
    const std::string lower = lowerCase(name);
    for (const auto& [format, known] : detectorNames)
        if (known == lower) return format;
    return formatFromName(name);
}

// The formats some registered photo reader reads, in the symbology table's order.
std::vector<TVekBarcodeFormat> readableFormats() {
    TVekBarcodeFormats registered;
    for (const TVekPhotoReaderEntry& entry : photoReaders()) registered.insert(entry.formats);
    std::vector<TVekBarcodeFormat> formats;
    for (const TVekSymbology& row : symbologies())
        if (registered.contains(row.format)) formats.push_back(row.format);
    return formats;
}

}  // namespace orvel
