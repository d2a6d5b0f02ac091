#pragma once

#include <cstdint>

#include "foundation/VekImage.h"
#include "foundation/VekPolygon.h"
#include "foundation/VekUtil.h"
#include "oned/VekBarcode1DObject.h"

namespace orvel {

// Ways of reading a candidate's element widths.
inline constexpr int32_t BARS_FROM_REGIONS = 0;  // bar regions' thickness, spaces from the white between them
inline constexpr int32_t BARS_ALONG_LINE = 1;    // runs along the middle line, in modules
inline constexpr int32_t BARS_BY_DENSITY = 2;    // not available: empty list

// Measures the widths of the bars and spaces of one 1D candidate: bar, space,
// bar, ..., bar. Any mode value other than BARS_FROM_REGIONS and
// BARS_BY_DENSITY reads along the line.
class TVekBarsReader {
public:
    void readBars(int32_t mode, const TVekImage& image, const TVekBarcode1DObject& candidate,
                  TVectorDouble& widths) const;

    // Breadth-first walk (4-neighbours) over the pixels inside the polygon
    // connected to the seed, counting those of the given colour. Column 0 and
    // row 0 are never entered. The seed counts when its own pixel matches.
    int32_t countPixelsInPolygon(const TVekImage& image, const TVekPolygon& polygon, uint32_t colour,
                                 const TVekPoint& seed) const;

private:
    TVectorDouble barsFromRegions(const TVekImage& image, const TVekBarcode1DObject& candidate) const;
    double spaceBetween(const TVekImage& image, const TVekImageObject& left, const TVekImageObject& right) const;
    TVectorDouble barsAlongLine(const TVekImage& image, const TVekBarcode1DObject& candidate) const;
};

}  // namespace orvel
