#include "qrcode/VekQRCodeReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "foundation/VekException.h"
#include "foundation/VekImageTools.h"
#include "foundation/VekModuleVote.h"
#include "qrcode/VekQRCodeDecoder.h"
#include "qrcode/VekQRTables.h"

namespace orvel {

namespace {

// Ring : centre area of a perfect finder pattern, in module areas.
constexpr double kRingModules = 24;
constexpr double kCentreModules = 9;
constexpr double kFinderModules = kRingModules + kCentreModules;
// Extension of the outermost cells beyond the outermost nodes: the nodes sit on
// module 6 and size - 7.
constexpr int32_t kBorderModules = 6;

// Pairing finder patterns into candidate symbols.
constexpr size_t kPartnersPerPattern = 16;
constexpr size_t kTriplesPerCorner = 8;
// The two partners of a corner lie a quarter turn apart, give or take this.
constexpr double kMaxRightAngleCosine = 0.342;  // cos 70 degrees

struct TCandidate {
    size_t corner, l, m;
    double distance;  // corner to l
    bool lIsTopRight;
    double score;     // 0 for a perfect right angle with equal sides
};

bool similarSize(const std::vector<TVekQRFinderPattern>& patterns, size_t a, size_t k) {
    const double size = patterns[k].getModuleSize();
    return size > 0 && std::fabs(patterns[a].getModuleSize() - size) / size < 0.2;
}

// The patterns of the corner's size, nearest first, at most kPartnersPerPattern.
std::vector<size_t> nearestPartners(const std::vector<TVekQRFinderPattern>& patterns, size_t k) {
    std::vector<std::pair<double, size_t>> near;
    for (size_t l = 0; l < patterns.size(); ++l)
        if (l != k && similarSize(patterns, l, k))
            near.emplace_back(patterns[k].getPosition().distanceTo(patterns[l].getPosition()), l);
    const size_t kept = std::min(near.size(), kPartnersPerPattern);
    std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(kept), near.end());
    std::vector<size_t> partners;
    for (size_t i = 0; i < kept; ++i) partners.push_back(near[i].second);
    // The original pairing order, by index, so that equal scores keep it.
    std::sort(partners.begin(), partners.end());
    return partners;
}

// The corner with partners l < m when the two distances agree within 10 %
// and the partners stand at about a right angle.
std::optional<TCandidate> triple(const std::vector<TVekQRFinderPattern>& patterns, size_t k, size_t l, size_t m) {
    const TVekPoint& p = patterns[k].getPosition();
    const TVekPoint& q = patterns[l].getPosition();
    const TVekPoint& r = patterns[m].getPosition();
    const double d1 = p.distanceTo(q);
    const double d2 = p.distanceTo(r);
    if (d1 <= 0 || d2 <= 0 || std::fabs(d1 - d2) / d2 >= 0.1) return std::nullopt;
    const double cosine = ((q.x - p.x) * (r.x - p.x) + (q.y - p.y) * (r.y - p.y)) / (d1 * d2);
    if (std::fabs(cosine) > kMaxRightAngleCosine) return std::nullopt;
    // The partner a quarter turn clockwise (y down) from the other is bottomLeft.
    const double a1 = TVekLine(p, q).getAngle();
    const double a2 = TVekLine(p, r).getAngle();
    const double turn = std::fabs(a2 - (a1 + 90));
    const bool lIsTopRight = turn < 10 || turn > 350;
    return TCandidate{k, l, m, d1, lIsTopRight, std::fabs(d1 - d2) / d2 + std::fabs(cosine)};
}

std::array<TVekPoint, 3> patternPositions(const TVekQRCodeLocation& location) {
    return {location.topLeft.getPosition(), location.topRight.getPosition(), location.bottomLeft.getPosition()};
}

bool usesAnyOf(const TVekQRCodeLocation& location, const std::vector<TVekPoint>& used) {
    for (const TVekPoint& at : patternPositions(location))
        if (std::find(used.begin(), used.end(), at) != used.end()) return true;
    return false;
}

void keepBest(std::vector<TCandidate>& candidates, size_t count) {
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const TCandidate& a, const TCandidate& b) { return a.score < b.score; });
    if (candidates.size() > count) candidates.resize(count);
}

}  // namespace

TVekQRCodeDataArray TVekQRCodeReader::read(TVekImage& picture) {
    TVekQRCodeDataArray results;
    read(picture, results);
    return results;
}

