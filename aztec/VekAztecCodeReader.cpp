#include "aztec/VekAztecCodeReader.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cmath>
#include <numeric>
#include <optional>
#include <string>
#include <utility>

#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekAztecDecoder.h"
#include "aztec/VekAztecGridFit.h"
#include "aztec/VekAztecModeMessage.h"
#include "aztec/VekReedSolomonAZ.h"
#include "foundation/VekModuleVote.h"
#include "foundation/VekAreaWalker.h"
#include "foundation/VekException.h"
#include "foundation/VekImageTools.h"

namespace orvel {

namespace {

// The centre module and the 5 x 5 ring around it cover 1 + 16 module areas.
constexpr double kBullsEyeModules = 17;
// Ring : centre area of a bull's-eye is 16; drawing and thresholding move it a little.
constexpr double kMinRingRatio = 15;
constexpr double kMaxRingRatio = 19;
// The mode message lies on the ring at 5 modules (compact) or 7 (full-range);
// the orientation marks sit at its corners.
constexpr int32_t kCompactRing = 5;
constexpr int32_t kFullRangeRing = 7;

bool isDark(const TVekImage& picture, const TVekPoint& point, double moduleSize) {
    return TVekModuleVote::sample(picture, point, moduleSize) == 1;
}

// A bull's-eye's two regions share their centre; pairs of regions whose
// centres lie closer than `limit` in x and in y, as (earlier, later) indices
// in region order, sorted. Sorting by x first keeps this near linear for
// pictures with many regions.
std::vector<std::pair<size_t, size_t>> concentricPairs(const std::vector<TVekImageObject>& regions, double limit) {
    std::vector<size_t> byX(regions.size());
    std::iota(byX.begin(), byX.end(), size_t{0});
    std::sort(byX.begin(), byX.end(),
              [&](size_t a, size_t b) { return regions[a].getCenter().x < regions[b].getCenter().x; });
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t p = 0; p < byX.size(); ++p) {
        const TVekPoint& a = regions[byX[p]].getCenter();
        for (size_t q = p + 1; q < byX.size(); ++q) {
            const TVekPoint& b = regions[byX[q]].getCenter();
            if (b.x - a.x >= limit) break;
            if (std::fabs(b.y - a.y) >= limit) continue;
            pairs.emplace_back(std::min(byX[p], byX[q]), std::max(byX[p], byX[q]));
        }
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

// The direction (degrees, 0 ... 90) of the sides of a square ring, from the
// ring's own pixels: their mass lies farther out towards the corners, so the
// fourfold moment sum r^2 e^(4i phi) about the centre points along a diagonal.
// The line between two extreme pixels can be off by ten degrees and more when
// a side is nearly level; this is good to a fraction of a degree. None when
// the ring offers no direction.
std::optional<double> ringSideDirection(const TVekImage& picture, const TVekImageObject& ring) {
    const int32_t left = vekRoundInt(ring.minX), top = vekRoundInt(ring.minY);
    const int32_t width = vekRoundInt(ring.maxX) - left + 1, height = vekRoundInt(ring.maxY) - top + 1;
    if (width <= 0 || height <= 0) return std::nullopt;
    std::vector<uint8_t> seen(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    std::vector<TVekPixel> pending;
    auto visit = [&](int32_t x, int32_t y) {
        if (x < left || y < top || x >= left + width || y >= top + height) return;
        uint8_t& mark = seen[static_cast<size_t>(y - top) * static_cast<size_t>(width) + (x - left)];
        if (mark != 0 || !picture.isBlack(x, y)) return;
        mark = 1;
        pending.push_back(TVekPixel{x, y});
    };
    visit(vekRoundInt(ring.seed.x), vekRoundInt(ring.seed.y));
    const double cx = ring.getCenter().x, cy = ring.getCenter().y;
    double re = 0, im = 0;
    while (!pending.empty()) {
        const TVekPixel pixel = pending.back();
        pending.pop_back();
        const double dx = pixel.x - cx, dy = pixel.y - cy;
        const double squared = dx * dx + dy * dy;
        if (squared > 0) {
            // z^4 / |z|^2 for z = dx + i dy.
            const double re2 = dx * dx - dy * dy, im2 = 2 * dx * dy;
            re += (re2 * re2 - im2 * im2) / squared;
            im += 2 * re2 * im2 / squared;
        }
        for (int32_t ny = pixel.y - 1; ny <= pixel.y + 1; ++ny)
            for (int32_t nx = pixel.x - 1; nx <= pixel.x + 1; ++nx) visit(nx, ny);
    }
    if (re == 0 && im == 0) return std::nullopt;
    double direction = std::atan2(im, re) * (180.0 / 3.14159265358979323846) / 4 - 45;
    direction = std::fmod(direction, 90.0);
    if (direction < 0) direction += 90;
    return direction;
}

// The direction among angle + k x 90 degrees that lies nearest to `near`.
double nearestQuarter(double angle, double near) {
    return angle + 90.0 * vekRound((near - angle) / 90.0);
}

// True when the core of a sampled map shows the bull's-eye: dark rings at even
// distances from the centre out to 4 (compact) or 6 (full-range) modules, light
// ones at odd distances. A tenth of the modules may be wrong. A pair of
// regions that only happened to share a centre samples garbage here, and a
// plain light area reads as a valid mode message and an empty data block.
bool showsBullsEye(const TVekAzBitMap& map, bool compact) {
    const int32_t radius = compact ? 4 : 6;
    int32_t wrong = 0;
    int32_t total = 0;
    for (int32_t y = -radius; y <= radius; ++y) {
        for (int32_t x = -radius; x <= radius; ++x) {
            const int32_t ring = std::max(std::abs(x), std::abs(y));
            const int32_t expected = ring % 2 == 0 ? TVekAzBitMap::DARK : TVekAzBitMap::LIGHT;
            if (map.getCell(x, y) != expected) ++wrong;
            ++total;
        }
    }
    return wrong * 10 <= total;
}

bool isRingOf(double ringCount, double centreCount) {
    if (!(centreCount < ringCount)) return false;
    const double ratio = ringCount / centreCount;
    return ratio >= kMinRingRatio && ratio <= kMaxRingRatio;
}

}  // namespace

TVekAztecDataArray TVekAztecCodeReader::read(TVekImage& picture) {
    TVekAztecDataArray results;
    read(picture, results);
    return results;
}

void TVekAztecCodeReader::read(TVekImage& picture, TVekAztecDataArray& results) {
    std::optional<TVekImage> working = readerBlackAndWhite(picture, enhanceContrast, binaryInput, fillHoles);
    readLocations(working ? *working : picture, results);
}

void TVekAztecCodeReader::readLocations(TVekImage& picture, TVekAztecDataArray& results) {
    const TVectorAztecLocations locations = findLocations(picture);
    for (const TVekAztecLocation& location : locations) {
        if (results.size() >= MAX_RECORDS) break;
        readLocation(picture, location, results);
    }
}

TVectorAztecLocations TVekAztecCodeReader::findLocations(TVekImage& picture) {
    picture.clearVisited();
    const double minCount = static_cast<double>(minModuleSize) * minModuleSize;
    const double maxCount = 16.0 * maxModuleSize * maxModuleSize;

    std::vector<TVekImageObject> regions;
    const std::vector<uint32_t>& pixels = picture.pixelData();
    const std::vector<uint8_t>& visited = picture.visitedMarks();
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const size_t index = static_cast<size_t>(y) * static_cast<size_t>(picture.width) + x;
            if (visited[index] != 0 || pixels[index] != BLACK) continue;
            TVekImageObject region(picture, TVekPoint(x, y));
            const double count = region.getPixelCount();
            if (!(count > minCount && count < maxCount)) continue;
            // Only the count, centre and extreme pixels are needed from here on.
            std::vector<TVekPoint>().swap(region.edgePoints);
            regions.push_back(std::move(region));
        }
    }

