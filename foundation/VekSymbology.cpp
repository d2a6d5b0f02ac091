#include "foundation/VekSymbology.h"

#include <array>

namespace orvel {

namespace {

using F = TVekBarcodeFormat;
using Family = TVekSymbolFamily;
using Charset = TVekDefaultCharset;

// One row per symbology, in the order of TVekBarcodeFormat (checked below).
// Identifiers are those of plain content; a reader sets another modifier for
// GS1 content, check characters transmitted, add-ons and the like.
constexpr std::array<TVekSymbology, barcodeFormatCount> table = {{
    {F::code128, "CODE128", "", "]C0", Family::linear, "1d", true, Charset::latin1},
    {F::ean13, "EAN13", "", "]E0", Family::linear, "1d", true, Charset::latin1},
    {F::ean8, "EAN8", "", "]E4", Family::linear, "1d", true, Charset::latin1},
    {F::upcA, "UPCA", "", "]E0", Family::linear, "1d", true, Charset::latin1},
    {F::upcE, "UPCE", "", "]E0", Family::linear, "1d", true, Charset::latin1},
    {F::code39, "CODE39", "", "]A0", Family::linear, "1d", true, Charset::latin1},
    {F::interleaved25, "INTERLEAVED25", "ITF I2OF5 I25", "]I0", Family::linear, "1d", true, Charset::latin1},
    {F::identcode, "IDENTCODE", "", "]I0", Family::linear, "1d", true, Charset::latin1},
    {F::codabar, "CODABAR", "", "]F0", Family::linear, "1d", true, Charset::latin1},
    {F::pdf417, "PDF417", "", "]L2", Family::pdf417, "pdf417", false, Charset::cp437},
    {F::dataMatrix, "DATAMATRIX", "", "]d1", Family::dataMatrix, "datamatrix", false, Charset::latin1},
    {F::qrCode, "QRCODE", "QR", "]Q1", Family::qrCode, "qr", false, Charset::utf8OrSjis},
    {F::aztec, "AZTEC", "", "]z0", Family::aztec, "aztec", false, Charset::latin1},
    {F::code93, "CODE93", "", "]G0", Family::linear, "1d", true, Charset::latin1},
    {F::code39Extended, "CODE39EXTENDED", "CODE39EXT CODE39FULLASCII", "]A4", Family::linear, "1d", true, Charset::latin1},
    {F::code32, "CODE32", "ITALIANPHARMACODE", "]A0", Family::linear, "1d", true, Charset::latin1},
    {F::pzn, "PZN", "PHARMAZENTRALNUMMER", "]A0", Family::linear, "1d", true, Charset::latin1},
    {F::telepen, "TELEPEN", "", "]B0", Family::linear, "1d", true, Charset::latin1},
    {F::dataBar, "DATABAR", "RSS14 GS1DATABAR DATABAROMNI", "]e0", Family::linear, "1d", true, Charset::latin1},
    {F::dataBarLimited, "DATABARLIMITED", "RSSLIMITED DATABARLTD", "]e0", Family::linear, "1d", true, Charset::latin1},
    {F::dataBarExpanded, "DATABAREXPANDED", "RSSEXPANDED DATABAREXP", "]e0", Family::linear, "1d", true, Charset::latin1},
    {F::dxFilmEdge, "DXFILMEDGE", "DX", "]X0", Family::linear, "1d", true, Charset::latin1},
    {F::microQrCode, "MICROQRCODE", "MICROQR", "]Q1", Family::qrCode, "qr", false, Charset::utf8OrSjis},
    {F::rmqrCode, "RMQRCODE", "RMQR", "]Q1", Family::qrCode, "qr", false, Charset::utf8OrSjis},
    {F::microPdf417, "MICROPDF417", "", "]L2", Family::pdf417, "pdf417", false, Charset::cp437},
    {F::maxiCode, "MAXICODE", "", "]U0", Family::maxiCode, "maxicode", false, Charset::latin1},
}};

constexpr bool inFormatOrder() {
    for (size_t i = 0; i < table.size(); ++i)
        if (static_cast<size_t>(table[i].format) != i) return false;
    return true;
}
static_assert(inFormatOrder(), "the symbology table must list the formats in the order of TVekBarcodeFormat");

// The identifiers of GS1 content: Code 128 with FNC1 first (]C1), Data Matrix
// with FNC1 first, without and with ECI (]d2, ]d5), QR Code likewise (]Q3,
// ]Q4), DataBar of every kind (]e0, GS1 by definition), Aztec with FNC1 first,
// without and with ECI (]z1, ]z4), DotCode (]J1) and Code 16K (]K1). PDF417
// and MicroPDF417 have no GS1 mode of their own (]L1 is the 1994 ECI
// convention); EAN/UPC (]E*) carry a GTIN but no element string.
constexpr std::array<std::string_view, 10> gs1Identifiers = {"]C1", "]d2", "]d5", "]Q3", "]Q4",
                                                             "]e0", "]z1", "]z4", "]J1", "]K1"};

}  // namespace

bool marksGS1Content(std::string_view identifier) {
    for (std::string_view gs1 : gs1Identifiers)
        if (identifier == gs1) return true;
    return false;
}

std::span<const TVekSymbology> symbologies() { return table; }

const TVekSymbology& symbologyOf(TVekBarcodeFormat format) { return table[static_cast<size_t>(format)]; }

TVekBarcodeFormats formatsOfSymbolFamily(TVekSymbolFamily family) {
    TVekBarcodeFormats result;
    for (const TVekSymbology& row : table)
        if (row.family == family) result.insert(row.format);
    return result;
}

}  // namespace orvel
