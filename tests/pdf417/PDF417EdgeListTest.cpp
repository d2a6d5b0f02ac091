// The edges of a grey profile, against a plain reading of the same rule:
// follow the swings sample by sample, and place each edge where the levels
// between two extremes first cross their middle. The edge list takes short
// cuts (blocks of samples at once, the crossing as the first level past the
// middle); it must find the very same edges, to the last bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "pdf417/VekPDF417EdgeList.h"

namespace orvel {
namespace {

struct TPlainEdge {
    double position;
    bool darkAfter;
};

void addPlainEdge(const std::vector<float>& levels, int32_t from, int32_t to, double origin, double step,
                  std::vector<TPlainEdge>& edges) {
    const float middle = 0.5f * (levels[from] + levels[to]);
    const bool darkAfter = levels[to] < levels[from];
    for (int32_t j = from; j < to; ++j) {
        const float a = levels[j];
        const float b = levels[j + 1];
        const bool crosses = darkAfter ? (a >= middle && b < middle) : (a <= middle && b > middle);
        if (!crosses) continue;
        const double fraction = (middle - a) / static_cast<double>(b - a);
        edges.push_back({origin + (j + fraction) * step, darkAfter});
        return;
    }
}

std::vector<TPlainEdge> plainEdges(const std::vector<float>& levels, double origin, double step, float low, float high,
                                   double relativeContrast, double minContrast) {
    std::vector<TPlainEdge> edges;
    const auto count = static_cast<int32_t>(levels.size());
    if (count < 2) return edges;
    const double contrast = std::max(minContrast, relativeContrast * (high - low));
    if (high - low < contrast) return edges;
    int32_t lowAt = 0;
    int32_t highAt = 0;
    int32_t i = 1;
    for (; i < count; ++i) {
        if (levels[i] < levels[lowAt]) lowAt = i;
        if (levels[i] > levels[highAt]) highAt = i;
        if (levels[highAt] - levels[lowAt] >= contrast) break;
    }
    if (i >= count) return edges;
    bool rising = lowAt < highAt;
    int32_t confirmed = rising ? lowAt : highAt;
    int32_t candidate = rising ? highAt : lowAt;
    for (++i; i < count; ++i) {
        const float level = levels[i];
        const bool beyond = rising ? level > levels[candidate] : level < levels[candidate];
        const double back = rising ? levels[candidate] - level : level - levels[candidate];
        if (beyond) {
            candidate = i;
        } else if (back >= contrast) {
            addPlainEdge(levels, confirmed, candidate, origin, step, edges);
            confirmed = candidate;
            candidate = i;
            rising = !rising;
        }
    }
    if (std::abs(levels[candidate] - levels[confirmed]) >= contrast) {
        addPlainEdge(levels, confirmed, candidate, origin, step, edges);
    }
    return edges;
}

// Bars and spaces of random widths, blurred by a running mean, with noise
// and drift; whole grey levels (as a picture's rows), fractional ones (as
// sampled between pixels) or a few coarse ones (so that levels often fall
// right on the middle between two extremes), and now and then runs of
// equal levels.
std::vector<float> randomProfile(std::mt19937& rng) {
    std::uniform_int_distribution<int32_t> length(0, 600);
    std::uniform_real_distribution<float> unit(0, 1);
    const int32_t count = length(rng);
    const float noise = 12 * unit(rng) * unit(rng);
    const float blur = 0.2f + 0.8f * unit(rng);
    const float dark = 60 * unit(rng);
    const float light = dark + 200 * unit(rng);
    const float kind = unit(rng);
    const bool whole = kind < 0.4f;
    const bool coarse = kind > 0.7f;
    const float drift = 0.2f * (unit(rng) - 0.5f);
    std::normal_distribution<float> jitter(0, 1);
    std::vector<float> levels;
    levels.reserve(static_cast<size_t>(count));
    float level = light;
    int32_t left = 0;
    bool bar = false;
    for (int32_t i = 0; i < count; ++i) {
        if (left-- <= 0) {
            bar = !bar;
            left = 1 + static_cast<int32_t>(12 * unit(rng) * unit(rng));
        }
        level += blur * ((bar ? dark : light) + drift * static_cast<float>(i) - level);
        float sample = std::clamp(level + noise * jitter(rng), 0.0f, 255.0f);
        if (whole) sample = std::nearbyint(sample);
        if (coarse) sample = 20 * std::nearbyint(sample / 20);
        if (!levels.empty() && unit(rng) < 0.05f) sample = levels.back();
        levels.push_back(sample);
    }
    return levels;
}

void expectSameEdges(const TVekPDF417EdgeList& found, const std::vector<TPlainEdge>& expected, int32_t trial) {
    ASSERT_EQ(found.size(), static_cast<int32_t>(expected.size())) << "trial " << trial;
    for (int32_t k = 0; k < found.size(); ++k) {
        // Bit for bit: the readers round these positions to modules.
        EXPECT_EQ(found[k].position, expected[static_cast<size_t>(k)].position) << "trial " << trial << " edge " << k;
        EXPECT_EQ(found[k].darkAfter, expected[static_cast<size_t>(k)].darkAfter) << "trial " << trial << " edge " << k;
    }
}

TEST(PDF417EdgeList, FindsTheEdgesOfAPlainReadingOnRandomProfiles) {
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> unit(0, 1);
    TVekPDF417EdgeList edges;  // one list for all, as the scanners keep theirs
    int64_t total = 0;
    for (int32_t trial = 0; trial < 3000; ++trial) {
        const std::vector<float> levels = randomProfile(rng);
        const double origin = unit(rng) < 0.5 ? -3 : 100 * unit(rng);
        const double step = unit(rng) < 0.5 ? 1 : 0.25 + 2 * unit(rng);
        // The readers' contrasts, and others down to none at all.
        const double relative = trial % 3 == 0 ? 0.12 : 0.4 * unit(rng);
        const double least = trial % 3 == 0 ? 6 : (trial % 7 == 0 ? 0 : 10 * unit(rng));
        const auto [low, high] = levels.empty() ? std::pair{0.0f, 0.0f}
                                                : std::pair{*std::min_element(levels.begin(), levels.end()),
                                                            *std::max_element(levels.begin(), levels.end())};
        const std::vector<TPlainEdge> expected = plainEdges(levels, origin, step, low, high, relative, least);
        edges.find(levels.data(), static_cast<int32_t>(levels.size()), origin, step, relative, least);
        expectSameEdges(edges, expected, trial);
        edges.findWithin(levels.data(), static_cast<int32_t>(levels.size()), origin, step, low, high, relative, least);
        expectSameEdges(edges, expected, trial);
        if (HasFatalFailure()) return;
        total += static_cast<int64_t>(expected.size());
    }
    // The profiles did make edges, plenty of them.
    EXPECT_GT(total, 100000);
}

TEST(PDF417EdgeList, EdgesOfCleanBarsLieHalfwayAcrossEachStep) {
    // Light 200, dark 40, each level held for four samples: the edges lie
    // on the middle sample of each ramp, alternating in direction.
    std::vector<float> levels;
    for (int32_t bar = 0; bar < 6; ++bar) {
        const float level = bar % 2 == 0 ? 200.0f : 40.0f;
        for (int32_t k = 0; k < 4; ++k) levels.push_back(level);
    }
    TVekPDF417EdgeList edges;
    edges.find(levels.data(), static_cast<int32_t>(levels.size()), 0, 1);
    ASSERT_EQ(edges.size(), 5);
    for (int32_t k = 0; k < edges.size(); ++k) {
        EXPECT_DOUBLE_EQ(edges[k].position, 3.5 + 4 * k);
        EXPECT_EQ(edges[k].darkAfter, k % 2 == 0);
    }
    // A flat or too faint profile makes none.
    const std::vector<float> faint(50, 100.0f);
    edges.find(faint.data(), static_cast<int32_t>(faint.size()), 0, 1);
    EXPECT_EQ(edges.size(), 0);
}

}  // namespace
}  // namespace orvel
