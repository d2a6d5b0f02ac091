#pragma once

#include "oned/VekBarcodeParser.h"

namespace orvel {

// Codabar: start character A, characters of seven narrow or wide elements each
// followed by a narrow gap, stop character A, B, C or D. Start and stop are not
// part of the text; a check character is not verified.
class TVekCodabarParser : public TVekBarcodeParser {
public:
    TVekCodabarParser();

    int32_t getSymbology() const override;
    bool parse() override;

    bool parseCodabar();
};

}  // namespace orvel
