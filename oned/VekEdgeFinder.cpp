#include "oned/VekEdgeFinder.h"

#include <algorithm>

namespace orvel {

namespace {

// The smallest step between a bar and a space, in grey levels, whatever the
// contrast: below it sensor noise and JPEG ringing make edges.
constexpr double minimumStep = 6;
// Blocks on each side whose levels set a block's contrast.
constexpr size_t contrastReach = 3;

}  // namespace

void TVekEdgeFinder::measureBlocks(const float* profile, size_t count) {
    range_.measure(profile, count, contrastReach);
}

void TVekEdgeFinder::setThresholds(double share) {
    thresholds_.resize(range_.blocks());
    for (size_t b = 0; b < range_.blocks(); ++b)
        thresholds_[b] = std::max(minimumStep, share * (range_.high(b) - range_.low(b)));
}

double TVekEdgeFinder::crossing(const float* profile, size_t from, size_t to, double level) {
    const bool falling = profile[from] > profile[to];
    for (size_t k = from; k < to; ++k) {
        const double a = profile[k], b = profile[k + 1];
        if (falling ? (a >= level && b < level) : (a <= level && b > level))
            return static_cast<double>(k) + (a - level) / (a - b);
    }
    return 0.5 * static_cast<double>(from + to);
}

void TVekEdgeFinder::find(const float* profile, size_t count, TVekBarRow& row, double share) {
    measureBlocks(profile, count);
    setThresholds(share);
    trace(profile, count, row);
}

void TVekEdgeFinder::findAgain(const float* profile, size_t count, TVekBarRow& row, double share) {
    setThresholds(share);
    trace(profile, count, row);
}

void TVekEdgeFinder::trace(const float* profile, size_t count, TVekBarRow& row) const {
    if (count < 2) {
        row.finish(static_cast<double>(count));
        return;
    }
    // The last confirmed extreme, and the one being followed (its level and
    // the first and last sample at that level, for flat tops).
    enum class Seeking { either, high, low };
    Seeking seeking = Seeking::either;
    size_t lastAt = 0;
    float lastLevel = profile[0];
    size_t lowFirst = 0, lowLast = 0, highFirst = 0, highLast = 0;
    float low = profile[0], high = profile[0];
    size_t k = 1;
    // Until a first extreme is confirmed, both are followed.
    for (; k < count && seeking == Seeking::either; ++k) {
        const float v = profile[k];
        if (v < low) low = v, lowFirst = lowLast = k;
        else if (v == low) lowLast = k;
        if (v > high) high = v, highFirst = highLast = k;
        else if (v == high) highLast = k;
        const double step = threshold(k);
        if (v - low >= step) {
            seeking = Seeking::high;
            lastAt = lowLast, lastLevel = low;
            high = v, highFirst = highLast = k;
        } else if (high - v >= step) {
            seeking = Seeking::low;
            lastAt = highLast, lastLevel = high;
            low = v, lowFirst = lowLast = k;
        }
    }
    // Then one at a time, each loop following one kind of extreme.
    while (k < count) {
        if (seeking == Seeking::low) {
            for (; k < count; ++k) {
                const float v = profile[k];
                if (v < low) low = v, lowFirst = lowLast = k;
                else if (v == low) lowLast = k;
                if (v - low >= threshold(k)) {
                    // The low is confirmed by the rise after it: the fall
                    // before it was a space's end.
                    row.addElement(crossing(profile, lastAt, lowFirst, 0.5 * (lastLevel + low)), false);
                    seeking = Seeking::high;
                    lastAt = lowLast, lastLevel = low;
                    high = v, highFirst = highLast = k++;
                    break;
                }
            }
        } else {
            for (; k < count; ++k) {
                const float v = profile[k];
                if (v > high) high = v, highFirst = highLast = k;
                else if (v == high) highLast = k;
                if (high - v >= threshold(k)) {
                    row.addElement(crossing(profile, lastAt, highFirst, 0.5 * (lastLevel + high)), true);
                    seeking = Seeking::low;
                    lastAt = highLast, lastLevel = high;
                    low = v, lowFirst = lowLast = k++;
                    break;
                }
            }
        }
    }
    // The extreme still followed at the end has its edge too.
    if (seeking == Seeking::low && lastLevel - low >= threshold(lowFirst))
        row.addElement(crossing(profile, lastAt, lowFirst, 0.5 * (lastLevel + low)), false);
    else if (seeking == Seeking::high && high - lastLevel >= threshold(highFirst))
        row.addElement(crossing(profile, lastAt, highFirst, 0.5 * (lastLevel + high)), true);
    row.finish(static_cast<double>(count - 1));
}

}  // namespace orvel
