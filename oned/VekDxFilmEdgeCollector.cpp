#include "oned/VekDxFilmEdgeCollector.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

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

// The data track's bits that are always 0, bit i at 1 << i: the start's
// (101010), the one before part 2, the stop's (0101), and in the 31-module
// form the one after the half-frame flag.
constexpr uint32_t zerosOf(int modules) {
    uint32_t zeros = 1u << 1 | 1u << 3 | 1u << 5 | 1u << 13 | 1u << (modules - 4) | 1u << (modules - 2);
    return modules == 31 ? zeros | 1u << 25 : zeros;
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
    track.text.clear();
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
    const double narrowest = 0.6 * start, widest = 1.5 * start;
    for (size_t k = last - 2; k <= last; ++k)
        if (row.width(k) <= narrowest || row.width(k) >= widest) return false;
    return true;
}

// The first bar from `first` on that ends at `position` or beyond, found by
// halving (ends grow along the row), or the row's size.
size_t firstBarReaching(const TVekBarRow& row, size_t first, double position) {
    size_t low = first, high = row.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (row.end(middle) < position) low = middle + 1;
        else high = middle;
    }
    return TVekBarRow::isBar(low) ? low : low + 1;
}

}  // namespace

// The symbol ends on a bar where the elements make its modules of about
// the start's width: each such end, stop-shaped, is tried. Only bars are
// walked, as positions along the row from the first's start.
bool TVekDxFilmEdgeCollector::readDataOf(const TVekBarRow& row, size_t first, double start, int modules,
                                         TTrack& track) {
    const double origin = row.start(first), nearest = 0.85 * modules * start, furthest = 1.15 * modules * start;
    // Every element holds a module or more, and none more than the widest
    // holds: regular stripes, whose elements all round to one module, make
    // every end fall short of the modules after a full read. The widest
    // element is kept from the first on.
    size_t widestUpTo = first;
    double widest = 0;
    for (size_t last = firstBarReaching(row, first, origin + nearest);
         last < row.size() && row.start(last) - origin < furthest; last += 2) {
        const auto elements = static_cast<int>(last + 1 - first);
        if (elements > modules) return false;
        for (; widestUpTo <= last; ++widestUpTo) widest = std::max(widest, row.width(widestUpTo));
        const double perModule = modules / spanOf(row, first, last + 1 - first);
        const auto most = static_cast<int>(widest * perModule + 0.4);
        if (modules - elements > elements * (most - 1)) continue;
        if (row.end(last) - origin >= nearest && stopShaped(row, last, start) &&
            readBits(row, first, last, modules, track))
            return true;
    }
    return false;
}

bool TVekDxFilmEdgeCollector::readData(const TVekBarRow& row, size_t first, TTrack& track) {
    const double start = spanOf(row, first, 5) / 5;
    return readDataOf(row, first, start, 31, track) || readDataOf(row, first, start, 23, track);
}

bool TVekDxFilmEdgeCollector::readBits(const TVekBarRow& row, size_t first, size_t last, int modules,
                                       TTrack& track) {
    if (!TVekBarRow::isBar(first) || last < first + 8) return false;
    const double perModule = modules / spanOf(row, first, last + 1 - first);
    // An element's width in modules when within 0.4 of a whole count (a
    // count, truncated from a width 0.4 above it, that the width exceeds by
    // at most 0.4), else 0.
    const auto countOf = [perModule](double width) {
        const double inModules = width * perModule;
        const auto count = static_cast<int>(inModules + 0.4);
        return inModules - count <= 0.4 ? count : 0;
    };
    // The stop ends on three elements of one module (checked below on the
    // bits; here before the rest is read, since most ends tried fail).
    for (size_t k = last - 2; k <= last; ++k)
        if (countOf(row.width(k)) != 1) return false;
    // The bits as a number, the first the highest.
    // The bits that are always 0 (start, separators, stop), bit i at 1 << i:
    // an element is turned down as soon as a bar covers one (checked below
    // on the whole word; here before the rest is read).
    const uint32_t zeros = modules == 31 ? zerosOf(31) : zerosOf(23);
    // The start's five elements are of one module each, 10101; they pass
    // wherever the track's module is near the start's, so the elements
    // after them, where most ends fail, are read first and the start last.
    uint32_t bits = 0b10101;
    int filled = 5;
    for (size_t k = first + 5; k <= last; ++k) {
        const int count = countOf(row.width(k));
        if (count < 1 || filled + count > modules) return false;
        const uint32_t run = (1u << count) - 1;
        if (TVekBarRow::isBar(k) && (run << filled & zeros) != 0) return false;
        bits = bits << count | (TVekBarRow::isBar(k) ? run : 0u);
        filled += count;
    }
    if (filled != modules) return false;
    for (size_t k = first; k < first + 5; ++k)
        if (countOf(row.width(k)) != 1) return false;
    // Bit i counted from the first.
    const auto bit = [&](int i) { return static_cast<int>(bits >> (modules - 1 - i) & 1u); };
    const auto field = [&](int from, int count) {
        return static_cast<int>(bits >> (modules - from - count) & ((1u << count) - 1));
    };
    const int stop = modules - 4, parity = stop - 1;
    if (field(0, 6) != 0b101010 || bit(13) != 0 || field(stop, 4) != 0b0101) return false;
    if (modules == 31 && bit(25) != 0) return false;
    if (std::popcount(static_cast<uint32_t>(field(6, parity - 6 + 1))) % 2 != 0) return false;
    const int part1 = field(6, 7), part2 = field(14, 4);
    if (part1 == 0) return false;
    track.text = std::to_string(part1);
    track.text.push_back('-');
    track.text.append(std::to_string(part2));
    if (modules == 31) {
        track.text.push_back('/');
        track.text.append(std::to_string(field(18, 6)));
        if (bit(24) != 0) track.text.push_back('A');
    }
    track.isClock = false;
    track.modules = modules;
    track.moduleSize = 1 / perModule;
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
    TTrack track;  // filled anew by each read that finds one
    for (size_t first = 1; first + 8 < row.size(); first += 2) {
        // Both tracks begin after a space at least as wide as their module:
        // the clock's (its ticks' mean) or the data start's (its mean).
        const double before = row.width(first - 1);
        const double tick = 0.25 * (row.width(first + 1) + row.width(first + 2) + row.width(first + 3) + row.width(first + 4));
        const double start = spanOf(row, first, 5) / 5;
        // The clock begins with a bar of five ticks, the data with one of one.
        const bool clockShaped = before >= tick && nearModules(row.width(first), startBarModules, tick);
        if (clockShaped && readClock(row, first, track)) {
            add(track, line);
            continue;
        }
        if (before >= start && startsData(row, first) && readData(row, first, track)) add(track, line);
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
