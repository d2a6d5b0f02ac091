#pragma once

#include "oned/VekCodeEAN13Parser.h"

namespace orvel {

// UPC-E: start guard, six digits whose parities encode the number system and
// the check digit, end guard. The text is the ten digits of the expanded
// UPC-A number after its number system, followed by the check digit.
class TVekCodeUPCEParser : public TVekCodeEAN13Parser {
public:
    int32_t getSymbology() const override;
    bool parse() override;

    bool parseUPCE();

    // The ten digits of the UPC-A number that the six UPC-E digits stand for.
    static std::string expand(std::string_view digits);
};

}  // namespace orvel
