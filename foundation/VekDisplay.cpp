#include "foundation/VekDisplay.h"

namespace orvel {

void TVekDisplay::showLine(const TVekImage&, const TVekLine*, const std::string&) {}
void TVekDisplay::showLines(const TVekImage&, const TVectorLines&, const std::string&) {}
void TVekDisplay::showLinesAndPoints(const TVekImage&, const TVectorLines&, const std::vector<TVekPoint>&,
                                     const std::string&) {}

namespace {

TVekDisplay defaultDisplay;
TVekDisplay* installedDisplay = &defaultDisplay;

}  // namespace

TVekDisplay& vekDisplay() { return *installedDisplay; }

void setVekDisplay(TVekDisplay* display) { installedDisplay = display ? display : &defaultDisplay; }

}  // namespace orvel
