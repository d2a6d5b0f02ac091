#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/VekImageObject.h"
#include "foundation/VekPoint.h"
#include "foundation/VekUtil.h"

namespace orvel {

using TVekBarList = std::vector<std::unique_ptr<TVekImageObject>>;

// A located linear symbol: its bar regions in order across the symbol and four
// corners. corner1 is the first bar's pixel nearest the origin and corner2 lies
// one bar length from it along the bar; corner3 is the last bar's pixel
// farthest from the origin and corner4 one bar length back. All four use the
// first bar's length.
class TVekBarcode1DObject {
public:
    explicit TVekBarcode1DObject(TVekBarList bars);

    void setWidths(const TVectorDouble& values) { widths = values; }
    const TVectorDouble& getWidths() const { return widths; }
    void setPatternFlags(int32_t flags) { patternFlags = flags; }
    int32_t getPatternFlags() const { return patternFlags; }

    TVectorDouble widths;      // set by the PDF417 reader
    int32_t patternFlags = 0;  // owned by the PDF417 reader
    int32_t angle = 0;         // Round(axis angle of the first bar - 90), degrees
    TVekBarList bars;
    TVekPoint corner1;
    TVekPoint corner2;
    TVekPoint corner3;
    TVekPoint corner4;
};

}  // namespace orvel
