#pragma once

#include <cstddef>
#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekBlockRange.h"

namespace orvel {

// Finds the edges of bars in one grey profile and measures them to a
// fraction of a sample. An edge is a rise or fall between two extremes of
// the profile that differ by more than a threshold taken from the local
// contrast, so that a narrow space between two bars counts even where blur
// keeps it from reaching the light level; its position is where the profile
// crosses the middle of those two extremes, which blur and uneven light move
// the least. Keeps its scratch buffers between lines of one read.
class TVekEdgeFinder {
public:
    // The share of the local contrast a step needs: a narrow space blurred
    // between two bars keeps about a quarter of the full swing. Faint bars
    // beside dark print or in a shadow need less, at the price of edges from
    // noise on a plain ground.
    static constexpr double usualShare = 0.14;
    static constexpr double faintShare = 0.10;

    // `profile` holds `count` levels (dark low), sample k at position k of `row`.
    void find(const float* profile, size_t count, TVekBarRow& row, double share = usualShare);
    // The same profile as the last find() again, at another share: its
    // contrast is measured once per line whatever the share.
    void findAgain(const float* profile, size_t count, TVekBarRow& row, double share);

private:
    void measureBlocks(const float* profile, size_t count);
    void setThresholds(double share);
    void trace(const float* profile, size_t count, TVekBarRow& row) const;
    double threshold(size_t k) const { return thresholds_[k / blockSize]; }
    static double crossing(const float* profile, size_t from, size_t to, double level);

    static constexpr size_t blockSize = TVekBlockRange::blockSize;
    std::vector<double> thresholds_;
    // Each block's extremes over its reach: their difference is the
    // contrast the share's thresholds are taken of.
    TVekBlockRange range_;
};

}  // namespace orvel
