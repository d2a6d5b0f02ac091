#include "datamatrix/VekDatamatrixGreyReader.h"

#include <algorithm>
#include <string>
#include <vector>

#include "datamatrix/VekDatamatrixContent.h"
#include "datamatrix/VekDatamatrixGreyGrid.h"
#include "datamatrix/VekDatamatrixGridDecoder.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"

namespace orvel {

namespace {

// The largest symbol side (modules) read from the grey picture: the clock
// fits grow with its square, and larger symbols come with larger pictures
// whose modules are seldom blurred together. Bent multi-region symbols have
// their own grid on the binarized path.
constexpr int32_t MAX_SIDE = 44;
// Sizes tried each way round: those of the grey counts, then those of the
// binarized ones.
constexpr size_t MAX_SIZES = 4;

}  // namespace

std::optional<TVekBarcode> TVekDatamatrixGreyReader::read(const TVekGreyImage& grey,
                                                          const TVekDatamatrixFrame& frame, double scale,
                                                          const std::array<int32_t, 2>& dark) {
    std::array<TVekPointF, 4> corners{};
    for (size_t i = 0; i < 4; ++i) corners[i] = (1.0 / scale) * frame.corners[i];
    const auto greyDark = TVekDatamatrixGreyGrid::darkModules(grey, corners, frame.moduleSize / scale);
    for (const bool mirrored : {false, true}) {
        // Seen from behind, the top-left and bottom-right corners change
        // places (as on the binarized path).
        const auto& c = corners;
        const std::array<TVekPointF, 4> onGrey = mirrored ? std::array{c[2], c[1], c[0], c[3]} : c;
        const auto& f = frame.corners;
        const std::array<TVekPointF, 4> upright = mirrored ? std::array{f[2], f[1], f[0], f[3]} : f;
        const size_t top = mirrored ? 1 : 0;
        std::vector<int32_t> sizes = TVekDatamatrixGridDecoder::sizesFor(greyDark[top], greyDark[1 - top]);
        for (const int32_t size : TVekDatamatrixGridDecoder::sizesFor(dark[top], dark[1 - top])) {
            if (sizes.size() < MAX_SIZES && std::find(sizes.begin(), sizes.end(), size) == sizes.end())
                sizes.push_back(size);
        }
        for (const int32_t size : sizes) {
            const auto& dims = symbolSizeRow(size);
            if (std::max(dims[DM_SYMBOL_COLS], dims[DM_SYMBOL_ROWS]) > MAX_SIDE) continue;
            const auto grid = TVekDatamatrixGreyGrid::sample(grey, onGrey, dims[DM_SYMBOL_COLS], dims[DM_SYMBOL_ROWS]);
            if (!grid) continue;
            for (int32_t kind = 0; kind < TVekDatamatrixGreyGrid::THRESHOLDS; ++kind) {
                std::string error;
                const auto codewords = TVekDatamatrixGridDecoder::decodeModules(grid->modules(kind), size, error);
                // Codeword 0 stands for nothing in any encodation, but a
                // light interior corrects to all zeros: clutter, not a symbol.
                if (!codewords || codewords->empty() || codewords->front() == 0) continue;
                TVekBarcode barcode;
                barcode.format = TVekBarcodeFormat::dataMatrix;
                barcode.position = upright;
                barcode.isMirrored = mirrored;
                TVekDatamatrixContent::decode(*codewords, barcode);
                if (barcode.isValid && !barcode.bytes.empty()) return barcode;
            }
        }
    }
    return std::nullopt;
}

}  // namespace orvel
