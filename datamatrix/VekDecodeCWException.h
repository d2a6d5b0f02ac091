#pragma once

#include "foundation/VekException.h"

namespace orvel {

// Data Matrix codewords that do not decode (a refused latch, a truncated
// field, output arrays too small for the content).
class TVekDecodeCWException : public TVekException {
public:
    using TVekException::TVekException;
};

}  // namespace orvel
