#include "ParserTestSupport.h"

#include <algorithm>

#include "foundation/VekROrvelConfiguration.h"
#include "support/TestSupport.h"

namespace orvel::test {

TVectorDouble zintWidths(const std::string& arguments) {
    const auto rows = zintDump(arguments);
    TVectorDouble widths;
    if (rows.empty()) return widths;
    const std::vector<int>& row = rows.front();
    const auto first = std::find(row.begin(), row.end(), 1);
    const auto last = std::find(row.rbegin(), row.rend(), 1).base();
    for (auto it = first; it < last;) {
        const auto next = std::find(it, last, 1 - *it);
        widths.push_back(static_cast<double>(next - it));
        it = next;
    }
    return widths;
}

TVectorDouble printedWidths(const TVectorDouble& modules, double pixelsPerModule, double spread) {
    TVectorDouble widths(modules.size());
    for (size_t i = 0; i < modules.size(); ++i)
        widths[i] = modules[i] * pixelsPerModule + (i % 2 == 0 ? spread : -spread);
    return widths;
}

TVectorDouble reversedWidths(TVectorDouble widths) {
    std::reverse(widths.begin(), widths.end());
    return widths;
}

TVectorDouble widthsOf(const std::string& modules) {
    TVectorDouble widths;
    for (char c : modules) widths.push_back(c - '0');
    return widths;
}

DiagnosticRecorder::DiagnosticRecorder() : previousDebug(orvelConfiguration.debug) {
    orvelConfiguration.debug = true;
    setDebugSink([this](const std::string& text) { texts += text + "\n"; });
}

DiagnosticRecorder::~DiagnosticRecorder() {
    setDebugSink(nullptr);
    orvelConfiguration.debug = previousDebug;
}

bool DiagnosticRecorder::contains(const std::string& text) const { return texts.find(text) != std::string::npos; }

}  // namespace orvel::test
