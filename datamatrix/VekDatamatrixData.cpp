#include "datamatrix/VekDatamatrixData.h"

#include <utility>

namespace orvel {

TVekDatamatrixData::TVekDatamatrixData(TVectorInteger value, int32_t x, int32_t y)
    : value(std::move(value)), x(x), y(y) {}

std::string TVekDatamatrixData::toString() const {
    std::string text = "   Value: ";
    for (int32_t v : value) {
        text += ' ';
        text += intToStr(v);
    }
    text += " Text=";
    for (int32_t v : value) text += static_cast<char>(static_cast<uint8_t>(v & 0xFF));
    text += "   X: " + intToStr(x) + ",";
    text += "   Y: " + intToStr(y) + ",";
    return text;
}

}  // namespace orvel