    TVectorAztecLocations locations;
    for (const auto& [earlier, later] : concentricPairs(regions, minModuleSize)) {
        const TVekImageObject& a = regions[earlier];
        const TVekImageObject& b = regions[later];
        const double countA = a.getPixelCount();
        const double countB = b.getPixelCount();
        const double moduleSize = std::sqrt((countA + countB) / kBullsEyeModules);
        if (isRingOf(countB, countA))
            locations.emplace_back(TVekAztecFinderPattern(a, moduleSize, b));
        else if (isRingOf(countA, countB))
            locations.emplace_back(TVekAztecFinderPattern(b, moduleSize, a));
    }
    return locations;
}

bool TVekAztecCodeReader::readLocation(const TVekImage& picture, const TVekAztecLocation& location,
                                       TVekAztecDataArray& results) {
    const TVekAztecFinderPattern& pattern = location.getPattern();
    const TVekPoint centre = pattern.getCentre().getCenter();
    const double moduleSize = pattern.getModuleSize();
    const TVekImageObject& ring = pattern.getRing();

    // Sides of the ring through its extreme pixels; each suggests where the
    // symbol's top might lie.
    const std::array<TVekLine, 4> edges = {TVekLine(ring.topmost, ring.rightmost),
                                           TVekLine(ring.leftmost, ring.bottommost),
                                           TVekLine(ring.topmost, ring.leftmost),
                                           TVekLine(ring.rightmost, ring.bottommost)};
    const std::optional<double> sideDirection = ringSideDirection(picture, ring);
    std::vector<double> tried;
    for (size_t e = 0; e < edges.size(); ++e) {
        double baseAngle = edges[e].getAngle() - (e < 2 ? 90 : 180);
        if (sideDirection) baseAngle = nearestQuarter(*sideDirection, baseAngle);
        // An edge that suggests an angle already tried would read the same again.
        const double key = std::fmod(baseAngle + 720.0, 360.0);
        if (std::find(tried.begin(), tried.end(), key) != tried.end()) continue;
        tried.push_back(key);
        TVekAztecData record;
        try {
            record = readEdge(picture, centre, baseAngle, moduleSize);
        } catch (const TVekException&) {
            // This orientation did not decode; the next edge may.
            continue;
        }
        record.x = static_cast<int32_t>(std::floor(centre.x));
        record.y = static_cast<int32_t>(std::floor(centre.y));
        record.success = true;
        results.push_back(std::move(record));
        return true;
    }
    return false;
}

TVekAztecData TVekAztecCodeReader::readEdge(const TVekImage& picture, const TVekPoint& centre, double baseAngle,
                                            double moduleSize) {
    const double angle = findOrientation(picture, centre, baseAngle, moduleSize);
    const int32_t ringDistance = compact ? kCompactRing : kFullRangeRing;
    readModeMessage(picture, ringDistance, centre, angle, moduleSize);
    try {
        return readSymbol(picture, ringDistance, centre, angle, moduleSize);
    } catch (const TVekAZReedException&) {
        if (compact) throw;
        // A large full-range symbol needs a finer grid than the bull's-eye
        // gives: fit it to the reference grid and sample again.
        const int32_t size = AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_WIDTH];
        const TVekAztecGrid fitted = fitReferenceGrid(picture, centre, TVekAztecGrid{angle, moduleSize}, size / 2);
        if (fitted.angle == angle && fitted.moduleSize == moduleSize) throw;
        return readSymbol(picture, ringDistance, centre, fitted.angle, fitted.moduleSize);
    }
}

