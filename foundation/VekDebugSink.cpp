#include "foundation/VekDebugSink.h"

namespace orvel {

void TVekDebugDrawing::line(TVekPointF from, TVekPointF to, uint32_t colour) { lines.push_back({from, to, colour}); }

void TVekDebugDrawing::point(TVekPointF at, uint32_t colour) { points.push_back({at, colour}); }

void TVekDebugDrawing::note(const std::string& text) { notes.push_back(text); }

}  // namespace orvel
