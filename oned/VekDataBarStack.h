#pragma once

#include <vector>

#include "foundation/VekBarcode.h"
#include "oned/VekBarRow.h"
#include "oned/VekDataBarLineDecoder.h"

namespace orvel {

// GS1 DataBar Stacked and Stacked Omnidirectional: the left pair on the top
// row, the right pair (read from the right) on the bottom one. Pairs are
// gathered from every scan line; a left and a right pair close together
// whose finders carry their checksum make a symbol. The left pair's outer
// character starts with a space, the right pair's, read backwards, with a
// bar, which tells them apart.
class TVekDataBarStack {
public:
    using TPair = TVekDataBarLineDecoder::TPair;

    void collect(const TVekBarRow& row, int line);
    TVekBarcodes results(bool inverted) const;

private:
    struct TSeen {
        TPair pair;
        bool isLeft = true;
        TVekPointF begin, end;  // from the outer character's guard to the inner character's end
        int lines = 1;
        int lastLine = -1;
        TVekPointF centre() const { return 0.5 * (begin + end); }
    };
    void add(const TSeen& seen, int line);

    static constexpr size_t maximumPairs = 256;
    std::vector<TSeen> pairs_;
};

}  // namespace orvel