void TVekQRCodeReader::read(TVekImage& picture, TVekQRCodeDataArray& results) {
    std::optional<TVekImage> working = readerBlackAndWhite(picture, enhanceContrast, binaryInput, fillHoles);
    readLocations(working ? *working : picture, results);
}

void TVekQRCodeReader::readLocations(TVekImage& picture, TVekQRCodeDataArray& results) {
    const TVectorQRLocations locations = findLocations(picture);
    const TVekQRCodeDecoder decoder;
    // A finder pattern belongs to one symbol: once a location decodes, the
    // other locations that use one of its patterns are not read, and of the
    // locations that fail only those that share no pattern with a decoded or
    // an earlier failed one give a record.
    std::vector<TVekPoint> decodedPatterns;
    std::vector<std::pair<size_t, TVekQRCodeData>> failed;
    std::vector<std::pair<size_t, TVekQRCodeData>> decoded;
    for (size_t index = 0; index < locations.size(); ++index) {
        const TVekQRCodeLocation& location = locations[index];
        if (usesAnyOf(location, decodedPatterns)) continue;
        // One location that cannot be read must not cost the others their records.
        try {
            const TIntegerMatrix matrix = sampleGrid(picture, location);
            if (matrix.empty()) continue;
            TVekQRCodeData record = decoder.decodeArray(matrix);
            record.x1 = vekRoundInt(location.topLeft.getPosition().x);
            record.y1 = vekRoundInt(location.topLeft.getPosition().y);
            record.x2 = vekRoundInt(location.topRight.getPosition().x);
            record.y2 = vekRoundInt(location.topRight.getPosition().y);
            record.x3 = vekRoundInt(location.bottomLeft.getPosition().x);
            record.y3 = vekRoundInt(location.bottomLeft.getPosition().y);
            if (record.success) {
                for (const TVekPoint& at : patternPositions(location)) decodedPatterns.push_back(at);
                decoded.emplace_back(index, std::move(record));
            } else {
                failed.emplace_back(index, std::move(record));
            }
        } catch (const TVekException&) {
            continue;
        }
    }
    std::vector<TVekPoint> reported = decodedPatterns;
    for (auto& [index, record] : failed) {
        if (usesAnyOf(locations[index], reported)) continue;
        for (const TVekPoint& at : patternPositions(locations[index])) reported.push_back(at);
        decoded.emplace_back(index, std::move(record));
    }
    std::stable_sort(decoded.begin(), decoded.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [index, record] : decoded) results.push_back(std::move(record));
}

TVectorQRLocations TVekQRCodeReader::findLocations(TVekImage& picture) {
    const std::vector<TVekQRFinderPattern> patterns = findFinderPatterns(picture);
    return groupLocations(patterns);
}

std::vector<TVekQRFinderPattern> TVekQRCodeReader::findFinderPatterns(TVekImage& picture) const {
    std::vector<TVekQRFinderPattern> patterns;
    picture.clearVisited();
    const int32_t width = picture.width;
    const int32_t capacity = std::max(0, vekRoundInt(width / 2.0));
    std::vector<int32_t> runLength(capacity);
    std::vector<int32_t> runEnd(capacity);
    const std::vector<uint32_t>& pixels = picture.pixelData();

    for (int32_t y = 0; y < picture.height; y += 2) {
        const uint32_t* row = pixels.data() + static_cast<size_t>(y) * width;
        int32_t count = 0;
        bool insideDark = false;
        int32_t counter = 0;
        for (int32_t x = 0; x < width; ++x) {
            const bool black = row[x] == BLACK;
            if (insideDark == black) {
                ++counter;
                continue;
            }
            // A row with more runs than the arrays hold (a pixel-level texture)
            // records no further runs.
            if (count == capacity) break;
            runLength[count] = counter;
            runEnd[count] = x - 1;
            ++count;
            insideDark = black;
            counter = 1;
            if (black || count <= 5) continue;

            // A dark run just ended: r1 (dark), r2, r3 (dark), r4, r5 (dark) backwards.
            const int32_t r1 = runLength[count - 1], r2 = runLength[count - 2], r3 = runLength[count - 3];
            const int32_t r4 = runLength[count - 4], r5 = runLength[count - 5];
            const double u = (r1 + r2 + r4 + r5) / 4.0;
            if (!(u > minModuleSize && u < maxModuleSize)) continue;
            if (std::fabs(r1 - u) / u >= 0.25 || std::fabs(r2 - u) / u >= 0.25 || std::fabs(r4 - u) / u >= 0.25 ||
                std::fabs(r5 - u) / u >= 0.25)
                continue;
            if (std::fabs(r3 - 3 * u) / u >= 0.5) continue;
            if (picture.isVisited(runEnd[count - 1], y)) continue;

            // Confirm by the two dark regions: the ring must connect both outer
            // runs, and ring and centre must agree on the module area.
            TVekImageObject ring(picture, TVekPoint(runEnd[count - 5], y), TVekPoint(runEnd[count - 1], y));
            TVekImageObject centre(picture, TVekPoint(runEnd[count - 3], y));
            const double ringPixels = ring.getPixelCount();
            const double centrePixels = centre.getPixelCount();
            const double moduleArea = (ringPixels + centrePixels) / kFinderModules;
            if (!ring.containsTarget() || moduleArea <= 0) continue;
            if (std::fabs(ringPixels / kRingModules - centrePixels / kCentreModules) / moduleArea >= 0.2) continue;
            patterns.emplace_back(std::move(centre), std::sqrt(moduleArea), std::move(ring));
        }
    }
    return patterns;
}

