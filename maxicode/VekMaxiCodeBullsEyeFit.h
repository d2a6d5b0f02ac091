#pragma once

#include <optional>

#include "foundation/VekGreyImage.h"
#include "foundation/VekPointF.h"
#include "maxicode/VekMaxiCodeBullsEyeFinder.h"

namespace orvel {

// The bull's-eye as the picture shows it: its centre, the linear map that
// takes the symbol's module widths (around the centre, up to a turn) to
// pixels, and the grey level between its dark rings and light gaps.
struct TVekMaxiCodeBullsEye {
    TVekPointF centre;
    // (x, y) in module widths maps to centre + (a x + b y, c x + d y).
    double a = 1, b = 0, c = 0, d = 1;
    double threshold = 128;
    double contrast = 0;  // light minus dark level along the rays

    TVekPointF map(TVekPointF p) const { return centre + TVekPointF{a * p.x + b * p.y, c * p.x + d * p.y}; }
    double moduleSize() const;
};

// Measures the ring edges along rays from a candidate centre with sub-pixel
// precision, moves the centre to the middle of opposite edges and fits the
// ellipse the rings make: the circle seen at an angle.
class TVekMaxiCodeBullsEyeFit {
public:
    static std::optional<TVekMaxiCodeBullsEye> fit(const TVekGreyImage& grey, const TVekMaxiCodeBullsEyeCandidate& candidate);
};

// The grey level at a point between pixel centres, bilinear; white outside.
double sampleGrey(const TVekGreyImage& grey, TVekPointF p);

}  // namespace orvel
