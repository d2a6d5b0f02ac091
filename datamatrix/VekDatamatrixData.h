#pragma once

#include <cstdint>
#include <string>

#include "foundation/VekUtil.h"

namespace orvel {

// One Data Matrix symbol read from a picture: its output values (bytes, -1
// for control entries such as FNC1, 232 for an FNC1 met in C40 or Text) and
// the pixel position of its L corner.
class TVekDatamatrixData {
public:
    TVekDatamatrixData(TVectorInteger value, int32_t x, int32_t y);

    const TVectorInteger& getValue() const { return value; }
    // The content as bytes. Control entries (-1) carry no byte: one at the
    // start (FNC1 in first position marks GS1 data, Structured Append, a
    // macro) is left out, a later one is the FNC1 that separates GS1 fields
    // and reads as GS, the form GS1 data takes everywhere else. Other values
    // keep their low 8 bits.
    std::string getContentBytes() const;
    void setValue(TVectorInteger newValue) { value = std::move(newValue); }
    int32_t getX() const { return x; }
    void setX(int32_t newX) { x = newX; }
    int32_t getY() const { return y; }
    void setY(int32_t newY) { y = newY; }

    // "   Value:  65 66 Text=AB   X: 10,   Y: 20,"
    std::string toString() const;

private:
    TVectorInteger value;
    int32_t x;
    int32_t y;
};

using TVekDatamatrixDataArray = std::vector<TVekDatamatrixData>;

}  // namespace orvel
