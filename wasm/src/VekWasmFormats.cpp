#include "VekWasmFormats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "foundation/VekSymbology.h"

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

// The formats that have a reader in the library; the table also lists
// formats whose readers are still to come. A new reader adds its format here.
constexpr std::array<F, 15> readable = {F::code128, F::ean13,  F::ean8,       F::upcA,        F::upcE,
                                        F::code39,  F::interleaved25, F::identcode, F::codabar, F::pdf417,
                                        F::dataMatrix, F::qrCode, F::aztec, F::microPdf417, F::maxiCode};

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

std::vector<TVekBarcodeFormat> readableFormats() { return {readable.begin(), readable.end()}; }

}  // namespace orvel
