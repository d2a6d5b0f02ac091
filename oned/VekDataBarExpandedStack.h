#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/VekBarcode.h"
#include "oned/VekBarRow.h"
#include "oned/VekDataBarExpandedLineDecoder.h"

namespace orvel {

// DataBar Expanded Stacked: each row of the symbol holds a few pairs, which
// scan lines read as segments. The segments are gathered from every line;
// a symbol is the segment that starts with the check character followed by
// segments whose finders continue the sequence its character count sets,
// checked by the checksum over them all. A symbol read whole on one line is
// the line decoder's; this takes only those spread over rows.
class TVekDataBarExpandedStack {
public:
    using TPair = TVekDataBarExpandedLineDecoder::TPair;

    // The segments of pairs `row` crosses; `line` numbers the scan lines.
    void collect(const TVekBarRow& row, int line);
    TVekBarcodes results(bool inverted) const;

private:
    struct TSegment {
        std::vector<TPair> pairs;
        TVekPointF begin, end;
        int lines = 1;
        int lastLine = -1;
    };
    void add(TSegment segment, int line);
    // A symbol being put together from its first segment on.
    struct TAssembly {
        const TSegment* first = nullptr;
        const TSegment* last = nullptr;
        int pairCount = 0;
        std::vector<TPair> pairs;
        std::optional<std::string> text;
        int budget = 64;  // checksums tried at most
    };
    // True when the segments continue `assembly` into a symbol that checks.
    bool assemble(TAssembly& assembly) const;
    // True when `segment` can hold pairs `at`.. of a symbol of `pairCount` pairs.
    static bool fits(const TSegment& segment, int pairCount, size_t at, const TSegment& first);
    static bool samePairs(const TSegment& a, const TSegment& b);

    static constexpr size_t maximumSegments = 256;
    std::vector<TSegment> segments_;
};

}  // namespace orvel
