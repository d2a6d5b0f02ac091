#pragma once

#include <cstddef>
#include <vector>

namespace orvel {

// The darkest and lightest level around each block of a scan line's
// profile: the extremes of the block and of `reach` blocks on each side. The
// edge finder takes its contrast from them, the split-bar mender its middle
// level, so that both see the same neighbourhood of a sample.
class TVekBlockRange {
public:
    static constexpr size_t blockSize = 16;

    void measure(const float* profile, size_t count, size_t reach);
    size_t blocks() const { return lows_.size(); }
    float low(size_t block) const { return lows_[block]; }
    float high(size_t block) const { return highs_[block]; }

private:
    std::vector<float> blockLows_;
    std::vector<float> blockHighs_;
    std::vector<float> lows_;
    std::vector<float> highs_;
};

}  // namespace orvel
