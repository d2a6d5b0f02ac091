#include "datamatrix/VekDatamatrixData.h"

#include <utility>

namespace orvel {

TVekDatamatrixData::TVekDatamatrixData(TVectorInteger value, int32_t x, int32_t y)
    : value(std::move(value)), x(x), y(y) {}

std::string TVekDatamatrixData::getContentBytes() const {
    std::string bytes;
    bytes.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == -1) {
            if (i > 0) bytes += '\x1D';
            continue;
        }
        bytes += static_cast<char>(value[i] & 0xFF);
    }
    return bytes;
}

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
