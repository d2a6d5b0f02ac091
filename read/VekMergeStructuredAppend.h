#pragma once

#include <cstddef>
#include <vector>

#include "foundation/VekBarcode.h"

namespace orvel {

// What mergeStructuredAppendParts made of a list of symbols.
struct TVekMergedBarcodes {
    TVekBarcodes barcodes;
    // For each of `barcodes`, the indices in the input list of the symbols it
    // was made of: one for a symbol passed on as it was, the parts in sequence
    // order for a joined message.
    std::vector<std::vector<size_t>> sources;
};

// Joins the parts of structured-append sequences (QR Code, Data Matrix,
// Aztec, Macro PDF417, MaxiCode ...). Parts belong together when their
// symbology, sequence id and count agree; a sequence whose parts 0 to count-1
// are all there becomes one symbol: the parts' bytes joined in order, each
// part's ECI marks kept (a part without one at its start gets a mark for the
// character set it had alone), `partPositions` the parts' corners, the rest
// from the first part. Parts of incomplete sequences, parts that disagree (two
// different symbols claim the same place), symbols not decoded and all other
// symbols are passed on as they were. A joined message stands where the first
// of its parts stood in the input; a part found twice with the same content
// counts once.
TVekMergedBarcodes mergeStructuredAppendParts(const TVekBarcodes& barcodes);

// The symbols of mergeStructuredAppendParts.
TVekBarcodes mergeStructuredAppend(const TVekBarcodes& barcodes);

}  // namespace orvel