TVectorQRLocations TVekQRCodeReader::groupLocations(const std::vector<TVekQRFinderPattern>& patterns) const {
    // A pattern pairs with the nearest patterns of its size only, each corner
    // keeps its best few triples and the triples go squarest first: a sheet of
    // many symbols gives a bounded number of candidates instead of every
    // triple whose two distances happen to agree.
    std::vector<TCandidate> candidates;
    for (size_t k = 0; k < patterns.size(); ++k) {
        const std::vector<size_t> partners = nearestPartners(patterns, k);
        std::vector<TCandidate> corner;
        for (size_t i = 0; i < partners.size(); ++i)
            for (size_t j = i + 1; j < partners.size(); ++j)
                if (auto candidate = triple(patterns, k, std::min(partners[i], partners[j]),
                                            std::max(partners[i], partners[j])))
                    corner.push_back(*candidate);
        keepBest(corner, kTriplesPerCorner);
        candidates.insert(candidates.end(), corner.begin(), corner.end());
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const TCandidate& a, const TCandidate& b) { return a.score < b.score; });
    TVectorQRLocations locations;
    for (const TCandidate& c : candidates)
        locations.emplace_back(patterns[c.corner], c.lIsTopRight ? patterns[c.l] : patterns[c.m],
                               c.lIsTopRight ? patterns[c.m] : patterns[c.l], c.distance);
    return locations;
}

int32_t TVekQRCodeReader::estimateVersion(const TVekQRCodeLocation& location) {
    const double s = location.getModuleSize();
    if (!(s > 0)) return 0;
    // Finder centres are 4 x version + 10 modules apart.
    return vekRoundInt((location.finderDistance / s - 10) / 4);
}

void TVekQRCodeReader::buildAlignmentGrid(int32_t version) {
    const auto coordinates = qrAlignmentCoordinates(version);
    const size_t k = coordinates.size();
    gridColumns.assign(k, TVectorInteger(k, 0));
    gridRows.assign(k, TVectorInteger(k, 0));
    gridNodes.clear();
    gridNodes.resize(k);
    for (auto& nodeRow : gridNodes) nodeRow.resize(k);
    for (size_t i = 0; i < k; ++i) {
        for (size_t j = 0; j < k; ++j) {
            gridRows[i][j] = coordinates[i];
            gridColumns[i][j] = coordinates[j];
        }
    }
}

