#pragma once

#include <cstdint>
#include <memory>

#include "foundation/VekImage.h"
#include "foundation/VekImageObject.h"
#include "foundation/VekROrvelConfiguration.h"
#include "foundation/VekVectorizedImage.h"

namespace orvel {

// Turns a black-and-white picture into its connected dark regions whose pixel
// count lies strictly inside (minObjectSize, maxObjectSize), each with its axis
// lines. Regions come out in the order of their first pixel: top to bottom,
// left to right. The size limits are copied from the settings when the
// vectorizer is made; a caller may overwrite them before vectorize.
class TVekPAVectorizer {
public:
    TVekPAVectorizer();
    // With the size limits of the given settings instead of the process-wide ones.
    explicit TVekPAVectorizer(const TVekROrvelConfiguration& settings);

    TVekVectorizedImage vectorize(TVekImage& image) { return vectorize(image, true); }
    // With computeAxes false every region gets the placeholder axis line
    // (0, 0)-(10, 10) instead of a fitted one. The picture's visited marks are
    // cleared before and after the pass.
    TVekVectorizedImage vectorize(TVekImage& image, bool computeAxes);

    // The next dark region of the raster scan that resumes where the previous
    // call stopped, or null when the picture is exhausted.
    std::unique_ptr<TVekImageObject> nextObject(TVekImage& image);

    int32_t minObjectSize;
    int32_t maxObjectSize;
    int32_t scanX = 0;
    int32_t scanY = 0;
};

}  // namespace orvel
