#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/VekPointF.h"

namespace orvel {

// Where a photo detector tells what it found (finder centres, edges, grids),
// so that a person can look at a miss. One sink per read call, handed in by
// the caller; unlike the global display it is never shared between threads.
class TVekDebugSink {
public:
    virtual ~TVekDebugSink() = default;
    virtual void line(TVekPointF from, TVekPointF to, uint32_t colour) = 0;
    virtual void point(TVekPointF at, uint32_t colour) = 0;
    virtual void note(const std::string& text) = 0;
};

// A sink that keeps everything it is told, for a test or for drawing later.
class TVekDebugDrawing : public TVekDebugSink {
public:
    struct TLine {
        TVekPointF from, to;
        uint32_t colour;
    };
    struct TMark {
        TVekPointF at;
        uint32_t colour;
    };

    std::vector<TLine> lines;
    std::vector<TMark> points;
    std::vector<std::string> notes;

    void line(TVekPointF from, TVekPointF to, uint32_t colour) override;
    void point(TVekPointF at, uint32_t colour) override;
    void note(const std::string& text) override;
};

}  // namespace orvel
