#include "foundation/VekBarcode.h"

#include <cmath>
#include <string_view>

#include "foundation/VekSymbology.h"
#include "foundation/VekTextEscapes.h"
#include "foundation/VekTextDecoder.h"

namespace orvel {

namespace {

// The character set of bytes no ECI designator names.
const char* defaultCharset(TVekBarcodeFormat format, std::string_view bytes) {
    switch (symbologyOf(format).charset) {
        case TVekDefaultCharset::cp437: return "CP437";
        case TVekDefaultCharset::utf8OrSjis:
            // Byte mode is ISO 8859-1 by the standard, but writers put UTF-8
            // and Shift JIS there without saying so; plain ASCII converts the
            // same either way.
            if (isValidUtf8(bytes)) return "UTF-8";
            if (looksLikeShiftJis(bytes)) return "SHIFT_JIS";
            return "ISO-8859-1";
        case TVekDefaultCharset::latin1: return "ISO-8859-1";
    }
    return "ISO-8859-1";
}

}  // namespace

std::string TVekBarcode::text() const {
    const std::string_view content(bytes);
    const size_t firstMark = eciMarks.empty() ? content.size() : std::min(eciMarks.front().offset, content.size());
    std::string result = toUtf8(content.substr(0, firstMark), defaultCharset(format, content.substr(0, firstMark)));
    for (size_t i = 0; i < eciMarks.size(); ++i) {
        const size_t start = std::min(eciMarks[i].offset, content.size());
        const size_t end = i + 1 < eciMarks.size() ? std::min(eciMarks[i + 1].offset, content.size()) : content.size();
        if (end <= start) continue;
        result += toUtf8(content.substr(start, end - start), eciCharset(eciMarks[i].eci));
    }
    return result;
}

std::string TVekBarcode::text(TVekTextMode mode) const {
    switch (mode) {
        case TVekTextMode::plain: break;
        case TVekTextMode::hri:
            if (isGS1() && !bytes.empty()) return escapeControlCharacters(TVekGS1Parser::readableForm(bytes));
            return escapeControlCharacters(text());
        case TVekTextMode::escaped: return escapeControlCharacters(text());
        case TVekTextMode::bytes: return hexadecimal(bytes);
    }
    return text();
}

bool TVekBarcode::isGS1() const { return marksGS1Content(symbologyIdentifier); }

TVekGS1Content TVekBarcode::gs1() const {
    if (!isGS1()) return {};
    return TVekGS1Parser::parse(bytes);
}

TVekPointF TVekBarcode::centre() const {
    TVekPointF sum{};
    for (const TVekPointF& corner : position) sum = sum + corner;
    return 0.25 * sum;
}

void TVekBarcode::setOrientationFromPosition() {
    const TVekPointF top = position[1] - position[0];
    orientation = std::atan2(top.y, top.x) * 180.0 / 3.14159265358979323846;
}

}  // namespace orvel
