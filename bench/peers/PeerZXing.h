#pragma once

// ZXing-C++ as a benchmark peer, whichever release the build found: 3.x
// (ReaderOptions, Barcodes, a format per symbology variant) or Debian's 1.4
// (DecodeHints, Results). Only the benchmarks include this.

#ifdef ORVEL_HAVE_ZXING

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#if __has_include(<ZXing/Version.h>)
#include <ZXing/Version.h>
#else
#include <ZXing/ZXVersion.h>
#endif

#include <string>

namespace orvel::bench {

#if ZXING_VERSION_MAJOR >= 2
using TPeerOptions = ZXing::ReaderOptions;
using TPeerResult = ZXing::Barcode;
#else
using TPeerOptions = ZXing::DecodeHints;
using TPeerResult = ZXing::Result;
#endif

inline std::string peerVersion() {
    return std::to_string(ZXING_VERSION_MAJOR) + "." + std::to_string(ZXING_VERSION_MINOR) + "." +
           std::to_string(ZXING_VERSION_PATCH);
}

// The corpus name of a peer result's symbology; empty for one the corpora
// do not hold.
inline std::string peerSymbologyName(ZXing::BarcodeFormat format) {
    using Z = ZXing::BarcodeFormat;
    switch (format) {
        case Z::EAN13: return "EAN13";
        case Z::EAN8: return "EAN8";
        case Z::UPCA: return "UPCA";
        case Z::UPCE: return "UPCE";
        default: break;
    }
#if ZXING_VERSION_MAJOR >= 3
    // A format is its symbology's key and a variant: Code 39 Standard and
    // Extended are both Code 39, ITF-14 is Interleaved 2 of 5.
    switch (ZXing::SymbologyKey(format)) {
        case 'z': return format == Z::AztecRune ? "" : "AZTEC";
        case 'F': return "CODABAR";
        case 'A': return format == Z::Code32 || format == Z::PZN ? "" : "CODE39";
        case 'C': return "CODE128";
        case 'd': return "DATAMATRIX";
        case 'I': return "INTERLEAVED25";
        case 'L': return format == Z::MicroPDF417 ? "" : "PDF417";
        case 'Q': return format == Z::MicroQRCode || format == Z::RMQRCode ? "" : "QRCODE";
        default: return "";
    }
#else
    switch (format) {
        case Z::Aztec: return "AZTEC";
        case Z::Codabar: return "CODABAR";
        case Z::Code39: return "CODE39";
        case Z::Code128: return "CODE128";
        case Z::DataMatrix: return "DATAMATRIX";
        case Z::ITF: return "INTERLEAVED25";
        case Z::PDF417: return "PDF417";
        case Z::QRCode: return "QRCODE";
        default: return "";
    }
#endif
}

}  // namespace orvel::bench

#endif
