#pragma once

#include <string>
#include <vector>

#include "foundation/VekImage.h"
#include "foundation/VekLine.h"
#include "foundation/VekUtil.h"

namespace orvel {

// Where a reader shows a picture with lines drawn over it (the Data Matrix
// reader does, when its debug flag is set). The default display shows
// nothing; the demonstration program installs one that opens its debug form
// modally.
class TVekDisplay {
public:
    virtual ~TVekDisplay() = default;
    virtual void showLine(const TVekImage& picture, const TVekLine* line, const std::string& caption);
    virtual void showLines(const TVekImage& picture, const TVectorLines& lines, const std::string& caption);
    virtual void showLinesAndPoints(const TVekImage& picture, const TVectorLines& lines,
                                    const std::vector<TVekPoint>& points, const std::string& caption);
};

// The installed display (never null). Installing nullptr restores the default;
// the caller keeps ownership of what it installs.
TVekDisplay& vekDisplay();
void setVekDisplay(TVekDisplay* display);

}  // namespace orvel
