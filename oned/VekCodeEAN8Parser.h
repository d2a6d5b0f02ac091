#pragma once

#include "oned/VekCodeEAN13Parser.h"

namespace orvel {

// EAN-8: start guard, four left digits of set A, centre guard, four right
// digits (the last one the check digit), end guard.
class TVekCodeEAN8Parser : public TVekCodeEAN13Parser {
public:
    int32_t getSymbology() const override;
    bool parse() override;

    bool parse8();
};

}  // namespace orvel
