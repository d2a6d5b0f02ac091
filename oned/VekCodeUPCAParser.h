#pragma once

#include "oned/VekCodeEAN13Parser.h"

namespace orvel {

// UPC-A: start guard, six left digits of set A, centre guard, six right
// digits (the last one the check digit), end guard.
class TVekCodeUPCAParser : public TVekCodeEAN13Parser {
public:
    int32_t getSymbology() const override;
    bool parse() override;

    bool parseUPCA();
};

}  // namespace orvel
