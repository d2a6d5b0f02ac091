#include "oned/VekLinearPhotoReader.h"

#include <algorithm>
#include <array>

#include "oned/VekLinearScanner.h"

namespace orvel {

namespace {

// Lines across the picture in each direction: enough that a symbol a
// twentieth of the picture high is crossed twice.
constexpr int32_t defaultLines = 128;
constexpr int32_t harderLines = 128;

// The requested linear formats; none when only two-dimensional ones are asked.
TVekBarcodeFormats linearFormats(const TVekBarcodeFormats& asked) {
    return asked.empty() ? TVekBarcodeFormats::linear() : asked & TVekBarcodeFormats::linear();
}

// `count` positions spread evenly over `extent`.
std::vector<int32_t> linePositions(int32_t extent, int32_t count) {
    count = std::min(count, extent);
    std::vector<int32_t> positions;
    for (int32_t k = 0; k < count; ++k) positions.push_back(static_cast<int32_t>((k + 0.5) * extent / count));
    return positions;
}

// The lines are scanned in rounds, each filling the gaps of the coarser grid
// before it, the first centred on the picture: a symbol of the usual size is
// crossed twice by the first round already, and the read stops there.
constexpr std::array<size_t, 3> roundSpacing = {4, 2, 1};

bool inRound(size_t index, size_t round) {
    const size_t shifted = index + 2;
    if (shifted % roundSpacing[round] != 0) return false;
    return round == 0 || shifted % roundSpacing[round - 1] != 0;
}

// A content one line read and no other is looked for again on lines close to
// that one: short bars, a symbol crossed by one line of the grid only, or
// glare on the neighbouring line leave it unconfirmed. The offsets in pixels,
// nearest first, and the contents so followed per picture.
constexpr std::array<int32_t, 12> confirmOffsets = {2, -2, 4, -4, 1, -1, 3, -3, 6, -6, 8, -8};
constexpr size_t maximumConfirmed = 4;

void confirmSingleReads(TVekLinearScanner& scanner, int32_t width, int32_t height) {
    for (const TVekLinearVotes::TUnconfirmed& read : scanner.votes().unconfirmed(maximumConfirmed)) {
        const int32_t line = static_cast<int32_t>(read.across);
        const int32_t extent = read.isRow ? height : width;
        for (const int32_t offset : confirmOffsets) {
            const int32_t at = line + offset;
            if (at < 0 || at >= extent) continue;
            if (read.isRow) scanner.scanRow(at);
            else scanner.scanColumn(at);
            if (scanner.acceptedCount() > 0) return;
        }
    }
}

}  // namespace

TVekBarcodes TVekLinearPhotoReader::read(TVekBinaryCache& picture) const {
    (void)debug_;
    const TVekGreyImage& grey = picture.grey();
    const TVekBarcodeFormats formats = linearFormats(options_.formats);
    if (formats.empty() || grey.empty()) return {};
    const int32_t lines = options_.tryHarder ? harderLines : defaultLines;
    const bool tryColumns = options_.tryRotate || options_.tryHarder;
    for (const bool inverted : {false, true}) {
        if (inverted && !options_.tryInvert) break;
        TVekLinearScanner scanner(grey, formats, inverted, options_.minInterleavedDigits, options_.eanAddOn);
        const std::vector<int32_t> rows = linePositions(grey.height(), lines);
        const std::vector<int32_t> columns = tryColumns ? linePositions(grey.width(), lines) : std::vector<int32_t>{};
        for (size_t round = 0; round < roundSpacing.size(); ++round) {
            for (size_t k = 0; k < rows.size(); ++k)
                if (inRound(k, round)) scanner.scanRow(rows[k]);
            if (!options_.tryHarder && scanner.acceptedCount() > 0) break;
            for (size_t k = 0; k < columns.size(); ++k)
                if (inRound(k, round)) scanner.scanColumn(columns[k]);
            if (!options_.tryHarder && scanner.acceptedCount() > 0) break;
        }
        if (!options_.tryHarder && scanner.acceptedCount() == 0)
            confirmSingleReads(scanner, grey.width(), grey.height());
        TVekBarcodes found = scanner.results();
        if (!found.empty()) return found;
    }
    return {};
}

}  // namespace orvel
