#include "pdf417/VekPDF417Reader.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "foundation/VekImageTools.h"
#include "foundation/VekROrvelConfiguration.h"
#include "oned/VekBarcode1DFinder.h"
#include "oned/VekBarsReader.h"
#include "oned/VekLineWalker.h"
#include "oned/VekPAVectorizer.h"
#include "pdf417/VekPDF417CWDecoder.h"
#include "pdf417/VekPDF417RS.h"
#include "pdf417/VekPDF417SymbolTable.h"

namespace orvel {

namespace {

// Module widths of alternating bar and space.
constexpr int32_t START_PATTERN[] = {8, 1, 1, 1, 1, 1, 1};
constexpr int32_t STOP_PATTERN[] = {7, 1, 1, 3, 1, 1, 1, 2, 1};
constexpr int32_t STOP_REVERSED_PATTERN[] = {1, 2, 1, 1, 1, 3, 1, 1, 7};
constexpr int32_t START_REVERSED_PATTERN[] = {1, 1, 1, 1, 1, 1, 8};

// Error correction levels run from 0 to 8 (2 to 512 check codewords); a row
// indicator can claim 9, which no symbol has.
constexpr int32_t MAX_EC_LEVEL = 8;

// The perpendicular drawn through each point of the start bar's axis.
constexpr double PERPENDICULAR_LENGTH = 50;

int32_t clusterIndexOf(int32_t cluster) {
    switch (cluster) {
    case 0: return 0;
    case 3: return 1;
    case 6: return 2;
    default: return -1;
    }
}

}  // namespace

TVekPDF417Reader::TVekPDF417Reader()
    : debug(orvelConfiguration.debug), cells(static_cast<size_t>(MAX_ROWS) * MAX_COLUMNS) {}

TVekPDF417Reader::TVekPDF417Reader(const TVekROrvelConfiguration& settings)
    : debug(settings.debug), settings_(settings), cells(static_cast<size_t>(MAX_ROWS) * MAX_COLUMNS) {}

void TVekPDF417Reader::diagnostic(const std::string& text) const { debugWrite(text); }

// ---------------------------------------------------------------------------
// read and the candidate areas

TVekPDF417DataArray TVekPDF417Reader::read(TVekImage& image) {
    std::optional<TVekImage> thresholded;
    if (!imageIsBlackAndWhite) thresholded = toBlackAndWhite(image);
    TVekImage& working = thresholded ? *thresholded : image;

    TVekPAVectorizer vectorizer = settings_ ? TVekPAVectorizer(*settings_) : TVekPAVectorizer();
    TVekVectorizedImage vectorized = vectorizer.vectorize(working, true);
    std::vector<TVekPDF417Area> areas = findAreas(working, vectorized);

    // Every start pattern is paired with every stop pattern beside it, so
    // symbols side by side give one area per start and stop. The rows are
    // read from the start pattern's side: one start pattern is one symbol and
    // gives at most one record, a corrected one when any of its areas gives
    // one.
    TVekPDF417DataArray result;
    std::vector<std::pair<TVekPoint, bool>> startsRead;  // start point, its record corrected
    while (!areas.empty()) {
        const TVekPDF417Area area = std::move(areas.back());
        areas.pop_back();
        const TVekPoint start = area.line1.getStart();
        auto earlier = std::find_if(startsRead.begin(), startsRead.end(),
                                    [&start](const auto& read) { return read.first == start; });
        if (earlier != startsRead.end() && earlier->second) continue;
        std::optional<TVekPDF417Data> data = readAreaWithRetry(working, area);
        if (!data) continue;
        const bool corrected = data->getCorrectedErrors() >= 0;
        if (earlier == startsRead.end()) {
            startsRead.emplace_back(start, corrected);
            result.push_back(std::move(*data));
        } else if (corrected) {
            // Replaces the failed record of the same start pattern.
            earlier->second = true;
            result[static_cast<size_t>(earlier - startsRead.begin())] = std::move(*data);
        }
    }
    return result;
}

std::vector<TVekPDF417Area> TVekPDF417Reader::findAreas(const TVekImage& image,
                                                        TVekVectorizedImage& vectorized) const {
    TVekBarcode1DFinder finder = settings_ ? TVekBarcode1DFinder(*settings_) : TVekBarcode1DFinder();
    finder.minBars = 4;
    finder.removeCloseBars = false;
    const TVekBarsReader barsReader;
    std::vector<TVekBarcode1DObject> candidates = finder.findCandidates(vectorized, image, true);

    for (TVekBarcode1DObject& candidate : candidates) {
        TVectorDouble widths;
        barsReader.readBars(BARS_FROM_REGIONS, image, candidate, widths);
        candidate.setWidths(widths);
        candidate.setPatternFlags(0);
    }

    for (TVekBarcode1DObject& candidate : candidates) {
        const TVectorDouble& widths = candidate.getWidths();
        const auto n = static_cast<int32_t>(widths.size());
        if (debug) {
            std::string text = "Candidate bars width: ";
            for (double width : widths) text += " " + floatToStr(width);
            diagnostic(text);
        }
        int32_t flags = 0;
        if (matchPattern(widths, 0, 6, START_PATTERN)) flags |= START_AT_BEGINNING;
        if (matchPattern(widths, 0, 9, STOP_REVERSED_PATTERN)) flags |= STOP_REVERSED_AT_BEGINNING;
        if (matchPattern(widths, n - 9, 9, STOP_PATTERN)) flags |= STOP_AT_END;
        if (matchPattern(widths, n - 7, 7, START_REVERSED_PATTERN)) flags |= START_REVERSED_AT_END;
        candidate.setPatternFlags(flags);
    }

    // Candidates always hold bars, and every bar region carries its axis, but
    // a candidate without them simply takes part in no pair.
    const auto firstAxis = [](const TVekBarcode1DObject& candidate) -> const std::optional<TVekLine>* {
        if (candidate.bars.empty() || !candidate.bars.front() || !candidate.bars.front()->getAxis()) return nullptr;
        return &candidate.bars.front()->getAxis();
    };
    const auto lastAxis = [](const TVekBarcode1DObject& candidate) -> const std::optional<TVekLine>* {
        if (candidate.bars.empty() || !candidate.bars.back() || !candidate.bars.back()->getAxis()) return nullptr;
        return &candidate.bars.back()->getAxis();
    };

    std::vector<TVekPDF417Area> areas;
    for (const TVekBarcode1DObject& first : candidates) {
        if ((first.getPatternFlags() & START_AT_BEGINNING) == 0) continue;
        const auto* startAxis = firstAxis(first);
        if (startAxis == nullptr) continue;
        for (const TVekBarcode1DObject& last : candidates) {
            if ((last.getPatternFlags() & STOP_AT_END) == 0) continue;
            const auto* stopAxis = lastAxis(last);
            if (stopAxis == nullptr) continue;
            const TVekLine& a = **startAxis;
            const TVekLine& b = **stopAxis;
            if (!isParallel(5, b.getAngle(), a.getAngle()) || !a.isBeside(b, 0.4)) continue;
            // line2 starts on the same side as line1.
            const double toStart = a.getStart().distanceTo(b.getStart());
            const double toEnd = a.getStart().distanceTo(b.getEnd());
            if (toEnd >= toStart) {
                areas.emplace_back(a, b);
            } else {
                areas.emplace_back(a, TVekLine(b.getEnd(), b.getStart()));
            }
        }
    }
    for (const TVekBarcode1DObject& first : candidates) {
        if ((first.getPatternFlags() & STOP_REVERSED_AT_BEGINNING) == 0) continue;
        const auto* stopAxis = firstAxis(first);
        if (stopAxis == nullptr) continue;
        for (const TVekBarcode1DObject& last : candidates) {
            if ((last.getPatternFlags() & START_REVERSED_AT_END) == 0) continue;
            const auto* startAxis = lastAxis(last);
            if (startAxis == nullptr) continue;
            const TVekLine& c = **stopAxis;
            const TVekLine& d = **startAxis;
            if (!isParallel(5, c.getAngle(), d.getAngle()) || !d.isBeside(c, 0.5)) continue;
            areas.emplace_back(d, c);
        }
    }
    return areas;
}

bool TVekPDF417Reader::matchPattern(const TVectorDouble& widths, int32_t index, int32_t count,
                                    const int32_t* pattern) {
    const auto n = static_cast<int32_t>(widths.size());
    if (index < 0 || count <= 0 || n < index + count) return false;
    double barSum = 0;
    double spaceSum = 0;
    int32_t bars = 0;
    int32_t spaces = 0;
    for (int32_t s = 0; s < count; ++s) {
        if (pattern[s] != 1) continue;
        const double width = widths[static_cast<size_t>(index + s)];
        if (s % 2 == 0) {
            barSum += width;
            ++bars;
        } else {
            spaceSum += width;
            ++spaces;
        }
    }
    if (bars == 0 || spaces == 0) return false;
    const double barUnit = barSum / bars;
    const double spaceUnit = spaceSum / spaces;
    if (!(barUnit > 0) || !(spaceUnit > 0)) return false;
    for (int32_t s = 0; s < count; ++s) {
        const double unit = s % 2 == 0 ? barUnit : spaceUnit;
        if (!(widths[static_cast<size_t>(index + s)] / unit > 0.7 * pattern[s])) return false;
    }
    return true;
}

bool TVekPDF417Reader::isParallel(double tolerance, double angle1, double angle2) {
    const auto turned = [](double angle) {
        const double result = angle + 180;
        return result > 360 ? result - 360 : result;
    };
    return std::fabs(angle2 - angle1) < tolerance || std::fabs(turned(angle2) - angle1) < tolerance ||
           std::fabs(angle2 - turned(angle1)) < tolerance;
}

// ---------------------------------------------------------------------------
// One candidate area

void TVekPDF417Reader::resetVotes() {
    rowLines.clearAll(true);
    for (TVekScanCodeword& c : cells) c.reset();
    rowGroupVotes.reset();
    rowRestVotes.reset();
    columnVotes.reset();
    ecLevelVotes.reset();
    for (TVectorDouble& positions : columnPositions) positions.clear();
}

void TVekPDF417Reader::scanLinesAcross(const TVekImage& image, const TVekPDF417Area& area) {
    // A scan line far longer than the picture comes from a nearly degenerate
    // pair of axes; walking it would only read white.
    const double longest = 2.0 * (static_cast<double>(image.width) + image.height) + 100;
    TVekLineWalker walker(area.line1);
    int32_t k = 0;
    while (const auto point = walker.nextPoint()) {
        ++k;
        const TVekLine perpendicular = area.line1.getPerpendicularAt(*point, PERPENDICULAR_LENGTH);
        const TVekPoint end = perpendicular.intersect(area.line2);
        const TVekLine scanLine(*point, end);
        if (debug) diagnostic("Scan line number " + intToStr(k));
        if (!std::isfinite(scanLine.getLength()) || scanLine.getLength() > longest) continue;
        scanRow(image, scanLine);
    }
}

std::optional<TVekPDF417Data> TVekPDF417Reader::readAreaWithRetry(const TVekImage& image,
                                                                  const TVekPDF417Area& area) {
    std::optional<TVekPDF417Data> data = readArea(image, area);
    if (data && data->getCorrectedErrors() >= 0) return data;
    // The start bar's axis comes from its outline pixels, so either end may be
    // a pixel off. Scan lines perpendicular to it then drift by a pixel per
    // bar height and cross into the neighbouring rows on wide symbols with
    // low rows. Such an area is read again with each end moved by a pixel to
    // either side; only a read whose error correction succeeds replaces the
    // first one.
    // Areas whose row indicators gave no symbol shape are no symbols at all.
    const TVekLine& axis = area.line1;
    if (!(axis.getLength() > 0) || !symbolShape(false)) return data;
    const double nx = -(axis.y2 - axis.y1) / axis.getLength();
    const double ny = (axis.x2 - axis.x1) / axis.getLength();
    const double shifts[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& shift : shifts) {
        const TVekLine tilted(axis.x1 + shift[0] * nx, axis.y1 + shift[0] * ny, axis.x2 + shift[1] * nx,
                              axis.y2 + shift[1] * ny);
        std::optional<TVekPDF417Data> retry = readArea(image, TVekPDF417Area(tilted, area.line2));
        if (retry && retry->getCorrectedErrors() >= 0) {
            // The record keeps the position of the area as found.
            return TVekPDF417Data(retry->getValues(), data ? data->getX() : vekRoundInt(axis.x1),
                                  data ? data->getY() : vekRoundInt(axis.y1), retry->getMacroStringFields(),
                                  retry->getMacroByteFields(), retry->getCorrectedErrors(), retry->getEcLevel());
        }
    }
    return data;
}

std::optional<TVekPDF417Data> TVekPDF417Reader::readArea(const TVekImage& image, const TVekPDF417Area& area) {
    resetVotes();
    scanLinesAcross(image, area);

    const std::optional<TSymbolShape> shape = symbolShape(true);
    if (!shape) return std::nullopt;
    const int32_t rows = shape->rows;
    const int32_t columns = shape->columns;
    const int32_t eccCount = shape->eccCount;

    const double width = area.line2.distanceToPoint(area.line1.getStart());
    const double columnWidth = width / (columns + 4);
    const std::array<int32_t, POSITION_COLUMNS> centres = columnCentres();

    if (diagnostics()) {
        diagnostic("");
        for (int32_t row = 0; row < rows; ++row) {
            std::string text;
            for (int32_t column = 0; column < columns; ++column) text += " " + intToStr(cell(row, column).getValue());
            diagnostic(text);
        }
        diagnostic("");
    }

    fillUnvotedCells(*shape, centres, columnWidth);

    int32_t unknown = 0;
    for (int32_t row = 0; row < rows; ++row) {
        for (int32_t column = 0; column < columns; ++column) {
            if (cell(row, column).getValue() == -1) ++unknown;
        }
    }
    if (unknown > eccCount / 2) {
        if (diagnostics()) {
            diagnostic("Too many unknown codewords " + intToStr(unknown) + ">" +
                       intToStr(vekRoundInt(eccCount / 2.0)));
        }
        return std::nullopt;
    }

    TVectorInteger codewords = codewordMatrix(*shape);
    if (diagnostics()) {
        diagnostic("New codewords ");
        for (int32_t row = 0; row < rows; ++row) {
            std::string text;
            for (int32_t column = 0; column < columns; ++column) {
                text += " " + intToStr(codewords[static_cast<size_t>(row * columns + column)]);
            }
            diagnostic(text);
        }
    }

    int32_t corrected = -1;
    try {
        const TVekPDF417RS rs;
        corrected = rs.correct(codewords, eccCount);
    } catch (const std::exception&) {
        corrected = -1;
    }
    if (diagnostics()) diagnostic("RS result=" + intToStr(corrected));

    const TVectorInteger data(codewords.begin(), codewords.end() - eccCount);
    if (diagnostics()) {
        std::string text = "Corrected CW=";
        for (int32_t value : data) text += " " + intToStr(value);
        diagnostic(text + "\\n");
    }

    TVekPDF417CWDecoder decoder;
    TVectorInteger bytes;
    try {
        decoder.decode(data, bytes);
    } catch (const TVekInvalidCWException&) {
        return std::nullopt;
    }
    const TVekPoint origin = area.line1.getStart();
    return TVekPDF417Data(bytes, vekRoundInt(origin.x), vekRoundInt(origin.y), decoder.getMacroStringFields(),
                          decoder.getMacroByteFields(), corrected, eccCount / 2);
}

std::optional<TVekPDF417Reader::TSymbolShape> TVekPDF417Reader::symbolShape(bool report) const {
    const int32_t rowGroup = rowGroupVotes.getValue();
    const int32_t rowRest = rowRestVotes.getValue();
    const int32_t columns = columnVotes.getValue();
    const int32_t ecLevel = ecLevelVotes.getValue();
    // A counter without a vote leaves its parameter unknown; guessing it
    // would only hand a wrong matrix to the decoder.
    if (rowGroup < 0 || rowRest < 0 || columns < 1) {
        if (report && diagnostics()) diagnostic("Too few rows/cols");
        return std::nullopt;
    }
    TSymbolShape shape;
    shape.rows = 3 * rowGroup + rowRest + 1;
    shape.columns = columns;
    if (shape.rows < 3) {
        if (report && diagnostics()) diagnostic("Too few rows/cols");
        return std::nullopt;
    }
    if (shape.rows > MAX_ROWS || shape.columns > MAX_COLUMNS) {
        if (report && diagnostics()) diagnostic("Too many rows/cols");
        return std::nullopt;
    }
    if (ecLevel < 0 || ecLevel > MAX_EC_LEVEL) {
        if (report && diagnostics()) diagnostic("No error correction level");
        return std::nullopt;
    }
    shape.eccCount = 2 << ecLevel;
    // The symbol length descriptor is a data codeword, so a symbol holds at
    // least one codeword more than its check codewords.
    if (shape.rows * shape.columns <= shape.eccCount) {
        if (report && diagnostics()) diagnostic("EcLen too long");
        return std::nullopt;
    }
    return shape;
}

std::array<int32_t, TVekPDF417Reader::POSITION_COLUMNS> TVekPDF417Reader::columnCentres() const {
    std::array<int32_t, POSITION_COLUMNS> centres{};
    for (size_t column = 0; column < columnPositions.size(); ++column) {
        TVectorDouble sorted = columnPositions[column];
        if (sorted.empty()) continue;
        std::sort(sorted.begin(), sorted.end());
        const auto middle = static_cast<size_t>(vekRoundInt(static_cast<double>(sorted.size()) / 2));
        centres[column] = vekRoundInt(sorted[std::min(middle, sorted.size() - 1)]);
    }
    return centres;
}

void TVekPDF417Reader::fillUnvotedCells(const TSymbolShape& shape,
                                        const std::array<int32_t, POSITION_COLUMNS>& centres, double columnWidth) {
    for (int32_t row = 0; row < shape.rows; ++row) {
        const std::vector<TVekScanLine>* lines = storedLines(row);
        if (lines == nullptr) continue;
        for (int32_t column = 0; column < shape.columns && column < POSITION_COLUMNS; ++column) {
            if (cell(row, column).getValue() != -1) continue;
            for (const TVekScanLine& line : *lines) {
                if (fillFromLine(row, column, centres[static_cast<size_t>(column)], columnWidth, line)) break;
            }
        }
    }
}

bool TVekPDF417Reader::fillFromLine(int32_t row, int32_t column, int32_t centre, double columnWidth,
                                    const TVekScanLine& line) {
    const int32_t count = line.getCount();
    if (count == 0) return false;
    const TVectorInteger& positions = line.getPositions();
    const TVectorInteger& kinds = line.getKinds();
    int32_t nearest = 0;
    for (int32_t i = 1; i < count; ++i) {
        const auto at = static_cast<size_t>(i);
        if (kinds[at] == 1 && std::abs(positions[at] - centre) < std::abs(positions[static_cast<size_t>(nearest)] - centre)) {
            nearest = i;
        }
    }
    if (!(std::abs(positions[static_cast<size_t>(nearest)] - centre) < columnWidth / 2)) return false;
    // The character needs its eight distances and the start of the next one.
    if (nearest + CHARACTER_ELEMENTS >= count) return false;
    const TCharacterWidths widths = normaliseCodeword(line.getWidths(), positions, nearest);
    const int32_t k = clusterIndexOf(clusterOf(widths));
    if (k < 0) return false;
    const int32_t value = lookupCodeword(widths, k);
    cellAt(row, column).setValue(value);
    if (diagnostics()) {
        diagnostic("Correcting codeword (" + intToStr(row) + "," + intToStr(column) + ") = " + intToStr(value));
    }
    return true;
}

TVectorInteger TVekPDF417Reader::codewordMatrix(const TSymbolShape& shape) const {
    TVectorInteger codewords;
    codewords.reserve(static_cast<size_t>(shape.rows) * static_cast<size_t>(shape.columns));
    for (int32_t row = 0; row < shape.rows; ++row) {
        for (int32_t column = 0; column < shape.columns; ++column) {
            const int32_t value = cell(row, column).getValue();
            codewords.push_back(value == -1 ? 0 : value);
        }
    }
    return codewords;
}

// ---------------------------------------------------------------------------
// Row scanning

TVekPDF417Reader::TCharacterWidths TVekPDF417Reader::normaliseCodeword(const TVectorInteger& widths,
                                                                        const TVectorInteger& positions,
                                                                        int32_t index) {
    TCharacterWidths result{};
    const auto at = static_cast<size_t>(index);
    const double total = positions[at + CHARACTER_ELEMENTS] - positions[at];
    const double module = total / CHARACTER_MODULES;
    for (size_t k = 0; k < result.size(); ++k) {
        const double w = widths[at + k];
        for (int32_t j = 1; j <= 8; ++j) {
            if ((j + 0.5) * module <= w && w < (j + 1.5) * module) {
                result[k] = j + 1;
                break;
            }
        }
    }
    return result;
}

int32_t TVekPDF417Reader::clusterOf(const TCharacterWidths& e) { return (e[0] - e[1] + e[4] - e[5] + 9) % 9; }

int32_t TVekPDF417Reader::lookupCodeword(const TCharacterWidths& widths, int32_t k) {
    int32_t pattern = 0;
    for (int32_t width : widths) {
        if (width < 2 || width > 9) return -1;
        pattern = pattern * 10 + width;
    }
    return findPDF417Codeword(pattern, k);
}

void TVekPDF417Reader::vote(int32_t value, int32_t row, bool set, int32_t column) {
    if (row < 0 || row >= MAX_ROWS || column < 0 || column >= MAX_COLUMNS) return;
    if (set) {
        cellAt(row, column).setValue(value);
    } else {
        cellAt(row, column).addValue(value);
    }
}

void TVekPDF417Reader::voteRowIndicator(int32_t value, int32_t k) {
    const int32_t parameter = value % 30;
    switch (k) {
    case 0: rowGroupVotes.addValue(parameter); break;
    case 1:
        rowRestVotes.addValue(parameter % 3);
        ecLevelVotes.addValue(parameter / 3);
        break;
    case 2: columnVotes.addValue(parameter + 1); break;
    default: break;
    }
}

void TVekPDF417Reader::scanRow(const TVekImage& image, const TVekLine& line) {
    TVekScanLine scanLine(image, line);
    const int32_t count = scanLine.getCount();
    // The start pattern, the left row indicator and at least the first data
    // character's distances.
    if (count < 32) return;
    const TVectorInteger& widths = scanLine.getWidths();
    const TVectorInteger& positions = scanLine.getPositions();

    const TCharacterWidths indicator = normaliseCodeword(widths, positions, CHARACTER_ELEMENTS);
    const int32_t indicatorCluster = clusterIndexOf(clusterOf(indicator));
    if (indicatorCluster < 0) return;
    const int32_t indicatorValue = lookupCodeword(indicator, indicatorCluster);
    const int32_t rowBase = indicatorValue == -1 ? -3 : 3 * (indicatorValue / 30);
    if (indicatorValue != -1) voteRowIndicator(indicatorValue, indicatorCluster);

    int32_t currentCluster = indicatorCluster;
    int32_t rowOffset = indicatorCluster;
    bool changedRow = false;
    bool endedAtBadCluster = false;
    int32_t charactersRead = 0;
    int32_t lastCluster = -1;
    int32_t lastValue = -1;
    int32_t index = 2 * CHARACTER_ELEMENTS;
    int32_t column = 0;
    // A character needs the start of the distance after its eight: the last
    // character of a line that ends inside a bar has no end and is not read.
    while (index + CHARACTER_ELEMENTS < count) {
        const int32_t position = positions[static_cast<size_t>(index)];
        const TCharacterWidths character = normaliseCodeword(widths, positions, index);
        index += CHARACTER_ELEMENTS;
        const int32_t k = clusterIndexOf(clusterOf(character));
        if (k < 0) {
            endedAtBadCluster = true;
            break;
        }
        const int32_t value = lookupCodeword(character, k);
        ++charactersRead;
        lastCluster = k;
        lastValue = value;
        if (column < POSITION_COLUMNS) columnPositions[static_cast<size_t>(column)].push_back(position);

        if (k != currentCluster) {
            changedRow = true;
            rowOffset += (k == (currentCluster + 1) % 3) ? 1 : -1;
            currentCluster = k;
        }
        const int32_t row = rowBase + rowOffset;
        if (row >= MAX_ROWS || column >= MAX_COLUMNS) break;
        if (row >= 0) vote(value, row, false, column);
        ++column;
    }

    if (!changedRow && endedAtBadCluster) storeLine(rowBase + rowOffset, scanLine);
    // The right row indicator of a cluster-0 row carries the column count.
    if (charactersRead > 3 && lastCluster == 0 && lastValue != -1) columnVotes.addValue(lastValue % 30 + 1);
}

void TVekPDF417Reader::storeLine(int32_t row, const TVekScanLine& scanLine) {
    const std::string key = intToStr(row);
    TVekHashEntry* entry = rowLines.get(key);
    if (entry == nullptr) {
        entry = &rowLines.put(key, TVekHashEntry(std::make_shared<std::vector<TVekScanLine>>()));
    }
    if (auto lines = entry->getObject<std::vector<TVekScanLine>>()) lines->push_back(scanLine);
}

const std::vector<TVekScanLine>* TVekPDF417Reader::storedLines(int32_t row) const {
    const TVekHashEntry* entry = rowLines.get(intToStr(row));
    if (entry == nullptr) return nullptr;
    return entry->getObject<std::vector<TVekScanLine>>().get();
}

}  // namespace orvel
