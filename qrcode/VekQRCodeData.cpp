#include "qrcode/VekQRCodeData.h"

namespace orvel {

std::string TVekQRCodeData::getValueAsString() const {
    std::string text;
    text.reserve(value.size());
    for (int32_t v : value) {
        if (v > 0xFF && v <= 0xFFFF) text.push_back(static_cast<char>((v >> 8) & 0xFF));
        text.push_back(static_cast<char>(v & 0xFF));
    }
    return text;
}

std::string TVekQRCodeData::toString() const {
    std::string text = "   Value: ";
    for (int32_t v : value) text += " " + std::to_string(v);
    text += " Text=" + getValueAsString();
    const std::pair<const char*, int32_t> coordinates[] = {
        {"   X1: ", x1}, {"   Y1: ", y1}, {"   X2: ", x2}, {"   Y2: ", y2}, {"   X3: ", x3}, {"   Y3: ", y3}};
    for (const auto& [label, coordinate] : coordinates) text += label + std::to_string(coordinate) + ",";
    text += success ? "  decoding was succesfull" : "  decoding FAILED";
    return text;
}

}  // namespace orvel
