#include "cli/VekFamilyFormats.h"

namespace orvel {

TVekBarcodeFormats formatsOfFamily(TVekScanFamily family) {
    using F = TVekBarcodeFormat;
    switch (family) {
    case TVekScanFamily::oneD: return TVekBarcodeFormats::linear();
    case TVekScanFamily::pdf417: return {F::pdf417};
    case TVekScanFamily::datamatrix: return {F::dataMatrix};
    case TVekScanFamily::qrcode: return {F::qrCode};
    case TVekScanFamily::aztec: return {F::aztec};
    }
    return {};
}

TVekScanFamily familyOfFormat(TVekBarcodeFormat format) {
    switch (format) {
    case TVekBarcodeFormat::pdf417: return TVekScanFamily::pdf417;
    case TVekBarcodeFormat::dataMatrix: return TVekScanFamily::datamatrix;
    case TVekBarcodeFormat::qrCode: return TVekScanFamily::qrcode;
    case TVekBarcodeFormat::aztec: return TVekScanFamily::aztec;
    default: return TVekScanFamily::oneD;
    }
}

}  // namespace orvel
