#pragma once

#include <utility>
#include <vector>

#include "foundation/VekImageObject.h"

namespace orvel {

// A bull's-eye candidate: the region of the centre module and the region of
// the first dark ring around it, with the module size their areas suggest
// (the centre is one module, the ring sixteen).
class TVekAztecFinderPattern {
public:
    // Keeps copies of the two regions (without their edge points).
    TVekAztecFinderPattern(const TVekImageObject& centre, double moduleSize, const TVekImageObject& ring);

    TVekAztecFinderPattern(TVekAztecFinderPattern&&) noexcept = default;
    TVekAztecFinderPattern& operator=(TVekAztecFinderPattern&&) noexcept = default;

    TVekAztecFinderPattern getCopy() const;

    const TVekImageObject& getCentre() const { return centre; }
    const TVekImageObject& getRing() const { return ring; }
    double getModuleSize() const { return moduleSize; }

private:
    TVekImageObject centre;
    TVekImageObject ring;
    double moduleSize;
};

// Where the reader tries to read a symbol: one bull's-eye.
class TVekAztecLocation {
public:
    explicit TVekAztecLocation(TVekAztecFinderPattern pattern) : pattern(std::move(pattern)) {}

    const TVekAztecFinderPattern& getPattern() const { return pattern; }

private:
    TVekAztecFinderPattern pattern;
};

using TVectorAztecLocations = std::vector<TVekAztecLocation>;

}  // namespace orvel
