#pragma once

#include "demo/DebugForm.h"
#include "foundation/VekDisplay.h"

namespace orvel {

// The demo's display for the readers' debug pictures: draws the picture and
// the lines on the debug form and shows it modally, so the reader waits
// until "ok" is pressed.
class TVekDebugFrame : public TVekDisplay {
public:
    explicit TVekDebugFrame(TVekDebugForm& form) : form_(form) {}

    void showLine(const TVekImage& picture, const TVekLine* line, const std::string& caption) override;
    void showLines(const TVekImage& picture, const TVectorLines& lines, const std::string& caption) override;
    // The points are not drawn.
    void showLinesAndPoints(const TVekImage& picture, const TVectorLines& lines, const std::vector<TVekPoint>& points,
                            const std::string& caption) override;

private:
    void show(const TVekImage& picture, const TVekLine* lines, size_t lineCount, const std::string& caption);

    TVekDebugForm& form_;
};

}  // namespace orvel
