#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekPerspectiveTransform.h"
#include "maxicode/VekMaxiCodeBullsEyeFit.h"
#include "maxicode/VekMaxiCodeGrid.h"

namespace orvel {

// The codewords read off one placement of the grid.
using TVekMaxiCodeCodewords = std::array<uint8_t, TVekMaxiCodeGrid::codewords>;

// Lays the module grid over the picture: turns the fitted bull's-eye until
// the orientation clusters match, then lets the grid's corners move to
// where the modules look sharpest (a view in perspective bends the grid away
// from the bull's-eye's affine map), and reads the 864 data modules.
class TVekMaxiCodeSampler {
public:
    TVekMaxiCodeSampler(const TVekGreyImage& grey, const TVekMaxiCodeBullsEye& eye) : grey_(grey), eye_(eye) {}

    // The grid placed by the bull's-eye alone, turned to match the
    // orientation clusters; none when no turn matches them well.
    std::optional<TVekPerspectiveTransform> orient() const;
    // The placement fitted to where the dark modules are: each dark module
    // with at most one dark neighbour pulls the grid towards the middle of
    // the ink around it, and a plane projective map is fitted to all of them
    // (a view in perspective, or a printer's uneven scale); none when too
    // few modules stand alone.
    std::optional<TVekPerspectiveTransform> fitToModules(const TVekPerspectiveTransform& placement) const;
    // The placement moved, corner by corner, to where the modules' grey
    // levels stand farthest from the threshold.
    TVekPerspectiveTransform refine(const TVekPerspectiveTransform& placement) const;
    // The codewords under a placement: each module's grey level (averaged
    // over its middle) against the bull's-eye's threshold, or against the
    // binarized picture when one is given.
    TVekMaxiCodeCodewords read(const TVekPerspectiveTransform& placement, const TVekBitMatrix* bits = nullptr) const;

    // The placement's corner points in the picture (the grid's outline).
    static std::array<TVekPointF, 4> corners(const TVekPerspectiveTransform& placement);

private:
    // The middle of the ink within half a module of a point; none when
    // there is hardly any.
    std::optional<TVekPointF> inkCentre(TVekPointF at, double radius) const;
    // How far the modules stand from the threshold, summed: larger is sharper.
    double sharpness(const TVekPerspectiveTransform& placement) const;

    const TVekGreyImage& grey_;
    TVekMaxiCodeBullsEye eye_;
};

}  // namespace orvel
