#include "cli/VekFamilyFormats.h"

#include "foundation/VekSymbology.h"

namespace orvel {

TVekBarcodeFormats formatsOfFamily(TVekScanFamily family) {
    switch (family) {
    case TVekScanFamily::oneD: return formatsOfSymbolFamily(TVekSymbolFamily::linear);
    case TVekScanFamily::pdf417: return formatsOfSymbolFamily(TVekSymbolFamily::pdf417);
    case TVekScanFamily::datamatrix: return formatsOfSymbolFamily(TVekSymbolFamily::dataMatrix);
    case TVekScanFamily::qrcode: return formatsOfSymbolFamily(TVekSymbolFamily::qrCode);
    case TVekScanFamily::aztec: return formatsOfSymbolFamily(TVekSymbolFamily::aztec);
    }
    return {};
}

}  // namespace orvel
