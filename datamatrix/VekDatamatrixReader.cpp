#include "datamatrix/VekDatamatrixReader.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <tuple>
#include <utility>

#include "datamatrix/VekDatamatrixCWDecoder.h"
#include "datamatrix/VekDatamatrixDecoder.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"
#include "datamatrix/VekDecodeCWException.h"
#include "datamatrix/VekLFinder.h"
#include "datamatrix/VekRegionTooLargeException.h"
#include "foundation/VekDisplay.h"
#include "foundation/VekHistogram.h"
#include "foundation/VekImageTools.h"
#include "foundation/VekROrvelConfiguration.h"
#include "foundation/VekVectorizedImage.h"
#include "oned/VekPAVectorizer.h"

namespace orvel {

namespace {

// The perpendicular to `line` through `point`; intersected as an infinite
// line, so only its direction matters.
TVekLine perpendicularThrough(const TVekLine& line, const TVekPoint& point) {
    return TVekLine(point.x, point.y, point.x - (line.y2 - line.y1), point.y + (line.x2 - line.x1));
}

// Forgets the picture of a read when the read ends, however it ends.
class TImageScope {
public:
    TImageScope(TVekImage*& slot, TVekImage& picture) : slot(slot) { slot = &picture; }
    ~TImageScope() { slot = nullptr; }
    TImageScope(const TImageScope&) = delete;
    TImageScope& operator=(const TImageScope&) = delete;

private:
    TVekImage*& slot;
};

}  // namespace

TVekDatamatrixReader::TVekDatamatrixReader() : debug(orvelConfiguration.debug) {}

TVekDatamatrixReader::TVekDatamatrixReader(const TVekROrvelConfiguration& settings)
    : debug(settings.debug), settings_(settings) {}

TVekDatamatrixDataArray TVekDatamatrixReader::read(TVekImage& picture) {
    TVekDatamatrixDataArray result;
    read(picture, result);
    return result;
}

void TVekDatamatrixReader::read(TVekImage& picture, TVekDatamatrixDataArray& result) {
    result.clear();
    TVekDatamatrixDataArray found;
    if (adjustContrast) TVekHistogram(picture).stretchContrast();
    std::optional<TVekImage> blackAndWhite;
    if (!imageIsBlackAndWhite) blackAndWhite = toBlackAndWhite(picture);
    TVekImage& working = blackAndWhite ? *blackAndWhite : picture;
    const TImageScope scope(image, working);

    TVekPAVectorizer vectorizer = settings_ ? TVekPAVectorizer(*settings_) : TVekPAVectorizer();
    vectorizer.minObjectSize = minRegionPixels;
    vectorizer.maxObjectSize = maxRegionPixels;
    const TVekVectorizedImage vectorized = vectorizer.vectorize(working, false);
    TVekLFinder finder = settings_ ? TVekLFinder(*settings_) : TVekLFinder();
    for (const std::unique_ptr<TVekImageObject>& region : vectorized.getObjects()) {
        for (const TVekLPattern& candidate : finder.findLPatterns(*region, working)) {
            readCandidate(candidate.line1, candidate.line2, found);
        }
    }
    result = std::move(found);
}

void TVekDatamatrixReader::readCandidate(const TVekLine& line1, const TVekLine& line2,
                                         TVekDatamatrixDataArray& found) {
    resetRegions();
    // A symbol already read at this corner (the box candidate and the corner
    // candidate of an upright symbol describe the same L).
    for (const TVekDatamatrixData& record : found) {
        if (std::fabs(record.getX() - line1.x1) < 10 && std::fabs(record.getY() - line1.y1) < 10) return;
    }

    std::vector<TIntegerMatrix> regions;
    try {
        readRegion(line1, line2, regions, 0, 0);
    } catch (const TVekRegionTooLargeException&) {
        regions.clear();
    }
    if (regions.empty()) return;

    const std::optional<TVectorInteger> codewords = decodeCodewords(regions);
    if (!codewords || codewords->empty()) return;

    const size_t outputSize = 2 * codewords->size();
    TVectorString texts(outputSize);
    TVectorInteger values(outputSize);
    int32_t pos = 0;
    int32_t count = 0;
    try {
        TVekDatamatrixCWDecoder().decode(pos, *codewords, texts, values, count);
    } catch (const TVekDecodeCWException&) {
        return;
    }
    if (count < 0 || static_cast<size_t>(count) > outputSize) return;
    found.emplace_back(TVectorInteger(values.begin(), values.begin() + count), vekRoundInt(line1.x1),
                       vekRoundInt(line2.y1));
}

std::optional<TVectorInteger> TVekDatamatrixReader::decodeCodewords(const std::vector<TIntegerMatrix>& regions) const {
    // Any failure of the placement or the correction (an uncorrectable block
    // above all) means this candidate is not read.
    try {
        TVekDatamatrixDecoder decoder;
        decoder.setSymbolSize(symbolSizeIndex);
        TVectorInteger codewords;
        decoder.decodeRegions(regions, regionsUp, codewords, regionsAcross);
        return codewords;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void TVekDatamatrixReader::readRegion(const TVekLine& side1, const TVekLine& side2,
                                      std::vector<TIntegerMatrix>& regions, int32_t p, int32_t q) {
    regions.clear();
    const bool firstRegion = p == 0 && q == 0;
    // Sides shorter than a pixel give no direction to scan along.
    if (!isWalkable(side1) || !isWalkable(side2) || side1.getLength() < 1 || side2.getLength() < 1) return;
    const TVekPoint corner = side1.intersect(side2);
    if (debug) {
        showLine(side1, "long line");
        showLine(side2, "short line");
    }

    // The opposite corner of a square on the two sides; sides of clearly
    // different lengths are both taken as long as the longer one.
    const double length1 = side1.getLength();
    const double length2 = side2.getLength();
    double extent1 = length1;
    double extent2 = length2;
    if (std::fabs(length1 - length2) >= 0.1 * length1) extent1 = extent2 = std::max(length1, length2);
    const TVekLine across1 = perpendicularThrough(side1, side1.getPointAt(extent1));
    const TVekLine across2 = perpendicularThrough(side2, side2.getPointAt(extent2));
    const TVekLine diagonal(corner, across1.intersect(across2));
    if (!isWalkable(diagonal)) return;
    if (debug) {
        showLines({side1, side2, across1, across2}, "square");
        showLine(diagonal, "bisect");
    }

    TProfile profile1;
    TProfile profile2;
    const int32_t steps = buildProfiles(side1, side2, diagonal, profile1, profile2);

    TPeak peak1;
    TPeak peak2;
    int32_t start1 = 0;
    bool keepPeak1 = false;
    while (start1 < steps) {
        if (!keepPeak1) {
            if (!findClockPeak(profile1.scaled, profile1.raw, peak1, steps, start1)) return;
            start1 = peak1.drop;
        }
        const int32_t window = vekRoundInt(0.15 * steps);
        const int32_t narrowWindow = stepsPerModule > 0 ? stepsPerModule : window;
        const int32_t first2 = keepPeak1 ? peak2.drop : peak1.peak - narrowWindow;
        bool found2 = findClockPeak(profile2.scaled, profile2.raw, peak2, peak1.drop + narrowWindow, first2);
        if (!found2 && narrowWindow < window && !keepPeak1) {
            found2 = findClockPeak(profile2.scaled, profile2.raw, peak2, peak1.drop + window, peak1.peak - window);
        }
        keepPeak1 = false;
        if (!found2) continue;

        // From here a failure looks for the next peak of side2 with the same
        // peak of side1.
        keepPeak1 = true;
        const std::optional<TVekLine>& peakLine1 = profile1.lines[peak1.peak];
        const std::optional<TVekLine>& beyond1 = profile1.lines[peak1.drop];
        const std::optional<TVekLine>& peakLine2 = profile2.lines[peak2.peak];
        const std::optional<TVekLine>& beyond2 = profile2.lines[peak2.drop];
        if (!peakLine1 || !beyond1 || !peakLine2 || !beyond2) continue;

        const auto clockLines = [&](bool firstTry) {
            const TVekLine g = clockMidLine(side1, *peakLine1, firstTry, profile1, peak1.drop, peak1.peak, *beyond2);
            const TVekLine h = clockMidLine(side2, *peakLine2, firstTry, profile2, peak2.drop, peak2.peak, *beyond1);
            if (debug && firstTry) {
                const TVekPoint crossing = g.intersect(h);
                showLinesAndPoints({g, h, side2, side1}, {crossing, crossing}, "mids");
            }
            return std::pair<TVekLine, TVekLine>(boundedLine(side1, g, h), boundedLine(side2, h, g));
        };
        TVekLine clock1;
        TVekLine clock2;
        std::tie(clock1, clock2) = clockLines(true);
        if (debug) showLines({clock1, clock2, side2, side1}, "bounded");
        int32_t modules = countRegionModules(clock1, clock2);
        if (modules != -1 && !isRegionSize(modules, modules)) modules = -1;
        if (modules == -1) {
            std::tie(clock1, clock2) = clockLines(false);
            if (debug) {
                showLine(clock1, "try 2 bounded mid line 1");
                showLine(clock2, "try 2 bounded mid line 2");
            }
            modules = countRegionModules(clock1, clock2);
        }

        if (!firstRegion) {
            if (modules < regionSize) continue;
            if (modules > regionSize) throw TVekRegionTooLargeException("Region too large");
        } else {
            if (!isRegionSize(modules, modules)) continue;
            regionSize = modules;
            stepsPerModule = vekRoundInt(static_cast<double>(peak1.peak) / modules);
        }

        if (firstRegion) regionMatrixTable.clear();
        regionMatrixTable.put(regionKey(p, q), TVekHashEntry(sampleRegion(side1, side2, clock1, clock2, modules)));
        queueNeighbours(side1, side2, *beyond1, *beyond2, p, q);
        if (!firstRegion) return;

        try {
            readQueuedRegions();
        } catch (const TVekRegionTooLargeException&) {
            resetRegions();
            continue;
        }
        assembleRegions(regions);
        if (!regions.empty()) return;
        resetRegions();
    }
}

TIntegerMatrix TVekDatamatrixReader::sampleRegion(const TVekLine& side1, const TVekLine& side2, const TVekLine& c1,
                                                  const TVekLine& c2, int32_t modules) const {
    const int32_t m = modules;
    TIntegerMatrix matrix(m + 2, TVectorInteger(m + 2, 0));
    // The solid L along both sides, the alternating clock track opposite.
    for (int32_t k = 0; k < m + 2; ++k) {
        matrix[0][k] = 1;
        matrix[k][0] = 1;
        matrix[m + 1][k] = k % 2 == 0 ? 1 : 0;
        matrix[k][m + 1] = k % 2 == 0 ? 1 : 0;
    }

    // The clock lines end half a module into the clock track: m data modules,
    // the L and half a clock module.
    const double pitch1 = vekRound(c1.getLength()) / (m + 1.5);
    const double pitch2 = vekRound(c2.getLength()) / (m + 1.5);
    TVectorLines rowLines;
    TVectorLines columnLines;
    double offset = 1.5 * pitch1;
    for (int32_t i = 0; i < m; ++i, offset += pitch1) {
        rowLines.emplace_back(side2.getPointAt(offset), c1.getPointAt(offset));
    }
    offset = 1.5 * pitch2;
    for (int32_t j = 0; j < m; ++j, offset += pitch2) {
        columnLines.emplace_back(side1.getPointAt(offset), c2.getPointAt(offset));
    }
    std::vector<TVekPoint> samples;
    for (int32_t i = 0; i < m; ++i) {
        for (int32_t j = 0; j < m; ++j) {
            const TVekPoint crossing = rowLines[i].intersect(columnLines[j]);
            const TVekPoint sample(vekRound(crossing.x), vekRound(crossing.y));
            matrix[i + 1][j + 1] = isDark(sample) ? 1 : 0;
            if (debug) samples.push_back(sample);
        }
    }

    if (debug) {
        debugWrite("");
        for (const TVectorInteger& row : matrix) {
            std::string text;
            for (const int32_t module : row) text += module == 1 ? 'X' : ' ';
            debugWrite(text);
        }
        debugWrite("");
        TVectorLines lines{c1, c2, side1, side2};
        lines.insert(lines.end(), rowLines.begin(), rowLines.end());
        lines.insert(lines.end(), columnLines.begin(), columnLines.end());
        showLinesAndPoints(lines, samples, "Grid");
    }
    return matrix;
}

void TVekDatamatrixReader::queueNeighbours(const TVekLine& side1, const TVekLine& side2,
                                           const TVekLine& beyondClock1, const TVekLine& beyondClock2, int32_t p,
                                           int32_t q) {
    // The scan lines just beyond the clock column and the clock row, cut
    // where the symbol ends.
    const TVekLine b1(beyondClock1.getStart(), beyondClock1.intersect(perpendicularThrough(side2, side2.getEnd())));
    const TVekLine b2(beyondClock2.getStart(), beyondClock2.intersect(perpendicularThrough(side1, side1.getEnd())));
    queueRegion(TVekLine(b1.getStart(), side1.getEnd()), b1, p + 1, q);
    queueRegion(b2, TVekLine(b2.getStart(), side2.getEnd()), p, q + 1);
    const TVekPoint crossing = b2.intersect(b1);
    queueRegion(TVekLine(crossing, b2.getEnd()), TVekLine(crossing, b1.getEnd()), p + 1, q + 1);
}

void TVekDatamatrixReader::queueRegion(const TVekLine& side1, const TVekLine& side2, int32_t p, int32_t q) {
    if (side1.getLength() < minSideLength || side2.getLength() < minSideLength) return;
    const std::string key = regionKey(p, q);
    if (regionIndexTable.containsKey(key)) return;
    regionIndexTable.put(key, TVekHashEntry(TVectorInteger{p, q}));
    regionLine1Table.put(key, TVekHashEntry(std::make_shared<TVekLine>(side1.getCopy())));
    regionLine2Table.put(key, TVekHashEntry(std::make_shared<TVekLine>(side2.getCopy())));
    regionQueue.push_back(key);
}

void TVekDatamatrixReader::readQueuedRegions() {
    while (!regionQueue.empty()) {
        const std::string key = regionQueue.front();
        const TVekHashEntry* index = regionIndexTable.get(key);
        const TVekHashEntry* line1 = regionLine1Table.get(key);
        const TVekHashEntry* line2 = regionLine2Table.get(key);
        if (index != nullptr && line1 != nullptr && line2 != nullptr && index->getIntegerArray().size() == 2) {
            const std::shared_ptr<TVekLine> side1 = line1->getObject<TVekLine>();
            const std::shared_ptr<TVekLine> side2 = line2->getObject<TVekLine>();
            const int32_t p = index->getIntegerArray()[0];
            const int32_t q = index->getIntegerArray()[1];
            std::vector<TIntegerMatrix> unused;
            if (side1 && side2) readRegion(*side1, *side2, unused, p, q);
        }
        // The index entry stays, so a region is never queued twice.
        regionLine1Table.remove(key);
        regionLine2Table.remove(key);
        regionQueue.pop_front();
    }
}

void TVekDatamatrixReader::assembleRegions(std::vector<TIntegerMatrix>& regions) {
    regions.clear();
    int32_t across = 0;
    while (regionMatrixTable.containsKey(regionKey(across, 0))) ++across;
    int32_t up = 0;
    while (regionMatrixTable.containsKey(regionKey(0, up))) ++up;
    for (int32_t q = 0; q < up; ++q) {
        for (int32_t p = 0; p < across; ++p) {
            const TVekHashEntry* entry = regionMatrixTable.get(regionKey(p, q));
            if (entry == nullptr) {
                regions.clear();
                return;
            }
            regions.push_back(entry->getIntegerMatrix());
        }
    }
    regionsAcross = across;
    regionsUp = up;
    symbolSizeIndex = -1;
    for (int32_t row = 0; row < DM_SYMBOL_SIZE_COUNT; ++row) {
        const auto& size = symbolSizeTable[row];
        if (size[DM_REGION_ROWS] == regionSize && size[DM_REGION_COLS] == regionSize && across == up &&
            size[DM_REGION_COUNT] == across * up) {
            symbolSizeIndex = row;
            break;
        }
    }
    if (symbolSizeIndex == -1) regions.clear();
}

bool TVekDatamatrixReader::isRegionSize(int32_t columns, int32_t rows) {
    for (const auto& size : symbolSizeTable) {
        if (size[DM_REGION_COLS] == columns && size[DM_REGION_ROWS] == rows) return true;
    }
    return false;
}

void TVekDatamatrixReader::resetRegions() {
    regionIndexTable.clear();
    regionLine1Table.clear();
    regionLine2Table.clear();
    regionQueue.clear();
    regionMatrixTable.clear();
    stepsPerModule = 0;
}

std::string TVekDatamatrixReader::regionKey(int32_t p, int32_t q) { return intToStr(p) + "-" + intToStr(q); }

void TVekDatamatrixReader::showLine(const TVekLine& line, const std::string& caption) const {
    if (image != nullptr) vekDisplay().showLine(*image, &line, caption);
}

void TVekDatamatrixReader::showLines(const TVectorLines& lines, const std::string& caption) const {
    if (image != nullptr) vekDisplay().showLines(*image, lines, caption);
}

void TVekDatamatrixReader::showLinesAndPoints(const TVectorLines& lines, const std::vector<TVekPoint>& points,
                                              const std::string& caption) const {
    if (image != nullptr) vekDisplay().showLinesAndPoints(*image, lines, points, caption);
}

}  // namespace orvel
