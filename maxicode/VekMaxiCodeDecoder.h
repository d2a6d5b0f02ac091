#pragma once

#include <optional>

#include "foundation/VekBarcode.h"
#include "maxicode/VekMaxiCodeSampler.h"

namespace orvel {

// Turns the 144 codewords of a MaxiCode symbol into its content: corrects
// the primary message (10 data and 10 check codewords) and the secondary
// message (two interleaved blocks, 20 check codewords each in the standard
// modes 2, 3, 4 and 6, 28 in the enhanced mode 5) with the Reed-Solomon code
// over GF(64), then reads the structured carrier message of modes 2 and 3
// and the text of the rest. Modes 2 and 3 come out as the carrier message's
// postal code, country and class of service, each followed by GS, placed
// after the "[)>" RS "01" GS yy header when the secondary message opens with
// one, else before it.
class TVekMaxiCodeDecoder {
public:
    // None when the primary message or the secondary message cannot be
    // corrected, or the mode is none that carries data.
    static std::optional<TVekBarcode> decode(TVekMaxiCodeCodewords codewords);
};

}  // namespace orvel
