#pragma once

#include "foundation/VekException.h"

namespace orvel {

// A further data region of a Data Matrix symbol measured more modules than
// the symbol's first region: the first region's measure was wrong, and what
// was sampled for the candidate is abandoned.
class TVekRegionTooLargeException : public TVekException {
public:
    using TVekException::TVekException;
};

}  // namespace orvel
