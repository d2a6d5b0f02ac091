#pragma once

#include <string>
#include <vector>

#include "foundation/VekBarcode.h"
#include "oned/VekBarRow.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// Gathers what the scan lines decoded. Lines that read the same content at
// the same place count together; a content is believed when two lines agree,
// or one line when its check is strong; a content that every line read only
// as a guess (TVekLinearRead::guessed) needs three. Of two believed contents
// at one place (a short symbol read inside a longer one, a misread) the one
// more lines agree on stays. A guess yields to any other content read about
// the same place: to a believed one some line read without guessing, else to
// one that at least half as many lines read.
class TVekLinearVotes {
public:
    // `across` orders the lines: the row's y, the column's x; `line` numbers
    // the scan lines, so that one line read both ways counts once.
    void add(const TVekLinearRead& read, const TVekBarRow& row, double across, int line);
    int acceptedCount() const;
    // Where contents read by a single line so far lie: the `across` of that
    // line and whether it was a row. At most `limit`, the first read first.
    struct TUnconfirmed {
        double across = 0;
        bool isRow = true;
    };
    std::vector<TUnconfirmed> unconfirmed(size_t limit) const;
    TVekBarcodes results(bool inverted) const;

private:
    struct TVote {
        TVekLinearRead read;
        int lines = 0;
        int sureLines = 0;  // the lines that read it without a guess
        int lastLine = -1;
        // The segment the symbol covers on the first and the last line across.
        double firstAcross = 0, lastAcross = 0;
        TVekPointF firstBegin, firstEnd, lastBegin, lastEnd;
        TVekPointF centre() const { return 0.25 * (firstBegin + firstEnd + lastBegin + lastEnd); }
        double length() const { return distance(firstBegin, firstEnd); }
        // True when `point` lies on the symbol, between its first and last line.
        bool covers(TVekPointF point) const;
        bool guessedOnly() const { return sureLines == 0; }
        bool accepted() const {
            return (read.strong && lines >= 1) || (lines >= 2 && (!guessedOnly() || lines >= 3));
        }
    };
    bool outranked(const TVote& vote) const;
    static TVekBarcode barcode(const TVote& vote, bool inverted);

    static constexpr size_t maximumVotes = 512;
    std::vector<TVote> votes_;
};

}  // namespace orvel
