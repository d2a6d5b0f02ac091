#pragma once

#include <optional>
#include <vector>

#include "foundation/VekPerspectiveTransform.h"
#include "foundation/VekPointF.h"

namespace orvel {

// One point of a symbol's own plane and where the picture shows it.
struct TVekPointPair {
    TVekPointF symbol;
    TVekPointF picture;
};

// The plane projective map from symbol to picture that fits the pairs best in
// the least-squares sense (the linear form of the projective equations); none
// with fewer than four pairs or when they do not fix a map.
std::optional<TVekPerspectiveTransform> fitHomography(const std::vector<TVekPointPair>& pairs);

}  // namespace orvel
