#include "pdf417/VekScanLine.h"

#include <cmath>

#include "oned/VekLineWalker.h"

namespace orvel {

TVekScanLine::TVekScanLine(const TVekImage& image, const TVekLine& line) : line(line.getCopy()), image(&image) {
    const size_t capacity = static_cast<size_t>(capacityFor(this->line));
    widths.assign(capacity, 0);
    positions.assign(capacity, 0);
    kinds.assign(capacity, 0);
    measure();
}

int32_t TVekScanLine::capacityFor(const TVekLine& line) {
    const double half = vekRound(std::fabs(line.getLength()) / 2);
    if (!std::isfinite(half) || half < 0) return 0;
    return vekRoundInt(half);
}

void TVekScanLine::measure() {
    TVekLineWalker walker(line);
    bool black = true;  // the line starts inside the start pattern's first bar
    int32_t spaceStart = 0;
    int32_t barStart = 0;
    int32_t sample = 0;
    while (const auto point = walker.nextPoint()) {
        ++sample;
        const uint32_t colour = image->getPixelAt(*point);
        // Only the two thresholded values change the colour; anything else
        // keeps the previous one.
        if (black && colour == WHITE) {
            if (count > 0) record(sample - spaceStart, spaceStart, 0);
            spaceStart = sample;
            black = false;
        } else if (!black && colour == BLACK) {
            record(sample - barStart, barStart, 1);
            barStart = sample;
            black = true;
        }
    }
}

void TVekScanLine::record(int32_t width, int32_t start, int32_t kind) {
    if (static_cast<size_t>(count) >= widths.size()) return;
    const auto at = static_cast<size_t>(count);
    widths[at] = width;
    positions[at] = start;
    kinds[at] = kind;
    ++count;
}

}  // namespace orvel