TIntegerMatrix TVekQRCodeReader::sampleGrid(TVekImage& picture, const TVekQRCodeLocation& location) {
    const double s = location.getModuleSize();
    const int32_t version = estimateVersion(location);
    if (version < kQRMinVersion || version > kQRMaxVersion) return {};
    if (version == 1) return sampleVersion1(picture, location);

    buildAlignmentGrid(version);
    const int32_t size = qrModulesForVersion(version);
    const int32_t k = static_cast<int32_t>(gridRows.size());
    TIntegerMatrix matrix(size, TVectorInteger(size, 0));

    const TVekPoint& tl = location.topLeft.getPosition();
    const TVekLine h(tl, location.topRight.getPosition());
    const TVekLine v(tl, location.bottomLeft.getPosition());
    if (h.getLength() < 1 || v.getLength() < 1) return {};
    const double pc = h.getLength() / (size - 7);
    const double pr = v.getLength() / (size - 7);

    // Nodes along the top: perpendicular offsets from the top-left -> top-right axis.
    for (int32_t j = 0; j < k; ++j) {
        const TVekPoint q = h.getPointAt((gridColumns[0][j] - 3) * pc);
        const TVekPoint predicted = h.getPerpendicularAt(q, (gridRows[0][j] - 3) * pr).getEnd();
        gridNodes[0][j] = TVekQRAlignPattern(picture, 0 < j && j < k - 1, s, predicted);
    }
    // Nodes down the left side, from the top-left -> bottom-left axis.
    for (int32_t i = 1; i < k; ++i) {
        const TVekPoint q = v.getPointAt((gridRows[i][0] - 3) * pr);
        const TVekPoint predicted = v.getOppositePerpendicularAt(q, (gridColumns[i][0] - 3) * pc).getEnd();
        gridNodes[i][0] = TVekQRAlignPattern(picture, i < k - 1, s, predicted);
    }
    // Every inner node from its three placed neighbours, so the grid follows
    // the symbol's bending instead of one global transform.
    for (int32_t i = 1; i < k; ++i) {
        for (int32_t j = 1; j < k; ++j) {
            const TVekPoint& a = gridNodes[i - 1][j - 1].position;
            const TVekLine top(a, gridNodes[i - 1][j].position);
            const TVekLine left(a, gridNodes[i][j - 1].position);
            const int32_t dr = gridRows[i][j] - gridRows[i - 1][j];
            const int32_t dc = gridColumns[i][j] - gridColumns[i][j - 1];
            const TVekPoint q1 = top.getPointAt(dc * pc);
            const TVekPoint q2 = left.getPointAt(dr * pr);
            const TVekLine l1 = top.getPerpendicularAt(q1, dr * pr);
            const TVekLine l2 = left.getOppositePerpendicularAt(q2, dc * pc);
            gridNodes[i][j] = TVekQRAlignPattern(picture, true, s, l1.intersect(l2));
        }
    }
    for (int32_t i = 0; i < k; ++i) {
        for (int32_t j = 0; j < k; ++j) {
            gridNodes[i][j].column = gridColumns[i][j];
            gridNodes[i][j].row = gridRows[i][j];
        }
    }
    for (int32_t i = 1; i < k; ++i)
        for (int32_t j = 1; j < k; ++j)
            sampleCell(picture, gridNodes[i - 1][j - 1], gridNodes[i - 1][j], gridNodes[i][j - 1], gridNodes[i][j],
                       i == 1, i == k - 1, j == 1, j == k - 1, matrix);
    gridNodes.clear();
    return matrix;
}

void TVekQRCodeReader::sampleCell(const TVekImage& picture, const TVekQRAlignPattern& topLeft,
                                  const TVekQRAlignPattern& topRight, const TVekQRAlignPattern& bottomLeft,
                                  const TVekQRAlignPattern& bottomRight, bool firstRow, bool lastRow,
                                  bool firstColumn, bool lastColumn, TIntegerMatrix& matrix) const {
    const std::vector<TVekPoint> top =
        divideLine(TVekLine(topLeft.position, topRight.position), topRight.column - topLeft.column + 1);
    const std::vector<TVekPoint> bottom =
        divideLine(TVekLine(bottomLeft.position, bottomRight.position), bottomRight.column - bottomLeft.column + 1);
    const std::vector<TVekPoint> left =
        divideLine(TVekLine(topLeft.position, bottomLeft.position), bottomLeft.row - topLeft.row + 1);
    const std::vector<TVekPoint> right =
        divideLine(TVekLine(topRight.position, bottomRight.position), bottomRight.row - topRight.row + 1);
    if (top.size() < 2 || top.size() != bottom.size() || left.size() < 2 || left.size() != right.size()) return;

    const int32_t eFirstRow = firstRow ? kBorderModules : 0;
    const int32_t eLastRow = lastRow ? kBorderModules : 0;
    const int32_t eFirstColumn = firstColumn ? kBorderModules : 0;
    const int32_t eLastColumn = lastColumn ? kBorderModules : 0;
    const int32_t topCount = static_cast<int32_t>(top.size());
    const int32_t leftCount = static_cast<int32_t>(left.size());

    std::vector<TVekLine> columnLines(eFirstColumn + topCount + eLastColumn);
    for (int32_t n = 0; n < topCount; ++n) columnLines[eFirstColumn + n] = TVekLine(top[n], bottom[n]);
    std::vector<TVekLine> rowLines(eFirstRow + leftCount + eLastRow);
    for (int32_t n = 0; n < leftCount; ++n) rowLines[eFirstRow + n] = TVekLine(left[n], right[n]);

    const double pitchLeft = left[0].distanceTo(left[1]);
    const double pitchRight = right[0].distanceTo(right[1]);
    const double pitchTop = top[0].distanceTo(top[1]);
    const double pitchBottom = bottom[0].distanceTo(bottom[1]);

    // The outermost cells reach the symbol's edge: lines parallel to the
    // outermost proper ones, one pitch further out each.
    auto offsetLine = [](const TVekLine& base, bool plus90, double startDistance, double endDistance) {
        return TVekLine(base.getSidePoint(plus90, base.x1, base.y1, startDistance),
                        base.getSidePoint(plus90, base.x2, base.y2, endDistance));
    };
    for (int32_t t = 1; t <= eFirstRow; ++t)
        rowLines[eFirstRow - t] = offsetLine(rowLines[eFirstRow], false, t * pitchLeft, t * pitchRight);
    for (int32_t t = 1; t <= eLastRow; ++t) {
        const int32_t last = eFirstRow + leftCount - 1;
        rowLines[last + t] = offsetLine(rowLines[last], true, t * pitchLeft, t * pitchRight);
    }
    for (int32_t t = 1; t <= eFirstColumn; ++t)
        columnLines[eFirstColumn - t] = offsetLine(columnLines[eFirstColumn], true, t * pitchTop, t * pitchBottom);
    for (int32_t t = 1; t <= eLastColumn; ++t) {
        const int32_t last = eFirstColumn + topCount - 1;
        columnLines[last + t] = offsetLine(columnLines[last], false, t * pitchTop, t * pitchBottom);
    }

    const int32_t size = static_cast<int32_t>(matrix.size());
    for (int32_t a = 0; a < static_cast<int32_t>(columnLines.size()); ++a) {
        const int32_t column = topLeft.column + a - eFirstColumn;
        if (column < 0 || column >= size) continue;
        for (int32_t b = 0; b < static_cast<int32_t>(rowLines.size()); ++b) {
            const int32_t row = topLeft.row + b - eFirstRow;
            if (row < 0 || row >= static_cast<int32_t>(matrix[column].size())) continue;
            matrix[column][row] = sampleModule(picture, columnLines[a].intersect(rowLines[b]), pitchTop);
        }
    }
}

