#include "oned/VekLinearPhotoReader.h"

#include <algorithm>

#include "oned/VekLinearScanner.h"

namespace orvel {

namespace {

// Lines across the picture in each direction: enough that a symbol a
// twentieth of the picture high is crossed twice.
constexpr int32_t defaultLines = 48;
constexpr int32_t harderLines = 128;
constexpr int minimumInterleavedDigits = 6;

// The requested linear formats; none when only two-dimensional ones are asked.
TVekBarcodeFormats linearFormats(const TVekBarcodeFormats& asked) {
    TVekBarcodeFormats formats;
    for (int i = 0; i < barcodeFormatCount; ++i) {
        const auto format = static_cast<TVekBarcodeFormat>(i);
        if (isLinearFormat(format) && asked.asks(format)) formats.insert(format);
    }
    return formats;
}

// `count` positions spread over `extent`, from the middle outwards.
std::vector<int32_t> linePositions(int32_t extent, int32_t count) {
    count = std::min(count, extent);
    std::vector<int32_t> positions;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t offset = (k + 1) / 2 * (k % 2 == 0 ? 1 : -1);
        const int32_t middle = count / 2 + offset;
        if (middle < 0 || middle >= count) continue;
        positions.push_back(static_cast<int32_t>((middle + 0.5) * extent / count));
    }
    return positions;
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
        TVekLinearScanner scanner(grey, formats, inverted, minimumInterleavedDigits);
        for (const int32_t y : linePositions(grey.height(), lines)) scanner.scanRow(y);
        if (tryColumns && (options_.tryHarder || scanner.votes().acceptedCount() == 0))
            for (const int32_t x : linePositions(grey.width(), lines)) scanner.scanColumn(x);
        TVekBarcodes found = scanner.votes().results(inverted);
        if (!found.empty()) return found;
    }
    return {};
}

}  // namespace orvel
