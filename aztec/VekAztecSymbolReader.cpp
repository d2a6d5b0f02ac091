#include "aztec/VekAztecSymbolReader.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekAztecCoreFit.h"
#include "aztec/VekAztecGridRefiner.h"
#include "aztec/VekAztecModuleSampler.h"
#include "aztec/VekAztecOrientation.h"
#include "aztec/VekAztecPhotoDecoder.h"

namespace orvel {

namespace {

constexpr int32_t kRuneSize = 11;

// Rings 0 ... 4 (compact) or 0 ... 6 (full-range) dark at even distances from
// the centre; a tenth of the modules may be wrong.
bool showsBullsEye(const TVekBitMatrix& bits, const TVekAztecModuleSampler& frame, bool compact) {
    const int32_t radius = compact ? 4 : 6;
    int32_t wrong = 0;
    for (int32_t y = -radius; y <= radius; ++y)
        for (int32_t x = -radius; x <= radius; ++x)
            if (frame.dark(bits, x, y) != (std::max(std::abs(x), std::abs(y)) % 2 == 0)) ++wrong;
    const int32_t total = (2 * radius + 1) * (2 * radius + 1);
    return wrong * 10 <= total;
}

TVekAzBitMap sampleMap(const TVekBitMatrix& bits, const TVekPerspectiveTransform& transform, int32_t size,
                       bool compact) {
    const TVekAztecModuleSampler symbol(transform);
    TVekAzBitMap map(size, size, compact);
    for (int32_t y = map.getMinY(); y <= map.getMaxY(); ++y)
        for (int32_t x = map.getMinX(); x <= map.getMaxX(); ++x)
            map.setCell(x, y, symbol.dark(bits, x, y) ? TVekAzBitMap::DARK : TVekAzBitMap::LIGHT);
    return map;
}

// The grey level under a point, interpolated between the four pixels around
// it; dark and light exchanged for an inverted pass.
double greyAt(const TVekGreyImage& grey, bool inverted, TVekPointF p) {
    const double fx = p.x - 0.5, fy = p.y - 0.5;
    if (!std::isfinite(fx) || !std::isfinite(fy)) return inverted ? 0 : 255;
    const int32_t x = static_cast<int32_t>(std::floor(fx)), y = static_cast<int32_t>(std::floor(fy));
    const double ax = fx - x, ay = fy - y;
    const double level = (1 - ay) * ((1 - ax) * grey.getOrWhite(x, y) + ax * grey.getOrWhite(x + 1, y)) +
                         ay * ((1 - ax) * grey.getOrWhite(x, y + 1) + ax * grey.getOrWhite(x + 1, y + 1));
    return inverted ? 255 - level : level;
}

// The modules from the grey picture, dark below the level half-way between
// the mean levels of the bull's-eye's dark and light modules.
TVekAzBitMap sampleGreyMap(const TVekGreyImage& grey, bool inverted, const TVekPerspectiveTransform& transform,
                           int32_t size, bool compact) {
    const TVekAztecModuleSampler symbol(transform);
    const int32_t radius = compact ? 4 : 6;
    double dark = 0, light = 0;
    int32_t darkCount = 0, lightCount = 0;
    for (int32_t y = -radius; y <= radius; ++y) {
        for (int32_t x = -radius; x <= radius; ++x) {
            const double level = greyAt(grey, inverted, symbol.at(x, y));
            if (std::max(std::abs(x), std::abs(y)) % 2 == 0) {
                dark += level;
                ++darkCount;
            } else {
                light += level;
                ++lightCount;
            }
        }
    }
    const double threshold = (dark / darkCount + light / lightCount) / 2;
    const double contrast = std::fabs(light / lightCount - dark / darkCount);
    std::vector<double> levels(static_cast<size_t>(size) * static_cast<size_t>(size));
    const int32_t half = (size - 1) / 2;
    auto level = [&](int32_t x, int32_t y) -> double& {
        return levels[static_cast<size_t>(y + half) * static_cast<size_t>(size) + static_cast<size_t>(x + half)];
    };
    for (int32_t y = -half; y <= half; ++y)
        for (int32_t x = -half; x <= half; ++x)
            level(x, y) = greyAt(grey, inverted, symbol.at(x, y));
    TVekAzBitMap map(size, size, compact);
    for (int32_t y = -half; y <= half; ++y) {
        for (int32_t x = -half; x <= half; ++x) {
            // Blur pulls a lone light module between dark ones below the
            // symbol's mid level: where the neighbourhood has both levels,
            // its own mid level decides.
            double lowest = 255, highest = 0;
            for (int32_t ny = std::max(y - 2, -half); ny <= std::min(y + 2, half); ++ny)
                for (int32_t nx = std::max(x - 2, -half); nx <= std::min(x + 2, half); ++nx) {
                    lowest = std::min(lowest, level(nx, ny));
                    highest = std::max(highest, level(nx, ny));
                }
            const double local = highest - lowest > contrast / 2 ? (highest + lowest) / 2 : threshold;
            map.setCell(x, y, level(x, y) < local ? TVekAzBitMap::DARK : TVekAzBitMap::LIGHT);
        }
    }
    return map;
}

void setPosition(TVekBarcode& barcode, const TVekPerspectiveTransform& symbol, int32_t size, bool mirrored) {
    const double edge = size / 2.0;
    barcode.position = {symbol.map(TVekPointF{-edge, -edge}), symbol.map(TVekPointF{edge, -edge}),
                        symbol.map(TVekPointF{edge, edge}), symbol.map(TVekPointF{-edge, edge})};
    barcode.isMirrored = mirrored;
    barcode.setOrientationFromPosition();
}

std::optional<TVekBarcode> readAs(const TVekBitMatrix& bits, const TVekGreyImage& grey, bool inverted,
                                  TVekAztecCoreFit& core, bool compact) {
    const auto frame = core.frame(compact);
    if (!frame) return std::nullopt;
    const TVekAztecModuleSampler rings(*frame);
    if (!showsBullsEye(bits, rings, compact)) return std::nullopt;
    const int32_t ring = compact ? 5 : 7;
    std::array<bool, 12> marks{};
    const auto modules = TVekAztecOrientation::markModules(ring);
    for (size_t i = 0; i < marks.size(); ++i) marks[i] = rings.dark(bits, modules[i][0], modules[i][1]);
    const auto orientation = TVekAztecOrientation::match(marks);
    if (!orientation) return std::nullopt;
    const TVekPerspectiveTransform symbol = frame->after(orientation->symbolToFrame());

    const auto mode = TVekAztecPhotoDecoder::readMode(sampleMap(bits, symbol, 2 * ring + 1, compact), compact);
    if (!mode) return std::nullopt;
    if (mode->rune) {
        TVekBarcode barcode = TVekAztecPhotoDecoder::runeBarcode(mode->runeValue);
        setPosition(barcode, symbol, kRuneSize, orientation->mirrored);
        return barcode;
    }
    const int32_t configuration = findAztecConfiguration(mode->message.layers, compact);
    if (configuration < 0) return std::nullopt;
    const int32_t size = AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_WIDTH];
    TVekBarcode barcode = TVekAztecPhotoDecoder::decode(sampleMap(bits, symbol, size, compact), *mode);
    TVekPerspectiveTransform fitted = symbol;
    if (!barcode.isValid) {
        // The bull's-eye's map drifts towards the border of a larger symbol.
        fitted = TVekAztecGridRefiner::refine(bits, symbol, compact, size);
        TVekBarcode again = TVekAztecPhotoDecoder::decode(sampleMap(bits, fitted, size, compact), *mode);
        if (!again.isValid)
            again = TVekAztecPhotoDecoder::decode(sampleGreyMap(grey, inverted, fitted, size, compact), *mode);
        if (again.isValid) barcode = std::move(again);
    }
    setPosition(barcode, fitted, size, orientation->mirrored);
    return barcode;
}

}  // namespace

std::optional<TVekBarcode> TVekAztecSymbolReader::read(const TVekBitMatrix& bits, const TVekGreyImage& grey,
                                                       bool inverted, const TVekAztecBullsEyeCandidate& candidate) {
    TVekAztecCoreFit core(bits, candidate);
    std::optional<TVekBarcode> failed;
    for (const bool compact : {true, false}) {
        std::optional<TVekBarcode> barcode = readAs(bits, grey, inverted, core, compact);
        if (barcode && barcode->isValid) return barcode;
        if (barcode && !failed) failed = std::move(barcode);
    }
    return failed;
}

}  // namespace orvel
