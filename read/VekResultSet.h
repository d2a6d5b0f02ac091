#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// The symbols one read has found so far: the same symbol found again (by
// another pass, binarizer or front end) is kept once, failed symbols only
// when the options ask for them, and the read is complete once it holds the
// requested number of symbols.
class TVekResultSet {
public:
    explicit TVekResultSet(const TVekReaderOptions& options) : options_(options) {}

    void add(TVekBarcodes barcodes);
    void add(TVekBarcode barcode);
    // True when maxSymbols decoded symbols are in (never without a limit).
    bool isComplete() const;
    int32_t validCount() const { return validCount_; }
    // Decoded symbols first, each group in reading order (top to bottom,
    // then left to right), at most maxSymbols decoded ones.
    TVekBarcodes take();

private:
    TVekBarcode* sameSymbol(const TVekBarcode& barcode);

    TVekReaderOptions options_;
    TVekBarcodes barcodes_;
    int32_t validCount_ = 0;
};

// True when the two records are one symbol: the same format and content at
// overlapping places (a record without a real outline matches on content).
bool isSameSymbol(const TVekBarcode& a, const TVekBarcode& b);

}  // namespace orvel
