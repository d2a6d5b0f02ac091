#pragma once

#include <optional>
#include <string>

#include "foundation/VekUtil.h"

namespace orvel::test {

// Element widths in modules of the first row that `zint <arguments> --dump`
// prints (a 1D symbol is one row), quiet zones stripped. Empty when zint
// fails.
TVectorDouble zintWidths(const std::string& arguments);

// The widths printed at `pixelsPerModule`, with ink spread: bars `spread`
// pixels wider, spaces `spread` pixels narrower.
TVectorDouble printedWidths(const TVectorDouble& modules, double pixelsPerModule, double spread);

TVectorDouble reversedWidths(TVectorDouble widths);

// Element widths of a run of module digits ("211214" -> 2, 1, 1, 2, 1, 4).
TVectorDouble widthsOf(const std::string& modules);

// Runs the parser on the widths; the decoded text, or nothing.
template <typename Parser>
std::optional<std::string> decode(const TVectorDouble& widths, Parser parser = Parser()) {
    parser.setWidths(widths);
    if (!parser.parse()) return std::nullopt;
    return parser.getCode();
}

// Collects the diagnostic texts of the components constructed while it lives.
class DiagnosticRecorder {
public:
    DiagnosticRecorder();
    ~DiagnosticRecorder();
    DiagnosticRecorder(const DiagnosticRecorder&) = delete;
    DiagnosticRecorder& operator=(const DiagnosticRecorder&) = delete;

    bool contains(const std::string& text) const;
    const std::string& all() const { return texts; }

private:
    std::string texts;
    bool previousDebug;
};

}  // namespace orvel::test
