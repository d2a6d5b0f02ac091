#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "foundation/VekGreyImage.h"
#include "foundation/VekImage.h"
#include "foundation/VekPointF.h"

namespace orvel::test {

using TModuleMatrix = std::vector<std::vector<int>>;  // [row][column], 1 = dark

// The rows cut to `columns` modules (zint's dump pads rows to whole hex
// digits); columns 0 cuts a square symbol to as many columns as it has rows.
TModuleMatrix trimmedModules(const TModuleMatrix& modules, int columns = 0);

// A picture as a camera would take it: the module matrix with `quietModules`
// of light margin drawn so that the margin's outer corners (top-left,
// top-right, bottom-right, bottom-left) land on `corners`, in a light picture
// of width × height, each pixel the average of 4 × 4 sub-samples. Exchanging
// `dark` and `light` gives a light symbol on a dark ground.
TVekGreyImage renderWarped(const TModuleMatrix& modules, const std::array<TVekPointF, 4>& corners, int32_t width,
                           int32_t height, int quietModules = 2, uint8_t dark = 20, uint8_t light = 235);

// The symbol upright at `pixelsPerModule` (a fraction is allowed).
TVekGreyImage renderUpright(const TModuleMatrix& modules, double pixelsPerModule, int quietModules = 4);

// Corners of a square of side `side` pixels seen tilted: turned by a random
// angle and foreshortened as if tilted by up to `maxTiltDegrees` about a
// random axis, placed in a picture whose size is returned in width/height.
std::array<TVekPointF, 4> tiltedCorners(std::mt19937& random, double side, double maxTiltDegrees, int32_t& width,
                                        int32_t& height);

// Brightness falling from `from` at the left to `to` at the right, as a
// factor on every level.
TVekGreyImage withGradient(const TVekGreyImage& grey, double from, double to);
// Gaussian noise of the given standard deviation on every level.
TVekGreyImage withNoise(const TVekGreyImage& grey, double sigma, std::mt19937& random);
// Each row of modules reversed (a symbol seen from behind).
TModuleMatrix mirroredModules(const TModuleMatrix& modules);
// Dark and light exchanged.
TModuleMatrix invertedModules(const TModuleMatrix& modules);

// A colour picture of the grey levels, for the documented readers.
TVekImage toImage(const TVekGreyImage& grey);

}  // namespace orvel::test
