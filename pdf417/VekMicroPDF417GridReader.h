#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "foundation/VekGreyImage.h"
#include "pdf417/VekMicroPDF417Layout.h"
#include "pdf417/VekPDF417Candidate.h"
#include "pdf417/VekPDF417CellVotes.h"
#include "pdf417/VekPDF417CharacterReader.h"
#include "pdf417/VekPDF417EdgeList.h"
#include "pdf417/VekPDF417FrameSampler.h"
#include "pdf417/VekPDF417Grid.h"
#include "pdf417/VekPDF417RowFit.h"

namespace orvel {

// Reads the codewords of a candidate MicroPDF417 symbol along its own rows.
// The left and right edges span a frame (TVekPDF417FrameSampler). A first
// sweep over the whole frame reads the row address patterns: each names a
// row of every size of the symbol's columns, and the size whose rows line
// up best along the edges is the symbol's (the next best, when nearly as
// good, is read as well: error correction tells). A second sweep then
// follows each row with a few lines, and each codeword of the row's
// cluster votes for its cell.
class TVekMicroPDF417GridReader {
public:
    explicit TVekMicroPDF417GridReader(const TVekGreyImage& grey) : sampler_(grey) {}

    // The grids of the likeliest sizes, best first; none when the
    // candidate showed no rows.
    std::vector<TVekPDF417Grid> read(const TVekPDF417Candidate& candidate, bool thorough);

private:
    enum TRapKind { LEFT = 0, CENTRE = 1, RIGHT = 2 };
    struct TRapRead {
        double v;
        TRapKind kind;
        int32_t number;
    };
    using TRowRead = TVekPDF417RowFit::TRead;
    using TRowFit = TVekPDF417RowFit;
    using TCell = TVekPDF417CellVotes;
    struct TSize {
        const TVekMicroPDF417Layout::TVariant* variant = nullptr;
        TRowFit left;
        TRowFit right;
        int32_t score = 0;
    };

    void setFrame(const TVekPDF417Candidate& candidate, int32_t columns);
    // Reads the RAPs on lines from v = from to v = to; false when none
    // (with `probe`, also when the first third of the lines read none).
    bool sweepRaps(int32_t columns, double from, double to, bool probe);
    // The sizes of `columns` columns that the RAPs read fit, best first.
    std::vector<TSize> sizes(int32_t columns) const;
    TSize fitSize(const TVekMicroPDF417Layout::TVariant& variant) const;
    TVekPDF417Grid readGrid(const TSize& size);
    void readRow(const TSize& size, int32_t row, double vLeft, double vRight, std::vector<TCell>& cells);

    TVekPDF417FrameSampler sampler_;
    double module_ = 1;
    bool aliased_ = false;
    bool thorough_ = true;
    std::vector<TRapRead> raps_;
    TVekPDF417EdgeList edges_;
};

}  // namespace orvel
