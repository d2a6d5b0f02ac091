#pragma once

#include <cstdint>

#include "foundation/VekImage.h"
#include "foundation/VekLine.h"
#include "foundation/VekUtil.h"

namespace orvel {

// The edge-to-edge distances along one scan line drawn across a PDF417
// symbol. Distance j runs from the start of element j to the start of element
// j + 2 (a bar start to the next bar start, or a space start to the next space
// start), so a 17-module symbol character is eight consecutive distances.
// The first distance holds the partial first bar and is never used.
class TVekScanLine {
public:
    // Copies the line and measures it on the picture, which must outlive the
    // scan line.
    TVekScanLine(const TVekImage& image, const TVekLine& line);

    // A new scan line of the same picture and line, measured again.
    TVekScanLine getCopy() const { return TVekScanLine(*image, line); }

    const TVekLine& getLine() const { return line; }
    int32_t getCount() const { return count; }
    const TVectorInteger& getWidths() const { return widths; }
    const TVectorInteger& getPositions() const { return positions; }
    const TVectorInteger& getKinds() const { return kinds; }

    // The capacity of the three arrays, Round(line length / 2): elements
    // narrower than two samples cannot be measured anyway, and changes beyond
    // the capacity are not recorded.
    static int32_t capacityFor(const TVekLine& line);

private:
    void measure();
    void record(int32_t width, int32_t start, int32_t kind);

    TVekLine line;
    const TVekImage* image;
    TVectorInteger widths;     // in samples
    TVectorInteger positions;  // sample index where each distance starts
    TVectorInteger kinds;      // 1: starts at a bar (light to dark), 0: at a space
    int32_t count = 0;
};

}  // namespace orvel
