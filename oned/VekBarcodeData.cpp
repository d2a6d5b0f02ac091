#include "oned/VekBarcodeData.h"

#include "foundation/VekUtil.h"

namespace orvel {

std::string symbologyName(int32_t symbology) {
    switch (symbology) {
    case SYMBOLOGY_CODE128: return "CODE128";
    case SYMBOLOGY_EAN8: return "EAN8";
    case SYMBOLOGY_EAN13: return "EAN13";
    case SYMBOLOGY_UPCA: return "UPCA";
    case SYMBOLOGY_UPCE: return "UPCE";
    case SYMBOLOGY_CODE39: return "CODE39";
    case SYMBOLOGY_INTERLEAVED25: return "INTERLEAVED25";
    case SYMBOLOGY_IDENTCODE: return "IDENTCODE";
    case SYMBOLOGY_CODABAR: return "CODABAR";
    default: return "";
    }
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
