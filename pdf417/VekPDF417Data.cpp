#include "pdf417/VekPDF417Data.h"

namespace orvel {

TVekPDF417Data::TVekPDF417Data(const TVectorInteger& values, int32_t x, int32_t y,
                               const TVectorString& macroStringFields, const TMatrixIntegerV& macroByteFields,
                               int32_t correctedErrors, int32_t ecLevel)
    : ecLevel(ecLevel),
      correctedErrors(correctedErrors),
      macroStringFields(macroStringFields),
      macroByteFields(macroByteFields),
      values(values),
      x(x),
      y(y) {}

std::string TVekPDF417Data::getValueAsString() const {
    std::string text;
    text.reserve(values.size());
    for (int32_t value : values) text += static_cast<char>(value & 0xFF);
    return text;
}

std::string TVekPDF417Data::toString() const {
    std::string text = "Value (int): ";
    for (int32_t value : values) {
        text += ' ';
        text += intToStr(value);
    }
    text += "   Value (String): ";
    text += getValueAsString();
    text += "   X: ";
    text += intToStr(x);
    text += "   Y: ";
    text += intToStr(y);
    text += "   EC Level=";
    text += intToStr(ecLevel);
    return text;
}

}  // namespace orvel