TVekAztecData TVekAztecCodeReader::readSymbol(const TVekImage& picture, int32_t ringDistance, const TVekPoint& centre,
                                              double angle, double moduleSize) {
    const TVekAzBitMap map = sampleSymbol(picture, ringDistance, centre, layers, angle, moduleSize);
    if (!showsBullsEye(map, compact)) throw TVekAZReedException("No bull's-eye at the centre");
    const TVekAzBitString bits = readLayers(map, compact);
    TVekAztecDecoder decoder;
    const int32_t codewordSize = AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_WORD_SIZE];
    TVekAztecData record = decoder.decode(codewordSize, configuration, bits, dataCodewords);
    record.codewordSize = codewordSize;
    return record;
}

double TVekAztecCodeReader::findOrientation(const TVekImage& picture, const TVekPoint& centre, double baseAngle,
                                            double moduleSize) {
    // Only the top side of the mode-message ring has two dark corners. All four
    // quarters are tried: every edge of a square ring turned a few degrees
    // anticlockwise suggests the same base angle, a quarter clockwise of the
    // top of an upright symbol, so leaving one quarter out would lose every
    // symbol turned that way.
    for (const int32_t d : {kCompactRing, kFullRangeRing}) {
        const double distance = d * moduleSize;
        for (int32_t quarter = 0; quarter < 4; ++quarter) {
            const double theta = baseAngle + 90.0 * quarter;
            const TVekPoint side = TVekPoint::pointAt(centre.x, centre.y, theta, distance);
            const TVekPoint corner1 = TVekPoint::pointAt(side.x, side.y, theta - 90, distance);
            const TVekPoint corner2 = TVekPoint::pointAt(side.x, side.y, theta + 90, distance);
            if (isDark(picture, corner1, moduleSize) && isDark(picture, corner2, moduleSize)) {
                compact = d == kCompactRing;
                return theta;
            }
        }
    }
    // No orientation: the angle stays the base angle and compact keeps its value.
    return baseAngle;
}

