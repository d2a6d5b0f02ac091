#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvel {

// The edges of a grey profile (levels sampled along a line at a fixed step),
// each placed with sub-sample precision where the level crosses the middle
// between the extremes on either side of it. An extreme only counts once the
// level has moved away from it by the contrast given, so noise and the
// slow drift of lighting make no edges while a thin, blurred element
// still does.
class TVekPDF417EdgeList {
public:
    struct TEdge {
        double position;  // in the profile's units
        bool darkAfter;   // light to dark along the profile: a bar begins
    };

    // The profile's samples, the first at `origin`, one every `step`; the
    // previous edges are replaced. `relativeContrast` of the profile's
    // range, at least `minContrast` levels, makes an extreme.
    void find(const float* levels, int32_t count, double origin, double step, double relativeContrast = 0.12,
              double minContrast = 6);
    // The same for a profile whose lowest and highest levels the caller
    // already knows (measured while sampling it).
    void findWithin(const float* levels, int32_t count, double origin, double step, float low, float high,
                    double relativeContrast = 0.12, double minContrast = 6);

    const std::vector<TEdge>& edges() const { return edges_; }
    int32_t size() const { return static_cast<int32_t>(edges_.size()); }
    const TEdge& operator[](int32_t i) const { return edges_[static_cast<size_t>(i)]; }
    // The first edge at or after `position`, or size().
    int32_t firstAtOrAfter(double position) const;
    // The same edges read from the other end: positions negated, order and
    // direction turned round.
    void reverseInto(TVekPDF417EdgeList& reversed) const;
    // The same edges, each at the whole number nearest to
    // (position - offset) / scale.
    void snappedInto(TVekPDF417EdgeList& snapped, double scale, double offset) const;

private:
    // The edge between two extremes, where the levels first cross their
    // middle.
    inline void addEdge(const float* levels, int32_t from, int32_t to, double origin, double step);

    std::vector<TEdge> edges_;
};

}  // namespace orvel
