#pragma once

#include <string>
#include <vector>

#include "foundation/VekBarcode.h"
#include "oned/VekBarRow.h"

namespace orvel {

// DX film edge on 35 mm film: a clock track (a bar of five modules, bars
// and spaces of one module, a space and a bar of three) above a data track
// of as many modules: start 101010, DX number part 1 (7 bits), 0, part 2
// (4 bits), in the 31-module form the frame number (6 bits), a half-frame
// flag and 0, then a parity bit that makes the ones from part 1 on even,
// and stop 0101. Scan lines find both
// tracks; a data track is believed where two lines read it and a clock
// track of its length runs beside it. The text is "80-11/23" (part 1, part
// 2, frame, "A" on a half frame), or "80-11" without a frame number.
class TVekDxFilmEdgeCollector {
public:
    void collect(const TVekBarRow& row, int line);
    TVekBarcodes results(bool inverted) const;

private:
    struct TTrack {
        bool isClock = false;
        int modules = 0;  // 31 or 23
        std::string text;
        TVekPointF begin, end;
        double moduleSize = 0;
        int lines = 1;
        int lastLine = -1;
    };
    void add(const TTrack& track, int line);
    static bool readClock(const TVekBarRow& row, size_t first, TTrack& track);
    // The data track's start (five elements of one module) at `first`.
    static bool startsData(const TVekBarRow& row, size_t first);
    // The data track of 31 modules from the start at `first`, else of 23.
    static bool readData(const TVekBarRow& row, size_t first, TTrack& track);
    // The data track of `modules` from there, the start's elements `start` wide.
    static bool readDataOf(const TVekBarRow& row, size_t first, double start, int modules, TTrack& track);
    // The data track from element `first` to the bar `last` as `modules` bits, checked.
    static bool readBits(const TVekBarRow& row, size_t first, size_t last, int modules, TTrack& track);
    static bool besides(const TTrack& data, const TTrack& clock);

    static constexpr size_t maximumTracks = 128;
    std::vector<TTrack> tracks_;
};

}  // namespace orvel