void TVekAztecCodeReader::readModeMessage(const TVekImage& picture, int32_t ringDistance, const TVekPoint& centre,
                                          double angle, double moduleSize) {
    compact = ringDistance == kCompactRing;
    // A full-range side crosses the reference grid in its middle module.
    const int32_t n = compact ? 7 : 11;
    const int32_t skip = compact ? -1 : 5;
    const double half = (n - 1) / 2.0 * moduleSize;

    TVectorInteger bits;
    bits.reserve(static_cast<size_t>(modeMessageBitCount(compact)));
    for (int32_t k = 0; k < 4; ++k) {
        const double theta = angle + 90.0 * k;
        const TVekPoint middle = TVekPoint::pointAt(centre.x, centre.y, theta, ringDistance * moduleSize);
        const TVekPoint start = TVekPoint::pointAt(middle.x, middle.y, theta - 90, half);
        const TVekPoint end = TVekPoint::pointAt(middle.x, middle.y, theta + 90, half);
        const TVectorInteger side = sampleStrip(picture, TVekLine(start, end), n, skip);
        bits.insert(bits.end(), side.begin(), side.end());
    }
    const TVekAztecModeMessage message = decodeModeMessage(bits, compact);
    layers = message.layers;
    dataCodewords = message.dataCodewords;
}

TVekAzBitMap TVekAztecCodeReader::sampleSymbol(const TVekImage& picture, int32_t ringDistance,
                                               const TVekPoint& centre, int32_t layerCount, double angle,
                                               double moduleSize) {
    const bool compactSymbol = ringDistance == kCompactRing;
    configuration = findAztecConfiguration(layerCount, compactSymbol);
    if (configuration < 0)
        throw TVekAZReedException("Configuration for " + std::to_string(layerCount) + " not found");
    const TVekAztecConfigurationRow& row = AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)];
    const int32_t width = row[AZ_CONF_WIDTH];
    const int32_t height = row[AZ_CONF_HEIGHT];
    TVekAzBitMap map(width, height, compactSymbol);

    const int32_t halfWidth = (width - 1) / 2;
    const int32_t halfHeight = (height - 1) / 2;
    const TVekPoint leftOfCentre = TVekPoint::pointAt(centre.x, centre.y, angle - 90, halfWidth * moduleSize);
    for (int32_t i = 0; i < height; ++i) {
        const TVekPoint rowStart =
            TVekPoint::pointAt(leftOfCentre.x, leftOfCentre.y, angle, (halfHeight - i) * moduleSize);
        const TVekPoint rowEnd = TVekPoint::pointAt(rowStart.x, rowStart.y, angle + 90, (width - 1) * moduleSize);
        const TVectorInteger modules = sampleStrip(picture, TVekLine(rowStart, rowEnd), width, -1);
        for (int32_t j = 0; j < width; ++j) map.setCell(j - halfWidth, i - halfHeight, modules[static_cast<size_t>(j)]);
    }
    return map;
}

TVectorInteger TVekAztecCodeReader::sampleStrip(const TVekImage& picture, const TVekLine& line, int32_t n,
                                                int32_t skip) {
    TVectorInteger modules;
    if (n <= 0) return modules;
    modules.reserve(static_cast<size_t>(n));
    const double step = n > 1 ? line.getLength() / (n - 1) : line.getLength();
    for (int32_t k = 0; k < n; ++k) {
        if (k == skip) continue;
        // A line of no length has every module at its start.
        const TVekPoint point = line.getLength() > 0 ? line.getPointAt(k * step) : line.getStart();
        modules.push_back(TVekModuleVote::sample(picture, point, step));
    }
    return modules;
}

}  // namespace orvel
