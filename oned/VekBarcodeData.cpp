#include "oned/VekBarcodeData.h"

#include "foundation/VekUtil.h"

namespace orvel {

namespace {

using F = TVekBarcodeFormat;

constexpr TVekSymbologyFlag flagTable[] = {
    {SYMBOLOGY_CODE128, F::code128},     {SYMBOLOGY_EAN8, F::ean8},
    {SYMBOLOGY_EAN13, F::ean13},         {SYMBOLOGY_UPCA, F::upcA},
    {SYMBOLOGY_UPCE, F::upcE},           {SYMBOLOGY_CODE39, F::code39},
    {SYMBOLOGY_INTERLEAVED25, F::interleaved25}, {SYMBOLOGY_IDENTCODE, F::identcode},
    {SYMBOLOGY_CODABAR, F::codabar},
};

}  // namespace

std::span<const TVekSymbologyFlag> symbologyFlags() { return flagTable; }

std::optional<TVekBarcodeFormat> formatOfSymbology(int32_t symbology) {
    for (const TVekSymbologyFlag& row : flagTable)
        if (row.flag == symbology) return row.format;
    return std::nullopt;
}

std::string symbologyName(int32_t symbology) {
    const std::optional<TVekBarcodeFormat> format = formatOfSymbology(symbology);
    return format ? formatName(*format) : "";
}

std::string TVekBarcodeData::toString() const {
    std::string text = candidate ? "Type unknown" : "Type: " + symbologyName(symbology);
    text += "   ";
    text += "Value: " + value + ",";
    text += "   X: " + intToStr(x) + ",";
    text += "   Y: " + intToStr(y) + ",";
    return text;
}

}  // namespace orvel
