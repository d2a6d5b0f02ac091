#pragma once

#include <cstdint>
#include <string>

#include "foundation/VekUtil.h"

namespace orvel {

// A real boxed for a TVekVector.
class TVekDouble {
public:
    double value = 0;

    explicit TVekDouble(double value) : value(value) {}
    explicit TVekDouble(int32_t value) : value(value) {}

    // Ties round to even: 2.5 gives 2, 3.5 gives 4.
    int32_t intValue() const { return vekRoundInt(value); }
};

// A text boxed for a list; keeps its own copy.
class TVekString {
public:
    std::string value;

    explicit TVekString(std::string text) : value(std::move(text)) {}
};

}  // namespace orvel
