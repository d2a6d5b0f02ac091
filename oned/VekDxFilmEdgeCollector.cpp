#include "oned/VekDxFilmEdgeCollector.h"

#include <array>
#include <cmath>
#include <span>

namespace orvel {

namespace {

constexpr int startBarModules = 5;

// The width of elements first .. first+count-1 from their ends.
double spanOf(const TVekBarRow& row, size_t first, size_t count) {
    return row.end(first + count - 1) - row.start(first);
}

bool nearModules(double width, double modules, double moduleSize) {
    return std::abs(width / moduleSize - modules) < 0.45 + 0.08 * modules;
}

// The data bits `from` .. `from + count - 1` as a number, the first the highest.
int field(std::span<const int> bits, size_t from, size_t count) {
    int value = 0;
    for (size_t i = from; i < from + count; ++i) value = value << 1 | bits[i];
    return value;
}

bool matches(std::span<const int> bits, size_t from, const char* pattern) {
    for (size_t i = 0; pattern[i] != 0; ++i)
        if (bits[from + i] != pattern[i] - '0') return false;
    return true;
}

}  // namespace

bool TVekDxFilmEdgeCollector::readClock(const TVekBarRow& row, size_t first, TTrack& track) {
    // A bar of five modules, then ticks of one module each, a space and a bar of three.
    if (first + 4 >= row.size()) return false;
    const double moduleSize = 0.25 * (row.width(first + 1) + row.width(first + 2) + row.width(first + 3) +
                                      row.width(first + 4));
    if (moduleSize <= 0 || !nearModules(row.width(first), startBarModules, moduleSize)) return false;
    if (first > 0 && row.width(first - 1) < moduleSize) return false;
    size_t at = first + 1;
    int modules = startBarModules;
    while (at + 1 < row.size() && modules < 31) {
        if (!nearModules(row.width(at), 1, moduleSize)) return false;
        if (nearModules(row.width(at + 1), 3, moduleSize) && row.width(at + 1) > 2.3 * moduleSize) {
            modules += 4;
            break;
        }
        if (!nearModules(row.width(at + 1), 1, moduleSize)) return false;
        modules += 2;
        at += 2;
    }
    if (modules != 23 && modules != 31) return false;
    track.isClock = true;
    track.modules = modules;
    track.moduleSize = spanOf(row, first, at + 2 - first) / modules;
    track.begin = row.point(row.start(first));
    track.end = row.point(row.end(at + 1));
    return true;
}

bool TVekDxFilmEdgeCollector::startsData(const TVekBarRow& row, size_t first) {
    // Start 101010: five elements of one module.
    if (first + 5 >= row.size()) return false;
    const double start = spanOf(row, first, 5) / 5;
    if (first > 0 && row.width(first - 1) < start) return false;
    for (size_t k = first; k < first + 5; ++k)
        if (row.width(k) < 0.6 * start || row.width(k) > 1.5 * start) return false;
    return true;
}

namespace {

// The stop's last three elements are of one module.
bool stopShaped(const TVekBarRow& row, size_t last, double start) {
    for (size_t k = last - 2; k <= last; ++k)
        if (row.width(k) <= 0.6 * start || row.width(k) >= 1.5 * start) return false;
    return true;
}

}  // namespace

// The symbol ends on a bar where the elements make its modules of about
// the start's width: each such end is tried.
bool TVekDxFilmEdgeCollector::readDataOf(const TVekBarRow& row, size_t first, double start, int modules,
                                         TTrack& track) {
    double total = 0;
    for (size_t last = first; last < row.size() && total < 1.15 * modules * start; ++last) {
        total += row.width(last);
        if (!TVekBarRow::isBar(last) || total < 0.85 * modules * start) continue;
        if (stopShaped(row, last, start) && readBits(row, first, last, modules, track)) return true;
    }
    return false;
}

// One walk along the row finds the ends of both lengths (as readDataOf
// would, in the same order), unless there are more than it keeps.
bool TVekDxFilmEdgeCollector::readData(const TVekBarRow& row, size_t first, TTrack& track) {
    const double start = spanOf(row, first, 5) / 5;
    constexpr std::array<int, 2> lengths = {31, 23};
    std::array<std::array<size_t, 48>, 2> ends;
    std::array<size_t, 2> endCount{};
    bool overflow = false;
    double total = 0;
    for (size_t last = first; last < row.size() && total < 1.15 * lengths[0] * start; ++last) {
        const double before = total;
        total += row.width(last);
        if (!TVekBarRow::isBar(last)) continue;
        for (size_t l = 0; l < lengths.size(); ++l) {
            if (before >= 1.15 * lengths[l] * start || total < 0.85 * lengths[l] * start) continue;
            if (endCount[l] == ends[l].size()) overflow = true;
            else ends[l][endCount[l]++] = last;
        }
    }
    for (size_t l = 0; l < lengths.size(); ++l) {
        if (overflow) {
            if (readDataOf(row, first, start, lengths[l], track)) return true;
            continue;
        }
        for (size_t e = 0; e < endCount[l]; ++e)
            if (stopShaped(row, ends[l][e], start) && readBits(row, first, ends[l][e], lengths[l], track)) return true;
    }
    return false;
}

bool TVekDxFilmEdgeCollector::readBits(const TVekBarRow& row, size_t first, size_t last, int modules,
                                       TTrack& track) {
    const double moduleSize = spanOf(row, first, last + 1 - first) / modules;
    if (!TVekBarRow::isBar(first) || last < first + 8) return false;
    // The stop ends on three elements of one module (checked below on the
    // bits; here before the rest is filled in, since most ends tried fail).
    // Within 0.4 of one module rounds to one.
    for (size_t k = last - 2; k <= last; ++k)
        if (std::abs(row.width(k) / moduleSize - 1) > 0.4) return false;
    std::array<int, 31> bits{};
    int filled = 0;
    for (size_t k = first; k <= last; ++k) {
        const auto count = static_cast<int>(std::nearbyint(row.width(k) / moduleSize));
        if (count < 1 || filled + count > modules || std::abs(row.width(k) / moduleSize - count) > 0.4) return false;
        // The start's five elements are of one module each (checked below
        // on the bits; here before the rest is filled in).
        if (k < first + 5 && count != 1) return false;
        for (int i = 0; i < count; ++i) bits[static_cast<size_t>(filled++)] = TVekBarRow::isBar(k) ? 1 : 0;
    }
    if (filled != modules) return false;
    const size_t stop = static_cast<size_t>(modules) - 4, parity = stop - 1;
    if (!matches(bits, 0, "101010") || bits[13] != 0 || !matches(bits, stop, "0101")) return false;
    if (modules == 31 && bits[25] != 0) return false;
    int ones = 0;
    for (size_t i = 6; i <= parity; ++i) ones += bits[i];
    if (ones % 2 != 0) return false;
    const int part1 = field(bits, 6, 7), part2 = field(bits, 14, 4);
    if (part1 == 0) return false;
    track.text = std::to_string(part1);
    track.text.push_back('-');
    track.text.append(std::to_string(part2));
    if (modules == 31) {
        track.text.push_back('/');
        track.text.append(std::to_string(field(bits, 18, 6)));
        if (bits[24] != 0) track.text.push_back('A');
    }
    track.isClock = false;
    track.modules = modules;
    track.moduleSize = moduleSize;
    track.begin = row.point(row.start(first));
    track.end = row.point(row.end(last));
    return true;
}

void TVekDxFilmEdgeCollector::add(const TTrack& track, int line) {
    for (TTrack& known : tracks_) {
        if (known.isClock != track.isClock || known.modules != track.modules || known.text != track.text) continue;
        if (distance(known.begin, track.begin) > track.modules * track.moduleSize) continue;
        if (known.lastLine != line) ++known.lines, known.lastLine = line;
        return;
    }
    if (tracks_.size() >= maximumTracks) return;
    tracks_.push_back(track);
    tracks_.back().lastLine = line;
}

void TVekDxFilmEdgeCollector::collect(const TVekBarRow& row, int line) {
    for (size_t first = 1; first + 8 < row.size(); first += 2) {
        TTrack track;
        if (readClock(row, first, track)) {
            add(track, line);
            continue;
        }
        if (startsData(row, first) && readData(row, first, track)) add(track, line);
    }
}

// The clock track runs along the data track, its ticks on the data's
// modules: both ends within a module of the data's, a few modules away.
// Woven and striped textures show both tracks' patterns, never so aligned.
bool TVekDxFilmEdgeCollector::besides(const TTrack& data, const TTrack& clock) {
    const double module = data.moduleSize;
    if (clock.modules != data.modules || std::abs(clock.moduleSize - module) > 0.15 * module) return false;
    const double beginOffset = distance(clock.begin, data.begin), endOffset = distance(clock.end, data.end);
    const TVekPointF along = data.end - data.begin;
    const double length = orvel::length(along);
    if (length <= 0) return false;
    // Apart across the tracks, level along them.
    const double shift = std::abs(dot(clock.begin - data.begin, along)) / length;
    const double shiftEnd = std::abs(dot(clock.end - data.end, along)) / length;
    return shift < module && shiftEnd < module && beginOffset < 8 * module && endOffset < 8 * module;
}

TVekBarcodes TVekDxFilmEdgeCollector::results(bool inverted) const {
    TVekBarcodes found;
    for (const TTrack& data : tracks_) {
        if (data.isClock || data.lines < 2) continue;
        for (const TTrack& clock : tracks_) {
            if (!clock.isClock || clock.lines < 2 || !besides(data, clock)) continue;
            bool known = false;
            for (const TVekBarcode& barcode : found) known = known || barcode.bytes == data.text;
            if (known) break;
            TVekBarcode barcode;
            barcode.format = TVekBarcodeFormat::dxFilmEdge;
            barcode.bytes = data.text;
            barcode.symbologyIdentifier = "]X0";
            barcode.isInverted = inverted;
            barcode.position = {clock.begin, clock.end, data.end, data.begin};
            barcode.setOrientationFromPosition();
            found.push_back(barcode);
            break;
        }
    }
    return found;
}

}  // namespace orvel
