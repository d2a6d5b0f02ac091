#include "aztec/VekAztecData.h"

namespace orvel {

std::string TVekAztecData::getValueAsString() const {
    std::string text;
    text.reserve(value.size());
    for (int32_t v : value) text.push_back(static_cast<char>(v & 0xFF));
    return text;
}

std::string TVekAztecData::toString() const {
    std::string text = "   Value: ";
    for (int32_t v : value) text += " " + intToStr(v);
    text += " Text=" + getValueAsString();
    text += "   X1: " + intToStr(x) + ",";
    text += "   Y1: " + intToStr(y) + ",";
    text += success ? "  decoding was succesfull" : "  decoding FAILED";
    return text;
}

}  // namespace orvel