TIntegerMatrix TVekQRCodeReader::sampleVersion1(const TVekImage& picture, const TVekQRCodeLocation& location) const {
    constexpr int32_t size = 21;
    const TVekPoint& tl = location.topLeft.getPosition();
    const TVekLine h(tl, location.topRight.getPosition());
    const TVekLine v(tl, location.bottomLeft.getPosition());
    // Finder centres are 14 modules apart in version 1.
    if (h.getLength() < 1 || v.getLength() < 1) return {};
    const double pr = v.getLength() / 14;
    const double pc = h.getLength() / 14;

    auto parallel = [](const TVekLine& base, bool plus90, double distance) {
        return TVekLine(base.getSidePoint(plus90, base.x1, base.y1, distance),
                        base.getSidePoint(plus90, base.x2, base.y2, distance));
    };
    std::vector<TVekLine> rowLines(size);
    std::vector<TVekLine> columnLines(size);
    rowLines[3] = h;
    columnLines[3] = v;
    for (int32_t t = 1; t <= 3; ++t) {
        rowLines[3 - t] = parallel(h, false, t * pr);
        columnLines[3 - t] = parallel(v, true, t * pc);
    }
    for (int32_t t = 1; t <= 17; ++t) {
        rowLines[3 + t] = parallel(h, true, t * pr);
        columnLines[3 + t] = parallel(v, false, t * pc);
    }
    const double moduleSize = location.getModuleSize();
    TIntegerMatrix matrix(size, TVectorInteger(size, 0));
    for (int32_t c = 0; c < size; ++c)
        for (int32_t r = 0; r < size; ++r)
            matrix[c][r] = sampleModule(picture, columnLines[c].intersect(rowLines[r]), moduleSize);
    return matrix;
}

std::vector<TVekPoint> TVekQRCodeReader::divideLine(const TVekLine& line, int32_t n) {
    std::vector<TVekPoint> points;
    if (n <= 0) return points;
    points.reserve(n);
    points.push_back(line.getStart());
    if (n == 1) return points;
    const double step = line.getLength() / (n - 1);
    for (int32_t i = 1; i <= n - 2; ++i) points.push_back(line.getPointAt(i * step));
    points.push_back(line.getEnd());
    return points;
}

int32_t TVekQRCodeReader::sampleModule(const TVekImage& picture, const TVekPoint& point, double moduleSize) {
    return TVekModuleVote::sample(picture, point, moduleSize);
}

}  // namespace orvel
